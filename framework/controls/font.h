// TFont: the font of a control, as a description gives it (character set,
// colour, height, face name, styles), with the GDI font made on first need
// and a change notification to the control that owns it.
#pragma once

#include "framework/classes/persistent.h"
#include "framework/controls/graphics.h"
#include "platform/win32.h"

#include <cstdint>
#include <string>

enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
// A set of TFontStyle: bit 1 << member.
using TFontStyles = uint8_t;

extern const TTypeInfo TypeFontStyle;
extern const TTypeInfo TypeFontStyles;

class TFont : public TPersistent {
public:
    DECLARE_CLASS_INFO()

    // The font a control starts with.
    static constexpr int DefaultHeight = -11;
    static constexpr const char* DefaultName = "MS Sans Serif";

    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset charset);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    // Negative: the character height in pixels; positive: the cell height.
    int32_t Height() const { return FHeight; }
    void SetHeight(int32_t height);
    const std::string& Name() const { return FName; }
    void SetName(const std::string& name);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles style);

    // Takes every value of another font, with one change notification.
    void Assign(const TFont& other);

    // The GDI font of these values, made on first need and remade after a change.
    HFONT Handle();

    // Called with the font as sender after any value changed.
    TNotifyEvent OnChange;

    void Destroy() override;

private:
    // Sets a value and notifies, when it differs.
    template <class T> void Update(T& field, const T& value);
    void Changed();
    void ReleaseHandle();

    TFontCharset FCharset = DEFAULT_CHARSET;
    TColor FColor = static_cast<TColor>(0x80000008); // clWindowText
    int32_t FHeight = DefaultHeight;
    std::string FName = DefaultName;
    TFontStyles FStyle = 0;
    HFONT FHandle = nullptr;
};

extern const TTypeInfo TypeFontObject;
