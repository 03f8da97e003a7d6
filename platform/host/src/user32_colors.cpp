// user32: the system colours (Windows' default scheme) and their brushes,
// and FillRect.
#include "hostwin/windows.h"

#include "gdi_objects.h"

#include <array>

using namespace hostwin;

namespace {

constexpr int kColorCount = 31;

// Windows' default colours, COLORREF 0x00BBGGRR, by index.
constexpr std::array<COLORREF, kColorCount> kDefaultColors = {
    0xC8C8C8, // COLOR_SCROLLBAR
    0x000000, // COLOR_BACKGROUND
    0xD1B499, // COLOR_ACTIVECAPTION
    0xDBCDBF, // COLOR_INACTIVECAPTION
    0xF0F0F0, // COLOR_MENU
    0xFFFFFF, // COLOR_WINDOW
    0x646464, // COLOR_WINDOWFRAME
    0x000000, // COLOR_MENUTEXT
    0x000000, // COLOR_WINDOWTEXT
    0x000000, // COLOR_CAPTIONTEXT
    0xB4B4B4, // COLOR_ACTIVEBORDER
    0xFCF7F4, // COLOR_INACTIVEBORDER
    0xABABAB, // COLOR_APPWORKSPACE
    0xFF9933, // COLOR_HIGHLIGHT
    0xFFFFFF, // COLOR_HIGHLIGHTTEXT
    0xF0F0F0, // COLOR_BTNFACE
    0xA0A0A0, // COLOR_BTNSHADOW
    0x6D6D6D, // COLOR_GRAYTEXT
    0x000000, // COLOR_BTNTEXT
    0x544E43, // COLOR_INACTIVECAPTIONTEXT
    0xFFFFFF, // COLOR_BTNHIGHLIGHT
    0x696969, // COLOR_3DDKSHADOW
    0xE3E3E3, // COLOR_3DLIGHT
    0x000000, // COLOR_INFOTEXT
    0xE1FFFF, // COLOR_INFOBK
    0xB5B5B5, // 25, unused
    0xCC6600, // COLOR_HOTLIGHT
    0xEAD1B9, // COLOR_GRADIENTACTIVECAPTION
    0xF2E4D7, // COLOR_GRADIENTINACTIVECAPTION
    0xFF9933, // COLOR_MENUHILIGHT
    0xF0F0F0, // COLOR_MENUBAR
};

} // namespace

extern "C" {

DWORD WINAPI GetSysColor(int index) {
    return index >= 0 && index < kColorCount ? kDefaultColors[static_cast<size_t>(index)] : 0;
}

HBRUSH WINAPI GetSysColorBrush(int index) {
    // One brush per colour for the whole process; like stock objects they
    // survive DeleteObject.
    static const std::array<HBRUSH, kColorCount> brushes = [] {
        std::array<HBRUSH, kColorCount> made{};
        for (size_t i = 0; i < made.size(); ++i) {
            GdiObject object;
            object.type = OBJ_BRUSH;
            object.stock = true;
            object.brush = LOGBRUSH{BS_SOLID, kDefaultColors[i], 0};
            made[i] = static_cast<HBRUSH>(NewGdiObject(object));
        }
        return made;
    }();
    return index >= 0 && index < kColorCount ? brushes[static_cast<size_t>(index)] : nullptr;
}

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    if (!FindDeviceContext(dc) || !rect) return 0;
    // A brush may be given as a system colour index + 1.
    uintptr_t value = reinterpret_cast<uintptr_t>(brush);
    if (value > 0 && value <= kColorCount) return 1;
    return FindGdiObject(brush) ? 1 : 0;
}

} // extern "C"
