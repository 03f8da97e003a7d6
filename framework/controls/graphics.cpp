#include "framework/controls/graphics.h"

constinit const TTypeInfo TypeColor = NamedIntegerType("TColor", osSLong);
constinit const TTypeInfo TypeFontCharset = NamedIntegerType("TFontCharset", osUByte);
constinit const TTypeInfo TypeCursor = NamedIntegerType("TCursor", osSWord);

namespace {

constexpr int32_t SystemColor(int index) {
    return static_cast<int32_t>(0x80000000u | static_cast<uint32_t>(index));
}

constexpr TIdentMapEntry colorTable[] = {
    {0x00000000, "clBlack"},
    {0x00000080, "clMaroon"},
    {0x00008000, "clGreen"},
    {0x00008080, "clOlive"},
    {0x00800000, "clNavy"},
    {0x00800080, "clPurple"},
    {0x00808000, "clTeal"},
    {0x00808080, "clGray"},
    {0x00C0C0C0, "clSilver"},
    {0x000000FF, "clRed"},
    {0x0000FF00, "clLime"},
    {0x0000FFFF, "clYellow"},
    {0x00FF0000, "clBlue"},
    {0x00FF00FF, "clFuchsia"},
    {0x00FFFF00, "clAqua"},
    {0x00FFFFFF, "clWhite"},
    {SystemColor(0), "clScrollBar"},
    {SystemColor(1), "clBackground"},
    {SystemColor(2), "clActiveCaption"},
    {SystemColor(3), "clInactiveCaption"},
    {SystemColor(4), "clMenu"},
    {SystemColor(5), "clWindow"},
    {SystemColor(6), "clWindowFrame"},
    {SystemColor(7), "clMenuText"},
    {SystemColor(8), "clWindowText"},
    {SystemColor(9), "clCaptionText"},
    {SystemColor(10), "clActiveBorder"},
    {SystemColor(11), "clInactiveBorder"},
    {SystemColor(12), "clAppWorkSpace"},
    {SystemColor(13), "clHighlight"},
    {SystemColor(14), "clHighlightText"},
    {SystemColor(15), "clBtnFace"},
    {SystemColor(16), "clBtnShadow"},
    {SystemColor(17), "clGrayText"},
    {SystemColor(18), "clBtnText"},
    {SystemColor(19), "clInactiveCaptionText"},
    {SystemColor(20), "clBtnHighlight"},
    {SystemColor(21), "cl3DDkShadow"},
    {SystemColor(22), "cl3DLight"},
    {SystemColor(23), "clInfoText"},
    {SystemColor(24), "clInfoBk"},
    {0x1FFFFFFF, "clNone"},
};

constexpr TIdentMapEntry charsetTable[] = {
    {0, "ANSI_CHARSET"},     {1, "DEFAULT_CHARSET"},      {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},     {128, "SHIFTJIS_CHARSET"},   {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},  {134, "GB2312_CHARSET"},     {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"},  {162, "TURKISH_CHARSET"},    {177, "HEBREW_CHARSET"},
    {178, "ARABIC_CHARSET"}, {186, "BALTIC_CHARSET"},     {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"},   {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"},
};

constexpr TIdentMapEntry cursorTable[] = {
    {0, "crDefault"},     {-1, "crNone"},     {-2, "crArrow"},      {-3, "crCross"},
    {-4, "crIBeam"},      {-6, "crSizeNESW"}, {-7, "crSizeNS"},     {-8, "crSizeNWSE"},
    {-9, "crSizeWE"},     {-10, "crUpArrow"}, {-11, "crHourGlass"}, {-12, "crDrag"},
    {-13, "crNoDrop"},    {-14, "crHSplit"},  {-15, "crVSplit"},    {-16, "crMultiDrag"},
    {-17, "crSQLWait"},   {-18, "crNo"},      {-19, "crAppStart"},  {-20, "crHelp"},
    {-21, "crHandPoint"}, {-22, "crSizeAll"},
};

static_assert(std::size(colorTable) == 42 && std::size(charsetTable) == 18);

// The identifier map functions of one table.
template <const auto& Table> struct TTableMap {
    static bool ToInt(std::string_view ident, int32_t& value) {
        return IdentToIntFrom(Table, ident, value);
    }
    static bool ToIdent(int32_t value, std::string& ident) {
        return IntToIdentFrom(Table, value, ident);
    }
    static void Register(const TTypeInfo* type) { RegisterIdentMap(type, &ToInt, &ToIdent); }
};

} // namespace

const std::span<const TIdentMapEntry> ColorIdents = colorTable;
const std::span<const TIdentMapEntry> CharsetIdents = charsetTable;
const std::span<const TIdentMapEntry> CursorIdents = cursorTable;

void StartGraphicsModule() {
    TTableMap<colorTable>::Register(&TypeColor);
    TTableMap<charsetTable>::Register(&TypeFontCharset);
    TTableMap<cursorTable>::Register(&TypeCursor);
}

void StopGraphicsModule() {
    UnregisterIdentMaps(&TypeColor);
    UnregisterIdentMaps(&TypeFontCharset);
    UnregisterIdentMaps(&TypeCursor);
}
