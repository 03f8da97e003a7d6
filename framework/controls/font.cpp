#include "framework/controls/font.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* fontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

constexpr TPropInfo fontProperties[] = {
    Property<&TFont::Charset, &TFont::SetCharset>("Charset", &TypeFontCharset),
    Property<&TFont::Color, &TFont::SetColor>("Color", &TypeColor),
    Property<&TFont::Height, &TFont::SetHeight>("Height", &TypeInteger),
    Property<&TFont::Name, &TFont::SetName>("Name", &TypeString),
    Property<&TFont::Style, &TFont::SetStyle>("Style", &TypeFontStyles),
};

} // namespace

constinit const TTypeInfo TypeFontStyle = EnumType("TFontStyle", fontStyleNames);
constinit const TTypeInfo TypeFontStyles = SetType("TFontStyles", &TypeFontStyle);
constinit const TClass TFont::ClassInfo =
    MakeClass<TFont>("TFont", &TPersistent::ClassInfo, fontProperties);
constinit const TTypeInfo TypeFontObject = ObjectType("TFont", &TFont::ClassInfo);

template <class T> void TFont::Update(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
}

void TFont::SetCharset(TFontCharset charset) {
    Update(FCharset, charset);
}
void TFont::SetColor(TColor color) {
    Update(FColor, color);
}
void TFont::SetHeight(int32_t height) {
    Update(FHeight, height);
}
void TFont::SetName(const std::string& name) {
    Update(FName, name);
}
void TFont::SetStyle(TFontStyles style) {
    Update(FStyle, style);
}

void TFont::Assign(const TFont& other) {
    if (&other == this) return;
    FCharset = other.FCharset;
    FColor = other.FColor;
    FHeight = other.FHeight;
    FName = other.FName;
    FStyle = other.FStyle;
    Changed();
}

HFONT TFont::Handle() {
    if (!FHandle) {
        LOGFONTA font{};
        font.lfHeight = FHeight;
        font.lfWeight = (FStyle & (1u << fsBold)) ? FW_BOLD : FW_NORMAL;
        font.lfItalic = (FStyle & (1u << fsItalic)) ? 1 : 0;
        font.lfUnderline = (FStyle & (1u << fsUnderline)) ? 1 : 0;
        font.lfStrikeOut = (FStyle & (1u << fsStrikeOut)) ? 1 : 0;
        font.lfCharSet = FCharset;
        // The face name field holds 31 bytes and its terminating zero.
        std::memcpy(font.lfFaceName, FName.data(),
                    std::min(FName.size(), sizeof(font.lfFaceName) - 1));
        FHandle = CreateFontIndirectA(&font);
    }
    return FHandle;
}

void TFont::Changed() {
    ReleaseHandle();
    if (OnChange.Assigned()) OnChange(this);
}

void TFont::ReleaseHandle() {
    if (FHandle) DeleteObject(FHandle);
    FHandle = nullptr;
}

void TFont::Destroy() {
    ReleaseHandle();
    TPersistent::Destroy();
}
