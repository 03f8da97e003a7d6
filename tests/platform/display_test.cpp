// Monitors, system parameters, colours and the GDI calls the framework
// makes: device capabilities, fonts and text measurement.
#include "window_test_support.h"

#include <cstring>

using namespace window_tests;

namespace {

class DisplayTest : public WindowTest {};

TEST_F(DisplayTest, PrimaryMonitorHoldsTheApplicationWindow) {
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND window = MakeWindow(0x84CA0000, nullptr, "", width / 2, height / 2, 0, 0);
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(MonitorFromWindow(nullptr, MONITOR_DEFAULTTONEAREST), monitor);
    POINT origin{0, 0};
    EXPECT_EQ(MonitorFromPoint(origin, MONITOR_DEFAULTTONULL), monitor);
    POINT distant{-100000, -100000};
    EXPECT_EQ(MonitorFromPoint(distant, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_EQ(MonitorFromPoint(distant, MONITOR_DEFAULTTOPRIMARY), monitor);
    EXPECT_EQ(MonitorFromPoint(distant, MONITOR_DEFAULTTONEAREST), monitor);

    MONITORINFO info{};
    info.cbSize = 40;
    ASSERT_TRUE(GetMonitorInfoA(monitor, &info));
    EXPECT_RECT(info.rcMonitor, 0, 0, width, height);
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
    info.cbSize = 12;
    EXPECT_FALSE(GetMonitorInfoA(monitor, &info));
}

TEST_F(DisplayTest, MonitorFunctionsCanBeLookedUp) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    ASSERT_NE(user32, nullptr);
    for (const char* name : {"MonitorFromWindow", "MonitorFromPoint", "MonitorFromRect",
                             "GetMonitorInfoA", "EnumDisplayMonitors"})
        EXPECT_NE(GetProcAddress(user32, name), nullptr) << name;
    using MonitorFromWindowFunction = HMONITOR(WINAPI*)(HWND, DWORD);
    auto lookedUp = reinterpret_cast<MonitorFromWindowFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "MonitorFromWindow")));
    EXPECT_EQ(lookedUp(nullptr, MONITOR_DEFAULTTOPRIMARY),
              MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY));
}

TEST_F(DisplayTest, AnimationSettingCanBeReadAndWritten) {
    ANIMATIONINFO info{sizeof(info), -1};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETANIMATION, sizeof(info), &info, 0));
    EXPECT_TRUE(info.iMinAnimate == 0 || info.iMinAnimate == 1);
    EXPECT_TRUE(SystemParametersInfoA(SPI_SETANIMATION, sizeof(info), &info, 0));
    ANIMATIONINFO wrongSize{3, 0};
    EXPECT_FALSE(SystemParametersInfoA(SPI_GETANIMATION, sizeof(wrongSize), &wrongSize, 0));
    RECT work{};
    EXPECT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_GT(work.right, work.left);
}

TEST_F(DisplayTest, SystemColoursAreWindowsDefaults) {
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), 0xFFFFFFu);
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), 0u);
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), face);
    LOGBRUSH brush{};
    EXPECT_EQ(GetObjectA(face, sizeof(brush), &brush), static_cast<int>(sizeof(brush)));
    EXPECT_EQ(brush.lbColor, GetSysColor(COLOR_BTNFACE));
}

TEST_F(DisplayTest, ScreenDeviceCapabilities) {
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY));
    EXPECT_GT(GetDeviceCaps(screen, LOGPIXELSY), 0);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(GetDeviceCaps(screen, VERTRES), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(screen, PLANES), 1);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST_F(DisplayTest, FontsKeepTheirDescription) {
    LOGFONTA font{};
    font.lfHeight = -12;
    font.lfCharSet = SHIFTJIS_CHARSET;
    std::strcpy(font.lfFaceName, "Tahoma");
    HFONT handle = CreateFontIndirectA(&font);
    ASSERT_NE(handle, nullptr);
    LOGFONTA back{};
    EXPECT_EQ(GetObjectA(handle, sizeof(back), &back), static_cast<int>(sizeof(LOGFONTA)));
    EXPECT_EQ(back.lfHeight, -12);
    EXPECT_EQ(back.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_STREQ(back.lfFaceName, "Tahoma");
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, handle);
    EXPECT_NE(old, nullptr);
    EXPECT_EQ(SelectObject(dc, old), handle);
    ReleaseDC(nullptr, dc);
    EXPECT_TRUE(DeleteObject(handle));
    EXPECT_EQ(GetObjectA(handle, sizeof(back), &back), 0);
    EXPECT_TRUE(DeleteObject(GetStockObject(DEFAULT_GUI_FONT))); // stock objects stay
    EXPECT_NE(GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(back), &back), 0);
}

TEST_F(DisplayTest, DeviceContextState) {
    HWND window = MakeWindow(WS_POPUP);
    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(dc, OPAQUE), TRANSPARENT);
    EXPECT_EQ(SetTextColor(dc, RGB(1, 2, 3)), 0u);
    EXPECT_EQ(SetTextColor(dc, 0), RGB(1, 2, 3));
    EXPECT_EQ(SetBkColor(dc, 0), RGB(255, 255, 255));
    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    RECT rect{0, 0, 5, 5};
    EXPECT_NE(FillRect(dc, &rect, brush), 0);
    EXPECT_TRUE(TextOutA(dc, 0, 0, "abc", 3));
    EXPECT_TRUE(DeleteObject(brush));
    HDC memory = CreateCompatibleDC(dc);
    EXPECT_NE(memory, nullptr);
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_EQ(ReleaseDC(window, dc), 1);
}

} // namespace
