// The least windowed program: what every run of the launcher costs at least.
// It registers a window class, creates a hidden window, measures the text "0"
// in it and exits. Loading the window system alone is a large part of a short
// program's time under Wine, so an empty program would be no fair baseline.
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "BaselineWindow";
    if (!RegisterClassA(&windowClass)) return 1;
    HWND window = CreateWindowExA(0, "BaselineWindow", "Baseline", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                  100, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    HDC dc = GetDC(window);
    SIZE size{};
    GetTextExtentPoint32A(dc, "0", 1, &size);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return size.cy > 0 ? 0 : 1;
}
