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
    Update(charset_, charset);
}
void TFont::SetColor(TColor color) {
    Update(color_, color);
}
void TFont::SetHeight(int32_t height) {
    Update(height_, height);
}
void TFont::SetName(const std::string& name) {
    Update(name_, name);
}
void TFont::SetStyle(TFontStyles style) {
    Update(style_, style);
}

void TFont::Assign(const TFont& other) {
    if (&other == this) return;
    charset_ = other.charset_;
    color_ = other.color_;
    height_ = other.height_;
    name_ = other.name_;
    style_ = other.style_;
    Changed();
}

HFONT TFont::Handle() {
    if (!handle_) {
        LOGFONTA font{};
        font.lfHeight = height_;
        font.lfWeight = (style_ & (1u << fsBold)) ? FW_BOLD : FW_NORMAL;
        font.lfItalic = (style_ & (1u << fsItalic)) ? 1 : 0;
        font.lfUnderline = (style_ & (1u << fsUnderline)) ? 1 : 0;
        font.lfStrikeOut = (style_ & (1u << fsStrikeOut)) ? 1 : 0;
        font.lfCharSet = charset_;
        // The face name field holds 31 bytes and its terminating zero.
        std::memcpy(font.lfFaceName, name_.data(),
                    std::min(name_.size(), sizeof(font.lfFaceName) - 1));
        handle_ = CreateFontIndirectA(&font);
    }
    return handle_;
}

void TFont::Changed() {
    ReleaseHandle();
    if (OnChange.Assigned()) OnChange(this);
}

void TFont::ReleaseHandle() {
    if (handle_) DeleteObject(handle_);
    handle_ = nullptr;
}

void TFont::Destroy() {
    ReleaseHandle();
    TPersistent::Destroy();
}
