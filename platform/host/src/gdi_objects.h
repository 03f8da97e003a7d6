// The host's GDI objects: fonts, brushes, pens and bitmaps in one table, and
// the device contexts of windows, of the screen and in memory.
#pragma once

#include "hostwin/windows.h"

#include <memory>

namespace hostwin {

struct GdiObject {
    DWORD type = 0;     // OBJ_FONT, OBJ_BRUSH, OBJ_PEN, OBJ_BITMAP, OBJ_PAL
    bool stock = false; // stock objects and system colour brushes are never deleted
    LOGFONTA font{};
    LOGBRUSH brush{};
    COLORREF penColor = 0;
};

struct DeviceContext {
    HWND window = nullptr; // null for the screen and memory contexts
    bool memory = false;   // from CreateCompatibleDC: freed by DeleteDC, not ReleaseDC
    HGDIOBJ font = nullptr;
    HGDIOBJ brush = nullptr;
    HGDIOBJ pen = nullptr;
    HGDIOBJ bitmap = nullptr;
    int backgroundMode = OPAQUE;
    COLORREF textColor = 0x000000;
    COLORREF backgroundColor = 0xFFFFFF;
};

// Enters an object in the table and returns its handle.
HGDIOBJ NewGdiObject(const GdiObject& object);
// The object of a handle, or null.
std::shared_ptr<GdiObject> FindGdiObject(HGDIOBJ handle);
// The device context of a handle, or null.
std::shared_ptr<DeviceContext> FindDeviceContext(HDC dc);

} // namespace hostwin
