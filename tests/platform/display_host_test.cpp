// The host machine's display: several monitors from HOSTWIN_MONITORS, the
// pixel density, the text measurement the framework relies on, and icons
// from a module's resources.
#include "host_journal.h"
#include "resources.h"
#include "window_test_support.h"

#include <cstring>

using namespace window_tests;
using testing::ExitedWithCode;

namespace {

class DisplayHostTest : public WindowTest {};

// The machine is read once per process: cases with other settings run in a
// fresh process (the "threadsafe" death test style starts the program anew).
class OtherMachine {
public:
    OtherMachine(const char* variable, const char* value) : variable_(variable) {
        const char* old = std::getenv(variable);
        had_ = old != nullptr;
        if (old) old_ = old;
        setenv(variable, value, 1);
        style_ = GTEST_FLAG_GET(death_test_style);
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
    ~OtherMachine() {
        if (had_)
            setenv(variable_, old_.c_str(), 1);
        else
            unsetenv(variable_);
        GTEST_FLAG_SET(death_test_style, style_);
    }

private:
    const char* variable_;
    std::string old_;
    bool had_ = false;
    std::string style_;
};

// Ends the child process: 0 when every check held, else after naming the first that failed.
#define CHILD_CHECK(condition)                                                                     \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "failed: %s\n", #condition);                                      \
            _exit(1);                                                                              \
        }                                                                                          \
    } while (0)

bool SameRect(const RECT& a, LONG left, LONG top, LONG right, LONG bottom) {
    return a.left == left && a.top == top && a.right == right && a.bottom == bottom;
}

BOOL CALLBACK CountMonitors(HMONITOR, HDC, LPRECT, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

void CheckTwoMonitors() {
    CHILD_CHECK(GetSystemMetrics(SM_CMONITORS) == 2);
    CHILD_CHECK(GetSystemMetrics(SM_CXSCREEN) == 1024);
    POINT onSecond{1100, 10}, right{5000, 100};
    HMONITOR primary = MonitorFromPoint(POINT{10, 10}, MONITOR_DEFAULTTONULL);
    HMONITOR second = MonitorFromPoint(onSecond, MONITOR_DEFAULTTONULL);
    CHILD_CHECK(primary && second && primary != second);
    CHILD_CHECK(MonitorFromPoint(right, MONITOR_DEFAULTTONULL) == nullptr);
    CHILD_CHECK(MonitorFromPoint(right, MONITOR_DEFAULTTONEAREST) == second);
    CHILD_CHECK(MonitorFromPoint(right, MONITOR_DEFAULTTOPRIMARY) == primary);
    RECT mostlySecond{1000, 0, 1300, 100};
    CHILD_CHECK(MonitorFromRect(&mostlySecond, MONITOR_DEFAULTTONULL) == second);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    CHILD_CHECK(GetMonitorInfoA(second, &info));
    CHILD_CHECK(SameRect(info.rcMonitor, 1024, 0, 1824, 600));
    CHILD_CHECK(SameRect(info.rcWork, 1024, 0, 1824, 600));
    CHILD_CHECK(info.dwFlags == 0);
    int count = 0;
    EnumDisplayMonitors(nullptr, nullptr, CountMonitors, reinterpret_cast<LPARAM>(&count));
    CHILD_CHECK(count == 2);
    // A window on the second monitor is found there and maximises onto it.
    HWND window = CreateWindowExA(0, RecordingClass(), "", WS_OVERLAPPEDWINDOW, 1200, 100, 300, 200,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    CHILD_CHECK(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST) == second);
    ShowWindow(window, SW_SHOWMINNOACTIVE);
    CHILD_CHECK(MonitorFromWindow(window, MONITOR_DEFAULTTONULL) == second);
    ShowWindow(window, SW_SHOWMAXIMIZED);
    RECT client;
    GetClientRect(window, &client);
    CHILD_CHECK(client.right == 800);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    CHILD_CHECK(origin.x == 1024);
    _exit(0);
}

TEST_F(DisplayHostTest, SeveralMonitors) {
    OtherMachine machine("HOSTWIN_MONITORS", "0,0,1024x768;1024,0,800x600");
    EXPECT_EXIT(CheckTwoMonitors(), ExitedWithCode(0), "");
}

// The text "0" measures as high as the font's character height.
void CheckTextHeights(int dpi) {
    HDC screen = GetDC(nullptr);
    CHILD_CHECK(GetDeviceCaps(screen, LOGPIXELSY) == dpi);
    for (LONG height : {-12, -15, 16}) {
        LOGFONTA font{};
        font.lfHeight = height;
        font.lfCharSet = SHIFTJIS_CHARSET;
        HFONT handle = CreateFontIndirectA(&font);
        HGDIOBJ old = SelectObject(screen, handle);
        SIZE size{};
        CHILD_CHECK(GetTextExtentPoint32A(screen, "0", 1, &size));
        TEXTMETRICA metrics{};
        CHILD_CHECK(GetTextMetricsA(screen, &metrics));
        CHILD_CHECK(size.cy == (height < 0 ? -height : height));
        CHILD_CHECK(metrics.tmHeight == size.cy);
        CHILD_CHECK(metrics.tmHeight - metrics.tmInternalLeading ==
                    (height < 0 ? -height : height - height / 8));
        CHILD_CHECK(metrics.tmAscent + metrics.tmDescent == metrics.tmHeight);
        // Half-width characters about half the height, double-byte ones the full height.
        SIZE wide{};
        GetTextExtentPoint32A(screen,
                              "\x82\x60"
                              "0",
                              3, &wide); // fullwidth A, then a digit
        CHILD_CHECK(wide.cx == metrics.tmMaxCharWidth + size.cx);
        CHILD_CHECK(size.cx * 2 >= metrics.tmMaxCharWidth &&
                    size.cx * 2 <= metrics.tmMaxCharWidth + 1);
        SelectObject(screen, old);
        DeleteObject(handle);
    }
    ReleaseDC(nullptr, screen);
    _exit(0);
}

TEST_F(DisplayHostTest, TextHeightsAt96AndAt120Dpi) {
    {
        OtherMachine machine("HOSTWIN_DPI", "96");
        EXPECT_EXIT(CheckTextHeights(96), ExitedWithCode(0), "");
    }
    OtherMachine machine("HOSTWIN_DPI", "120");
    EXPECT_EXIT(CheckTextHeights(120), ExitedWithCode(0), "");
}

// On a Japanese machine a double-byte character that does not fit whole is
// left out, never cut in two.
void CheckDoubleByteTruncation() {
    HWND window =
        CreateWindowExA(0, RecordingClass(),
                        "\x83\x5C\x83\x74\x83\x67"
                        "A",
                        WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    char buffer[8];
    std::memset(buffer, '#', sizeof(buffer));
    CHILD_CHECK(GetWindowTextA(window, buffer, 4) == 2);
    CHILD_CHECK(std::memcmp(buffer, "\x83\x5C\0#", 4) == 0);
    CHILD_CHECK(GetWindowTextA(window, buffer, 8) == 7);
    _exit(0);
}

TEST_F(DisplayHostTest, DoubleByteTextIsCutBetweenCharacters) {
    OtherMachine machine("HOSTWIN_ACP", "932");
    EXPECT_EXIT(CheckDoubleByteTruncation(), ExitedWithCode(0), "");
}

TEST_F(DisplayHostTest, CursorStartsInTheMiddleOfThePrimaryMonitor) {
    POINT cursor{};
    ASSERT_TRUE(GetCursorPos(&cursor));
    EXPECT_EQ(cursor.x, GetSystemMetrics(SM_CXSCREEN) / 2);
    EXPECT_EQ(cursor.y, GetSystemMetrics(SM_CYSCREEN) / 2);
    SetCursorPos(3, 4);
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 3);
    EXPECT_EQ(cursor.y, 4);
    EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
}

TEST_F(DisplayHostTest, AnimationSettingLastsForTheProcess) {
    for (int wanted : {0, 1, 0}) {
        ANIMATIONINFO set{sizeof(set), wanted};
        EXPECT_TRUE(SystemParametersInfoA(SPI_SETANIMATION, sizeof(set), &set, 0));
        ANIMATIONINFO got{sizeof(got), -1};
        EXPECT_TRUE(SystemParametersInfoA(SPI_GETANIMATION, sizeof(got), &got, 0));
        EXPECT_EQ(got.iMinAnimate, wanted);
    }
}

TEST_F(DisplayHostTest, IconsFromAModulesResources) {
    // A resource-only module with one icon group, as LoadLibraryExA registers it.
    static const BYTE group[] = {0, 0, 1, 0, 1, 0, 48, 48, 0, 0, 1, 0, 32, 0, 0x10, 0, 0, 0, 1, 0};
    auto module = std::make_unique<hostwin::ResourceModule>();
    module->Records().push_back(hostwin::ResourceRecord{hostwin::ResourceKey::From(RT_GROUP_ICON),
                                                        hostwin::ResourceKey::From("MAINICON"), 0,
                                                        group, sizeof(group)});
    HMODULE handle = reinterpret_cast<HMODULE>(0x5550000);
    hostwin::RegisterResourceModule(handle, std::move(module));
    HICON icon = LoadIconA(handle, "MainIcon");
    EXPECT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(handle, "MAINICON"), icon); // shared: the same handle each time
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_EQ(LoadIconA(handle, "mainicon"), icon);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(LoadIconA(handle, "OTHER"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(LoadCursorA(handle, "MAINICON"), nullptr); // no cursors in the module at all
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    hostwin::UnregisterResourceModule(handle);
    EXPECT_EQ(LoadIconA(reinterpret_cast<HMODULE>(0x5560000), "MAINICON"), nullptr);
}

} // namespace
