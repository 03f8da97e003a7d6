// gdi32: text metrics. The host has no font files; it gives every font
// metrics in the manner of the Japanese UI fonts: a font asked for by
// character height (lfHeight -N) has a cell of N pixels with no internal
// leading, one asked for by cell height (lfHeight N) keeps an eighth of it as
// internal leading. Half-width characters are half the character height
// wide (rounded up), double-byte characters the full height.
#include "hostwin/windows.h"

#include "codepage.h"
#include "gdi_objects.h"
#include "machine.h"

#include <cstring>

using namespace hostwin;

namespace {

struct FontMetrics {
    LONG cell = 16;
    LONG internalLeading = 2;
    LONG characterHeight = 14;
    LONG halfWidth = 7;
    LONG fullWidth = 14;
    UINT codePage = 1252;
};

UINT CodePageOfCharset(BYTE charset) {
    switch (charset) {
    case SHIFTJIS_CHARSET:
        return 932;
    case DEFAULT_CHARSET:
        return TheMachine().ansiCodePage;
    default:
        return 1252;
    }
}

FontMetrics MetricsOf(const LOGFONTA& font) {
    FontMetrics metrics;
    if (font.lfHeight < 0) {
        metrics.characterHeight = -font.lfHeight;
        metrics.internalLeading = 0;
        metrics.cell = metrics.characterHeight;
    } else if (font.lfHeight > 0) {
        metrics.cell = font.lfHeight;
        metrics.internalLeading = font.lfHeight / 8;
        metrics.characterHeight = metrics.cell - metrics.internalLeading;
    }
    metrics.halfWidth = font.lfWidth > 0 ? font.lfWidth : (metrics.characterHeight + 1) / 2;
    metrics.fullWidth = font.lfWidth > 0 ? 2 * font.lfWidth : metrics.characterHeight;
    metrics.codePage = CodePageOfCharset(font.lfCharSet);
    return metrics;
}

// The font selected into a context, or null.
const LOGFONTA* SelectedFont(HDC dc, std::shared_ptr<GdiObject>& holder) {
    std::shared_ptr<DeviceContext> context = FindDeviceContext(dc);
    if (!context) return nullptr;
    holder = FindGdiObject(context->font);
    if (!holder) holder = FindGdiObject(GetStockObject(SYSTEM_FONT));
    return holder ? &holder->font : nullptr;
}

} // namespace

extern "C" {

BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size) {
    std::shared_ptr<GdiObject> holder;
    const LOGFONTA* font = SelectedFont(dc, holder);
    if (!font || !size || length < 0 || (length > 0 && !text)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FontMetrics metrics = MetricsOf(*font);
    LONG width = 0;
    for (int i = 0; i < length; ++i) {
        if (IsLeadByte(metrics.codePage, static_cast<BYTE>(text[i])) && i + 1 < length) {
            width += metrics.fullWidth;
            ++i;
        } else {
            width += metrics.halfWidth;
        }
    }
    size->cx = width;
    size->cy = metrics.cell;
    return TRUE;
}

BOOL WINAPI GetTextMetricsA(HDC dc, LPTEXTMETRICA tm) {
    std::shared_ptr<GdiObject> holder;
    const LOGFONTA* font = SelectedFont(dc, holder);
    if (!font || !tm) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FontMetrics metrics = MetricsOf(*font);
    std::memset(tm, 0, sizeof(*tm));
    tm->tmHeight = metrics.cell;
    tm->tmDescent = (metrics.cell + 4) / 8;
    tm->tmAscent = metrics.cell - tm->tmDescent;
    tm->tmInternalLeading = metrics.internalLeading;
    tm->tmExternalLeading = 0;
    tm->tmAveCharWidth = metrics.halfWidth;
    tm->tmMaxCharWidth = metrics.fullWidth;
    tm->tmWeight = font->lfWeight ? font->lfWeight : FW_NORMAL;
    int dpi = TheMachine().dpi;
    tm->tmDigitizedAspectX = dpi;
    tm->tmDigitizedAspectY = dpi;
    bool doubleByte = metrics.codePage == 932;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = doubleByte ? 0xFC : 0xFF;
    tm->tmDefaultChar = doubleByte ? 0x81 : 0x1F;
    tm->tmBreakChar = 0x20;
    tm->tmItalic = font->lfItalic;
    tm->tmUnderlined = font->lfUnderline;
    tm->tmStruckOut = font->lfStrikeOut;
    // TMPF_FIXED_PITCH set means variable pitch; TrueType, vector.
    tm->tmPitchAndFamily = 0x07;
    tm->tmCharSet = font->lfCharSet == DEFAULT_CHARSET
                        ? (doubleByte ? SHIFTJIS_CHARSET : ANSI_CHARSET)
                        : font->lfCharSet;
    return TRUE;
}

} // extern "C"
