#include "window_test_support.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace window_tests {
namespace {

std::vector<HWND>& Made() {
    static std::vector<HWND> made;
    return made;
}

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Received{window, message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string Name(UINT message) {
    std::ostringstream out;
    out << "0x" << std::hex << message;
    return out.str();
}

} // namespace

std::vector<Received>& Log() {
    static std::vector<Received> log;
    return log;
}

std::vector<UINT> Watched(std::initializer_list<UINT> watched, HWND window) {
    std::vector<UINT> result;
    for (const Received& received : Log())
        if ((!window || received.window == window) &&
            std::find(watched.begin(), watched.end(), received.message) != watched.end())
            result.push_back(received.message);
    return result;
}

const char* RegisterClassWith(const char* name, WNDPROC procedure, UINT style) {
    WNDCLASSA wc{};
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    WNDCLASSA existing;
    if (!GetClassInfoA(wc.hInstance, name, &existing)) RegisterClassA(&wc);
    return name;
}

const char* RecordingClass() {
    return RegisterClassWith("WindowTest", RecordingProcedure);
}

HWND MakeWindow(DWORD style, HWND parent, const char* text, int x, int y, int width, int height,
                DWORD exStyle) {
    HWND window = CreateWindowExA(exStyle, RecordingClass(), text, style, x, y, width, height,
                                  parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window) Made().push_back(window);
    return window;
}

void DrainQueue() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_PAINT) DispatchMessageA(&msg);
}

void WindowTest::SetUp() {
    DrainQueue();
    ClearLog();
}

void WindowTest::TearDown() {
    for (auto it = Made().rbegin(); it != Made().rend(); ++it)
        if (IsWindow(*it)) DestroyWindow(*it);
    Made().clear();
    DrainQueue();
    ClearLog();
}

void ExpectRect(int line, const RECT& rect, LONG left, LONG top, LONG right, LONG bottom) {
    SCOPED_TRACE(testing::Message() << "checked at line " << line);
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, top);
    EXPECT_EQ(rect.right, right);
    EXPECT_EQ(rect.bottom, bottom);
}

void ExpectMessages(int line, const std::vector<UINT>& got, std::initializer_list<UINT> expected) {
    SCOPED_TRACE(testing::Message() << "checked at line " << line);
    std::string gotText, expectedText;
    for (UINT m : got)
        gotText += Name(m) + " ";
    for (UINT m : expected)
        expectedText += Name(m) + " ";
    EXPECT_EQ(gotText, expectedText);
}

void ExpectTextCopies(HWND window, int(WINAPI* copy)(HWND, LPSTR, int), const std::string& text,
                      std::initializer_list<int> sizes) {
    for (int size : sizes) {
        SCOPED_TRACE(size);
        const std::string expected = text.substr(0, static_cast<size_t>(size - 1));
        char buffer[80];
        std::memset(buffer, '#', sizeof(buffer));
        EXPECT_EQ(copy(window, buffer, size), static_cast<int>(expected.size()));
        EXPECT_EQ(std::string(buffer), expected);
        EXPECT_EQ(buffer[expected.size() + 1], '#');
    }
}

RECT WindowRectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT ClientRectOf(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

} // namespace window_tests
