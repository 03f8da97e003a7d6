#include "fuzz/sample_classes.h"

#include "framework/streaming/reader.h"
#include "framework/streaming/registries.h"
#include "framework/streaming/stream.h"

namespace {

constexpr const char* fontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
constexpr const char* alignNames[] = {"alNone", "alTop",   "alBottom",
                                      "alLeft", "alRight", "alClient"};
constinit const TTypeInfo TypeSampleFontStyle = EnumType("TSampleFontStyle", fontStyleNames);
constinit const TTypeInfo TypeRange{
    .Name = "TSampleRange", .Kind = pkOrdinal, .Storage = osUByte, .MinValue = 0, .MaxValue = 63};
constinit const TTypeInfo TypeString5{.Name = "TString5", .Kind = pkShortText, .MaxLength = 5};
constinit const TTypeInfo TypeFontObject = ObjectType("TSampleFont", &TSampleFont::ClassInfo);
constinit const TTypeInfo TypeCollectionObject = ObjectType("TCollection", &TCollection::ClassInfo);
constinit const TTypeInfo TypeComponentObject = ObjectType("TComponent", &TComponent::ClassInfo);
constinit const TTypeInfo TypeOpaque{.Name = "TOpaque", .Kind = pkOther};
constinit const TTypeInfo TypeSinkObject = ObjectType("TSampleSink", &TSampleSink::ClassInfo);

constexpr TPropInfo fontProperties[] = {
    FieldProperty<&TSampleFont::Charset>("Charset", &TypeFontCharset),
    FieldProperty<&TSampleFont::Color>("Color", &TypeColor),
    FieldProperty<&TSampleFont::Height>("Height", &TypeInteger),
    FieldProperty<&TSampleFont::Name>("Name", &TypeString),
    FieldProperty<&TSampleFont::Style>("Style", &TypeSampleFontStyles),
};

constexpr TPropInfo formProperties[] = {
    FieldProperty<&TSampleForm::Left>("Left", &TypeInteger),
    FieldProperty<&TSampleForm::Top>("Top", &TypeInteger),
    FieldProperty<&TSampleForm::Width>("Width", &TypeInteger),
    FieldProperty<&TSampleForm::Height>("Height", &TypeInteger),
    FieldProperty<&TSampleForm::Caption>("Caption", &TypeString),
    FieldProperty<&TSampleForm::Color>("Color", &TypeColor),
    Property<&TSampleForm::Font, &TSampleForm::SetFont>("Font", &TypeFontObject),
    FieldProperty<&TSampleForm::OldCreateOrder>("OldCreateOrder", &TypeBoolean),
    FieldProperty<&TSampleForm::OnCreate>("OnCreate", &TypeNotifyEvent),
    FieldProperty<&TSampleForm::PixelsPerInch>("PixelsPerInch", &TypeInteger),
};
// Method tables are initialised at start-up: code addresses are no constant expressions.
const TMethodEntry formMethods[] = {
    PublishedMethod<&TSampleForm::FormCreate>("FormCreate"),
    PublishedMethod<&TSampleForm::FormClick>("FormClick"),
    PublishedMethod<&TSampleForm::FormResize>("FormResize"),
};
constexpr const TClass* formFieldClasses[] = {&TSampleChild::ClassInfo};

constexpr TPropInfo itemProperties[] = {
    FieldProperty<&TSampleItem::Value>("Value", &TypeInteger),
    FieldProperty<&TSampleItem::Label>("Label", &TypeString),
    FieldProperty<&TSampleItem::Link>("Link", &TypeComponentObject),
    Property<&TSampleItem::Nested, &TSampleItem::SetNested>("Nested", &TypeCollectionObject),
};

constexpr TPropInfo sinkProperties[] = {
    FieldProperty<&TSampleSink::Number>("Number", &TypeInteger),
    FieldProperty<&TSampleSink::Word>("Word", &TypeWord),
    FieldProperty<&TSampleSink::Charset>("Charset", &TypeFontCharset),
    FieldProperty<&TSampleSink::Cursor>("Cursor", &TypeCursor),
    FieldProperty<&TSampleSink::Color>("Color", &TypeColor),
    FieldProperty<&TSampleSink::Letter>("Letter", &TypeChar),
    FieldProperty<&TSampleSink::Align>("Align", &TypeSampleAlign),
    FieldProperty<&TSampleSink::Enabled>("Enabled", &TypeBoolean),
    FieldProperty<&TSampleSink::Ratio>("Ratio", &TypeDouble),
    FieldProperty<&TSampleSink::Single>("Single", &TypeSingle),
    FieldProperty<&TSampleSink::Precise>("Precise", &TypeExtended),
    FieldProperty<&TSampleSink::Comp>("Comp", &TypeComp),
    FieldProperty<&TSampleSink::Money>("Money", &TypeCurrency),
    FieldProperty<&TSampleSink::Short>("Short", &TypeString5),
    FieldProperty<&TSampleSink::Text>("Text", &TypeString),
    FieldProperty<&TSampleSink::Wide>("Wide", &TypeWideString),
    FieldProperty<&TSampleSink::Styles>("Styles", &TypeSampleFontStyles),
    FieldProperty<&TSampleSink::Ranges>("Ranges", &TypeSampleRangeSet),
    FieldProperty<&TSampleSink::Buddy>("Buddy", &TypeComponentObject),
    Property<&TSampleSink::Items, &TSampleSink::SetItems>("Items", &TypeCollectionObject),
    Property<&TSampleSink::Font, &TSampleSink::SetFont>("Font", &TypeFontObject),
    FieldProperty<&TSampleSink::OnChange>("OnChange", &TypeNotifyEvent),
    FieldProperty<&TSampleSink::WideLetter>("WideLetter", &TypeWideChar),
    FieldProperty<&TSampleSink::Variant>("Variant", &TypeVariant),
    FieldProperty<&TSampleSink::Big>("Big", &TypeInt64),
    Property<&TSampleSink::ReadOnly, nullptr>("ReadOnly", &TypeInteger),
    FieldProperty<&TSampleSink::Number>("Opaque", &TypeOpaque),
};
const TMethodEntry sinkMethods[] = {PublishedMethod<&TSampleSink::Changed>("Changed")};

constexpr TPropInfo childProperties[] = {
    FieldProperty<&TSampleChild::Tag>("Tag", &TypeInteger),
    FieldProperty<&TSampleChild::Partner>("Partner", &TypeComponentObject),
    FieldProperty<&TSampleChild::Peer>("Peer", &TypeSinkObject),
};

} // namespace

constinit const TTypeInfo TypeSampleFontStyles = SetType("TSampleFontStyles", &TypeSampleFontStyle);
constinit const TTypeInfo TypeSampleAlign = EnumType("TSampleAlign", alignNames);
constinit const TTypeInfo TypeSampleRangeSet = SetType("TSampleRangeSet", &TypeRange, osULong);

constinit const TClass TSampleFont::ClassInfo =
    MakeClass<TSampleFont>("TSampleFont", &TPersistent::ClassInfo, fontProperties);
constinit const TClass TSampleForm::ClassInfo = MakeClass<TSampleForm>(
    "TSampleForm", &TComponent::ClassInfo, formProperties, formMethods, formFieldClasses);
constinit const TClass TSampleItem::ClassInfo =
    MakeClass<TSampleItem>("TSampleItem", &TCollectionItem::ClassInfo, itemProperties);
constinit const TClass TSampleSink::ClassInfo =
    MakeClass<TSampleSink>("TSampleSink", &TComponent::ClassInfo, sinkProperties, sinkMethods);
constinit const TClass TSampleChild::ClassInfo =
    MakeClass<TSampleChild>("TSampleChild", &TComponent::ClassInfo, childProperties);
constinit const TClass TSampleThing::ClassInfo =
    MakeClass<TSampleThing>("TSampleThing", &TPersistent::ClassInfo);

void TSampleFont::Assign(const TSampleFont& other) {
    Charset = other.Charset;
    Color = other.Color;
    Height = other.Height;
    Name = other.Name;
    Style = other.Style;
}

TSampleForm::TSampleForm() : font_(new TSampleFont()) {}

void TSampleForm::Destroy() {
    FreeObject(font_);
    font_ = nullptr;
    TComponent::Destroy();
}

void TSampleForm::SetFont(TSampleFont* font) {
    if (font) font_->Assign(*font);
}

void TSampleForm::DeclareExtraProperties(TFiler& filer) {
    TComponent::DeclareExtraProperties(filer);
    filer.AcceptCustomProperty(
        "IsControl", [](TReader& reader) { reader.ReadFlagValue(); }, nullptr, false);
    filer.AcceptCustomProperty("PixelsPerInch", nullptr, nullptr, true);
    filer.AcceptCustomProperty(
        "TextHeight", [this](TReader& reader) { DescribedTextHeight = reader.ReadIntValue(); },
        nullptr, true);
    filer.AcceptCustomProperty(
        "IgnoreFontProperty", [this](TReader& reader) { IgnoredFont = reader.ReadFlagValue(); },
        nullptr, false);
}

void TSampleForm::DescriptionLoaded() {
    ++LoadedCalls;
    TComponent::DescriptionLoaded();
}

void TSampleForm::FormCreate(TObject*) {
    ++CreateCalls;
}
void TSampleForm::FormClick(TObject*) {}
void TSampleForm::FormResize(TObject*, int32_t) {}

void TSampleForm::PlaceChild(TComponent* child, int position) {
    Placed.emplace_back(child, position);
}

TSampleItem::TSampleItem() : nested_(new TCollection(&TSampleItem::ClassInfo)) {}

void TSampleItem::Destroy() {
    FreeObject(nested_);
    nested_ = nullptr;
    TCollectionItem::Destroy();
}

TSampleSink::TSampleSink()
    : items_(new TCollection(&TSampleItem::ClassInfo)), font_(new TSampleFont()) {}

void TSampleSink::Destroy() {
    FreeObject(items_);
    FreeObject(font_);
    items_ = nullptr;
    font_ = nullptr;
    TComponent::Destroy();
}

void TSampleSink::SetFont(TSampleFont* font) {
    if (font) font_->Assign(*font);
}

void TSampleSink::Changed(TObject*) {}

void TSampleSink::DeclareExtraProperties(TFiler& filer) {
    TComponent::DeclareExtraProperties(filer);
    filer.AcceptCustomProperty(
        "Tally", [this](TReader& reader) { Tally = reader.ReadIntValue(); }, nullptr, Tally != 0);
    filer.AcceptCustomBinary(
        "Data",
        [this](TStream& stream) {
            Data.resize(static_cast<size_t>(stream.Size()));
            stream.ReadBuffer(Data.data(), static_cast<int32_t>(Data.size()));
        },
        nullptr, !Data.empty());
}

void RegisterSampleClasses() {
    RegisterComponentClass(&TSampleForm::ClassInfo);
    RegisterComponentClass(&TSampleSink::ClassInfo);
    RegisterComponentClass(&TSampleChild::ClassInfo);
    RegisterClassAlias(&TSampleThing::ClassInfo, "TSampleThing");
}
