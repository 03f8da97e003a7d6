// Window classes: registration per instance, the class record read back,
// class names and class values.
#include "window_test_support.h"

using namespace window_tests;

namespace {

class WindowClassTest : public WindowTest {};

WNDCLASSA ClassRecord(const char* name) {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.cbClsExtra = 8;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    return wc;
}

TEST_F(WindowClassTest, RegistersOnceAndReadsTheRecordBack) {
    WNDCLASSA wc = ClassRecord("ClassTestOnce");
    ATOM atom = RegisterClassA(&wc);
    ASSERT_NE(atom, 0);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    // Names compare without regard to case; the record is as registered.
    WNDCLASSA got{};
    EXPECT_EQ(GetClassInfoA(wc.hInstance, "classtestONCE", &got), static_cast<BOOL>(atom));
    EXPECT_EQ(got.style, static_cast<UINT>(CS_DBLCLKS));
    EXPECT_EQ(got.lpfnWndProc, wc.lpfnWndProc);
    EXPECT_EQ(got.cbClsExtra, 8);
    EXPECT_EQ(got.hInstance, wc.hInstance);
    EXPECT_EQ(got.hCursor, wc.hCursor);
    EXPECT_EQ(got.hIcon, nullptr);

    // A class belongs to its instance.
    EXPECT_FALSE(GetClassInfoA(reinterpret_cast<HINSTANCE>(0x12340000), "ClassTestOnce", &got));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(GetClassInfoA(wc.hInstance, "ClassTestNotThere", &got));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
    EXPECT_TRUE(UnregisterClassA("ClassTestOnce", wc.hInstance));
    EXPECT_FALSE(GetClassInfoA(wc.hInstance, "ClassTestOnce", &got));
}

TEST_F(WindowClassTest, UnregisteringWaitsForTheLastWindow) {
    WNDCLASSA wc = ClassRecord("ClassTestBusy");
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND window = CreateWindowExA(0, "ClassTestBusy", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(UnregisterClassA("ClassTestBusy", wc.hInstance));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    DestroyWindow(window);
    EXPECT_TRUE(UnregisterClassA("ClassTestBusy", wc.hInstance));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(UnregisterClassA("ClassTestBusy", wc.hInstance));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
}

TEST_F(WindowClassTest, UnknownClassFailsCreation) {
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClassAnywhere", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr),
              nullptr);
    // Windows documents ERROR_CANNOT_FIND_WND_CLASS; Wine answers ERROR_CLASS_DOES_NOT_EXIST.
    DWORD error = GetLastError();
    EXPECT_TRUE(error == ERROR_CANNOT_FIND_WND_CLASS || error == ERROR_CLASS_DOES_NOT_EXIST)
        << error;
}

TEST_F(WindowClassTest, ClassNameTruncatesLikeWindows) {
    HWND window = MakeWindow(WS_POPUP);
    ASSERT_NE(window, nullptr);
    ExpectTextCopies(window, GetClassNameA, "WindowTest", {64, 11, 10, 3, 1});
}

TEST_F(WindowClassTest, ClassValuesChangeForEveryWindowOfTheClass) {
    HWND first = MakeWindow(WS_POPUP);
    HWND second = MakeWindow(WS_POPUP);
    HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(GetClassLongPtrA(first, GCLP_HICON), 0u);
    EXPECT_EQ(SetClassLongPtrA(first, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon)), 0u);
    EXPECT_EQ(GetClassLongPtrA(second, GCLP_HICON), reinterpret_cast<ULONG_PTR>(icon));
    EXPECT_EQ(SetClassLongPtrA(second, GCLP_HICON, 0), reinterpret_cast<ULONG_PTR>(icon));
    WNDCLASSA record{};
    DWORD atom =
        static_cast<DWORD>(GetClassInfoA(GetModuleHandleA(nullptr), "WindowTest", &record));
    EXPECT_NE(atom, 0u);
    EXPECT_EQ(GetClassLongA(first, GCW_ATOM), atom);
    EXPECT_EQ(GetClassLongA(second, GCW_ATOM), atom);
}

TEST_F(WindowClassTest, SystemClassMdiClientIsThere) {
    WNDCLASSA got{};
    EXPECT_TRUE(GetClassInfoA(nullptr, "MDICLIENT", &got));
    EXPECT_NE(got.lpfnWndProc, nullptr);
    EXPECT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "mdiclient", &got));
}

} // namespace
