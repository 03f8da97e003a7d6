// gdi32: the object table, stock objects, fonts and brushes.
#include "hostwin/windows.h"

#include "gdi_objects.h"
#include "object_table.h"

#include <algorithm>
#include <cstring>

using namespace hostwin;

namespace {

ObjectTable<HGDIOBJ, GdiObject>& Objects() {
    static auto* table = new ObjectTable<HGDIOBJ, GdiObject>();
    return *table;
}

GdiObject StockFont(LONG height, const char* face, bool fixed) {
    GdiObject object;
    object.type = OBJ_FONT;
    object.stock = true;
    object.font.lfHeight = height;
    object.font.lfWeight = FW_NORMAL;
    object.font.lfCharSet = DEFAULT_CHARSET;
    object.font.lfPitchAndFamily = fixed ? 1 : 2; // FIXED_PITCH or VARIABLE_PITCH
    std::strncpy(object.font.lfFaceName, face, LF_FACESIZE - 1);
    return object;
}

GdiObject StockBrush(UINT style, COLORREF color) {
    GdiObject object;
    object.type = OBJ_BRUSH;
    object.stock = true;
    object.brush = LOGBRUSH{style, color, 0};
    return object;
}

GdiObject StockPen(COLORREF color) {
    GdiObject object;
    object.type = OBJ_PEN;
    object.stock = true;
    object.penColor = color;
    return object;
}

std::map<int, HGDIOBJ> MakeStockObjects() {
    std::map<int, HGDIOBJ> stock;
    stock[WHITE_BRUSH] = NewGdiObject(StockBrush(BS_SOLID, 0xFFFFFF));
    stock[LTGRAY_BRUSH] = NewGdiObject(StockBrush(BS_SOLID, 0xC0C0C0));
    stock[GRAY_BRUSH] = NewGdiObject(StockBrush(BS_SOLID, 0x808080));
    stock[DKGRAY_BRUSH] = NewGdiObject(StockBrush(BS_SOLID, 0x404040));
    stock[BLACK_BRUSH] = NewGdiObject(StockBrush(BS_SOLID, 0x000000));
    stock[NULL_BRUSH] = NewGdiObject(StockBrush(BS_NULL, 0));
    stock[WHITE_PEN] = NewGdiObject(StockPen(0xFFFFFF));
    stock[BLACK_PEN] = NewGdiObject(StockPen(0x000000));
    stock[NULL_PEN] = NewGdiObject(StockPen(0));
    stock[OEM_FIXED_FONT] = NewGdiObject(StockFont(12, "Terminal", true));
    stock[ANSI_FIXED_FONT] = NewGdiObject(StockFont(12, "Courier", true));
    stock[ANSI_VAR_FONT] = NewGdiObject(StockFont(12, "MS Sans Serif", false));
    stock[SYSTEM_FONT] = NewGdiObject(StockFont(16, "System", false));
    stock[DEVICE_DEFAULT_FONT] = NewGdiObject(StockFont(16, "System", false));
    GdiObject palette;
    palette.type = OBJ_PAL;
    palette.stock = true;
    stock[DEFAULT_PALETTE] = NewGdiObject(palette);
    stock[SYSTEM_FIXED_FONT] = NewGdiObject(StockFont(16, "Fixedsys", true));
    stock[DEFAULT_GUI_FONT] = NewGdiObject(StockFont(-11, "MS Shell Dlg", false));
    return stock;
}

} // namespace

namespace hostwin {

HGDIOBJ NewGdiObject(const GdiObject& object) {
    return Objects().Add(std::make_shared<GdiObject>(object));
}

std::shared_ptr<GdiObject> FindGdiObject(HGDIOBJ handle) {
    return Objects().Find(handle);
}

} // namespace hostwin

extern "C" {

HGDIOBJ WINAPI GetStockObject(int index) {
    static const std::map<int, HGDIOBJ> stock = MakeStockObjects();
    auto it = stock.find(index);
    return it == stock.end() ? nullptr : it->second;
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* font) {
    if (!font) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    GdiObject object;
    object.type = OBJ_FONT;
    object.font = *font;
    object.font.lfFaceName[LF_FACESIZE - 1] = 0;
    return static_cast<HFONT>(NewGdiObject(object));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    GdiObject object;
    object.type = OBJ_BRUSH;
    object.brush = LOGBRUSH{BS_SOLID, color & 0x00FFFFFF, 0};
    return static_cast<HBRUSH>(NewGdiObject(object));
}

BOOL WINAPI DeleteObject(HGDIOBJ handle) {
    std::shared_ptr<GdiObject> object = FindGdiObject(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Stock objects stay; deleting one succeeds and does nothing.
    if (!object->stock) Objects().Remove(handle);
    return TRUE;
}

int WINAPI GetObjectA(HGDIOBJ handle, int size, LPVOID buffer) {
    std::shared_ptr<GdiObject> object = FindGdiObject(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const void* data = nullptr;
    size_t length = 0;
    switch (object->type) {
    case OBJ_FONT:
        data = &object->font;
        length = sizeof(object->font);
        break;
    case OBJ_BRUSH:
        data = &object->brush;
        length = sizeof(object->brush);
        break;
    default:
        return 0;
    }
    // Without a buffer the result is the size the object needs.
    if (!buffer) return static_cast<int>(length);
    if (size <= 0) return 0;
    size_t count = std::min(length, static_cast<size_t>(size));
    std::memcpy(buffer, data, count);
    return static_cast<int>(count);
}

} // extern "C"
