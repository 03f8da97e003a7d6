// The names of a description checked against the classes the program knows:
// its form class (the launcher's TFormMain) with its ancestors and the classes
// of its published fields, the classes registered for creation by name, and
// their published properties with their kinds, all from the real type
// information. Custom properties are the ones each class offers to a filer.
#include "names.h"

#include "framework/classes/collection.h"
#include "framework/controls/graphics.h"
#include "framework/streaming/reader.h"
#include "framework/streaming/registries.h"
#include "framework/streaming/stream.h"
#include "launcher/unitmain.h"
#include "runtime/exceptions.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

namespace formdump {

namespace {

// The forms of the program, whose descriptions formdump compiles.
const TClass* const programForms[] = {&TFormMain::ClassInfo};

// A filer that only notes the names of the custom properties offered to it.
class TNameRecorder : public TFiler {
public:
    explicit TNameRecorder(TStream& stream) : TFiler(stream, 16) {}
    void AcceptCustomProperty(std::string_view name, const TReaderProc&, const TWriterProc&,
                              bool) override {
        names.emplace_back(name);
    }
    void AcceptCustomBinary(std::string_view name, const TStreamProc&, const TStreamProc&,
                            bool) override {
        names.emplace_back(name);
    }
    void Resync() override {}
    std::vector<std::string> names;
};

std::string Utf8(const std::string& shiftJis) {
    return Utf16ToUtf8(ShiftJisToUtf16(shiftJis));
}

std::string Line(const Json& value) {
    return "line " + std::to_string(value.Line());
}

// The member names of a choice type, for a message.
std::string MemberList(const TTypeInfo* type) {
    std::string list;
    for (const char* member : type->Members)
        list += (list.empty() ? "" : ", ") + std::string(member);
    return list;
}

bool IsIntegerTag(uint8_t tag) {
    return tag == tgSigned8 || tag == tgSigned16 || tag == tgSigned32;
}
bool IsTextTag(uint8_t tag) {
    return tag == tgShortText || tag == tgLongText;
}
// Tags that the reader reads as a name (by their low seven bits).
bool IsNameLikeTag(uint8_t tag) {
    uint8_t kind = tag & 0x7F;
    return kind == tgName || kind == tgBoolFalse || kind == tgBoolTrue || kind == tgNone ||
           kind == tgEnd;
}

// The name a name-like value reads as: the reader's own reading of the tag.
std::string NameOf(uint8_t tag, const std::string& text) {
    if ((tag & 0x7F) == tgName) return text;
    TMemoryStream stream(std::vector<uint8_t>{tag});
    TReader reader(stream, 16);
    return reader.ReadNameValue();
}

// Whether the reader accepts a value of this tag for a property of this kind.
bool TagFitsKind(const TPropInfo& property, uint8_t tag) {
    switch (property.Type->Kind) {
    case pkOrdinal:
        return IsIntegerTag(tag) || tag == tgName;
    case pkCharacter:
        return tag == tgShortText;
    case pkChoice:
        return IsNameLikeTag(tag);
    case pkReal:
        return tag == tgFloat80 || IsIntegerTag(tag);
    case pkShortText:
    case pkText:
    case pkWideText:
        return IsTextTag(tag);
    case pkFlagSet:
        return tag == tgNameSet;
    case pkObjectRef:
        return tag == tgNone || tag == tgItems || IsNameLikeTag(tag);
    case pkHandler:
        return tag == tgNone || IsNameLikeTag(tag);
    case pkVariantData:
        return tag == tgEnd || tag == tgNone || IsIntegerTag(tag) || tag == tgFloat80 ||
               IsTextTag(tag) || tag == tgBoolFalse || tag == tgBoolTrue || tag == tgFloat32 ||
               tag == tgFixed64 || tag == tgDateTime || tag == tgWideText;
    case pkOrdinal64:
        return tag == tgSigned64 || IsIntegerTag(tag);
    default:
        return true; // no conversion: the reader neither reads nor sets these
    }
}

const char* KindName(TPropKind kind) {
    static const char* const names[] = {
        "integer", "character", "enumeration",    "floating-point", "string",
        "set",     "object",    "event",          "character",      "string",
        "string",  "variant",   "64-bit integer", "other"};
    return kind < std::size(names) ? names[kind] : "other";
}

} // namespace

NameChecker::NameChecker(const CompileChecks& checks) : checks_(checks) {
    // The identifier maps (colours, character sets, cursors) are registered
    // by the program's start-up, which formdump does not run.
    if (!FindIdentMap(&TypeColor)) StartGraphicsModule();
}

NameChecker::~NameChecker() = default;

void NameChecker::Unknown(const std::string& message) const {
    if (checks_.strict) throw JsonError(message + " (--strict)");
    if (checks_.warn)
        checks_.warn(message);
    else
        std::fprintf(stderr, "formdump: warning: %s\n", message.c_str());
}

const TClass* NameChecker::ComponentClass(const Json& at, const std::string& className,
                                          const TClass* root) const {
    std::string name = Utf8(className);
    if (!root) {
        for (const TClass* form : programForms)
            if (SameName(form->Name, className)) return form;
        if (const TClass* cls = LookupRegisteredClass(className)) return cls;
        std::string known;
        for (const TClass* form : programForms)
            known += (known.empty() ? "" : ", ") + std::string(form->Name);
        Unknown(Line(at) + ": class \"" + name + "\" is no form class of the program (" + known +
                ")");
        return nullptr;
    }
    // As the reader finds a child's class: the classes of the root's
    // published fields, then the registered classes.
    for (const TClass* cls = root; cls && cls != &TPersistent::ClassInfo; cls = cls->Parent)
        for (const TClass* field : cls->FieldClasses)
            if (SameName(field->Name, className)) return field;
    if (const TClass* cls = LookupRegisteredClass(className)) return cls;
    Unknown(Line(at) + ": class \"" + name +
            "\" is neither registered nor the class of a field of " + root->Name +
            "; the program could not create it");
    return nullptr;
}

const std::vector<std::string>& NameChecker::CustomProperties(const TClass* cls) {
    auto found = custom_.find(cls);
    if (found != custom_.end()) return found->second;
    std::vector<std::string>& names = custom_[cls];
    // An object with its field defaults only (its construction step is not
    // run) is enough to hear which custom properties it offers.
    if (cls->NewObject) {
        std::unique_ptr<TObject> object(cls->NewObject());
        if (auto* persistent = As<TPersistent>(object.get())) {
            TMemoryStream stream;
            TNameRecorder recorder(stream);
            persistent->DeclareExtraProperties(recorder);
            names = std::move(recorder.names);
        }
    }
    return names;
}

void NameChecker::Property(const TClass* cls, const TClass* root, const Json& property,
                           const std::string& path, uint8_t tag, const Json& value) {
    if (!cls) return;
    std::string shown = Utf8(path);
    size_t start = 0;
    for (;;) {
        size_t dot = path.find('.', start);
        std::string segment = path.substr(start, dot == std::string::npos ? dot : dot - start);
        const TPropInfo* info = cls->FindProperty(segment);
        if (dot != std::string::npos) {
            if (!info) {
                Unknown(Line(property) + ": \"" + Utf8(segment) + "\" in \"" + shown +
                        "\" is no property of " + cls->Name);
                return;
            }
            if (info->Type->Kind != pkObjectRef || !info->Type->ObjectClass) {
                Unknown(Line(property) + ": \"" + Utf8(segment) + "\" in \"" + shown +
                        "\" holds no object");
                return;
            }
            cls = info->Type->ObjectClass;
            start = dot + 1;
            continue;
        }
        if (info) {
            Value(*info, root, property, tag, value);
            return;
        }
        for (const std::string& custom : CustomProperties(cls))
            if (SameName(custom, segment)) return;
        Unknown(Line(property) + ": \"" + shown + "\" is no property of " + cls->Name);
        return;
    }
}

void NameChecker::Value(const TPropInfo& info, const TClass* root, const Json& property,
                        uint8_t tag, const Json& value) {
    std::string where = Line(property) + ": ";
    if (!TagFitsKind(info, tag))
        throw JsonError(where + "the property is of kind " + KindName(info.Type->Kind) + " (" +
                        info.Type->Name + ") and takes no value of tag " +
                        Utf16ToUtf8(property.At("tag").AsString()));
    auto text = [&]() { return value.kind() == Json::Object ? TextOf(value) : std::string(); };
    switch (info.Type->Kind) {
    case pkOrdinal:
        if (tag == tgName) {
            TIdentToInt map = FindIdentMap(info.Type);
            int32_t number = 0;
            if (!map) throw JsonError(where + "an identifier given to a plain integer property");
            if (!map(text(), number))
                throw JsonError(where + "\"" + Utf8(text()) + "\" is no identifier of " +
                                info.Type->Name);
        }
        break;
    case pkChoice: {
        std::string name = NameOf(tag, text());
        if (!info.Type->Members.empty() && info.Type->MemberOrdinal(name) < 0)
            throw JsonError(where + "\"" + Utf8(name) + "\" is no member of " + info.Type->Name +
                            " (" + MemberList(info.Type) + ")");
        break;
    }
    case pkFlagSet:
        for (const Json& member : value.AsArray()) {
            std::string name = TextOf(member);
            bool known = false;
            try {
                known = info.Type->ElementType && info.Type->ElementType->MemberOrdinal(name) >= 0;
            } catch (const Exception&) {
            }
            if (!known)
                throw JsonError(where + "\"" + Utf8(name) + "\" is no member of " +
                                info.Type->Name);
        }
        break;
    case pkHandler:
        if (tag != tgNone && root && !root->FindMethod(NameOf(tag, text())))
            throw JsonError(where + root->Name + " publishes no method \"" +
                            Utf8(NameOf(tag, text())) + "\"");
        break;
    default:
        break;
    }
}

} // namespace formdump
