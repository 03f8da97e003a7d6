// gdi32: device contexts and their state. Drawing into them is bookkeeping:
// the host has no pixels, so text and fills leave no trace.
#include "hostwin/windows.h"

#include "gdi_objects.h"
#include "machine.h"
#include "object_table.h"

using namespace hostwin;

namespace {

ObjectTable<HDC, DeviceContext>& Contexts() {
    static auto* table = new ObjectTable<HDC, DeviceContext>();
    return *table;
}

HDC NewContext(HWND window, bool memory) {
    auto context = std::make_shared<DeviceContext>();
    context->window = window;
    context->memory = memory;
    // A new context starts with the system font, a white brush and a black pen.
    context->font = GetStockObject(SYSTEM_FONT);
    context->brush = GetStockObject(WHITE_BRUSH);
    context->pen = GetStockObject(BLACK_PEN);
    return Contexts().Add(context);
}

HDC ContextOfWindow(HWND window) {
    if (window && !RequireWindow(window)) return nullptr;
    return NewContext(window, false);
}

bool FreeContext(HDC dc, bool memory) {
    std::shared_ptr<DeviceContext> context = Contexts().Find(dc);
    return context && context->memory == memory && Contexts().Remove(dc);
}

// Replaces one colour of a context; the result is the previous colour.
COLORREF SwapColor(HDC dc, COLORREF DeviceContext::*field, COLORREF color) {
    std::shared_ptr<DeviceContext> context = Contexts().Find(dc);
    if (!context) return CLR_INVALID;
    COLORREF old = (*context).*field;
    (*context).*field = color;
    return old;
}

HGDIOBJ* SlotFor(DeviceContext& dc, DWORD type) {
    switch (type) {
    case OBJ_FONT:
        return &dc.font;
    case OBJ_BRUSH:
        return &dc.brush;
    case OBJ_PEN:
        return &dc.pen;
    case OBJ_BITMAP:
        return &dc.bitmap;
    default:
        return nullptr;
    }
}

} // namespace

namespace hostwin {

std::shared_ptr<DeviceContext> FindDeviceContext(HDC dc) {
    return Contexts().Find(dc);
}

} // namespace hostwin

extern "C" {

HDC WINAPI GetDC(HWND window) {
    return ContextOfWindow(window);
}

int WINAPI ReleaseDC(HWND, HDC dc) {
    return FreeContext(dc, false) ? 1 : 0;
}

HDC WINAPI CreateCompatibleDC(HDC dc) {
    if (dc && !FindDeviceContext(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return NewContext(nullptr, true);
}

BOOL WINAPI DeleteDC(HDC dc) {
    if (FreeContext(dc, true) || FreeContext(dc, false)) return TRUE;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
    std::shared_ptr<DeviceContext> context = FindDeviceContext(dc);
    std::shared_ptr<GdiObject> selected = FindGdiObject(object);
    if (!context || !selected) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HGDIOBJ* slot = SlotFor(*context, selected->type);
    if (!slot) return nullptr;
    HGDIOBJ old = *slot;
    *slot = object;
    return old;
}

int WINAPI GetDeviceCaps(HDC dc, int index) {
    if (!FindDeviceContext(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const Machine& machine = TheMachine();
    const RECT& primary = machine.monitors.front();
    int width = primary.right - primary.left;
    int height = primary.bottom - primary.top;
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY:
        return machine.dpi;
    case HORZRES:
        return width;
    case VERTRES:
        return height;
    case HORZSIZE:
        return MulDiv(width, 254, machine.dpi * 10);
    case VERTSIZE:
        return MulDiv(height, 254, machine.dpi * 10);
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return -1;
    case SIZEPALETTE:
        return 0;
    case RASTERCAPS:
        return 0x7E99; // bit transfers, scaling, DIBs, no palette
    default:
        return 0;
    }
}

int WINAPI SetBkMode(HDC dc, int mode) {
    std::shared_ptr<DeviceContext> context = FindDeviceContext(dc);
    if (!context || (mode != TRANSPARENT && mode != OPAQUE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int old = context->backgroundMode;
    context->backgroundMode = mode;
    return old;
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF color) {
    return SwapColor(dc, &DeviceContext::textColor, color);
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF color) {
    return SwapColor(dc, &DeviceContext::backgroundColor, color);
}

BOOL WINAPI TextOutA(HDC dc, int, int, LPCSTR text, int length) {
    if (!FindDeviceContext(dc) || length < 0 || (length > 0 && !text)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

} // extern "C"
