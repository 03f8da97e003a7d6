// Creating and destroying windows: the messages on the way, failures, styles
// read back, placement, owners and parents, text and subclassing.
#include "window_test_support.h"

using namespace window_tests;

namespace {

class WindowCreateTest : public WindowTest {};

const std::initializer_list<UINT> kLifeMessages = {WM_NCCREATE,  WM_CREATE,      WM_SIZE,
                                                   WM_MOVE,      WM_SHOWWINDOW,  WM_DESTROY,
                                                   WM_NCDESTROY, WM_PARENTNOTIFY};

TEST_F(WindowCreateTest, PopupGetsCreationAndSizeMessages) {
    HWND window = MakeWindow(WS_POPUP, nullptr, "popup", 10, 20, 50, 40);
    ASSERT_NE(window, nullptr);
    EXPECT_MESSAGES(Watched(kLifeMessages, window), WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE);
    // WM_SIZE carries the client size, WM_MOVE the client origin.
    for (const Received& r : Log()) {
        if (r.message == WM_SIZE) {
            EXPECT_EQ(r.lParam, MAKELONG(50, 40));
        }
        if (r.message == WM_MOVE) {
            EXPECT_EQ(r.lParam, MAKELONG(10, 20));
        }
    }
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(WindowCreateTest, OverlappedWindowGetsSizeMessagesWhenFirstShown) {
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW);
    ASSERT_NE(window, nullptr);
    EXPECT_MESSAGES(Watched(kLifeMessages, window), WM_NCCREATE, WM_CREATE);
    ClearLog();
    ShowWindow(window, SW_SHOWNA);
    std::vector<UINT> shown = Watched({WM_SIZE, WM_MOVE}, window);
    EXPECT_EQ(shown.size(), 2u);
    ClearLog();
    ShowWindow(window, SW_HIDE);
    ShowWindow(window, SW_SHOWNA);
    EXPECT_TRUE(Watched({WM_SIZE, WM_MOVE}, window).empty());
}

LRESULT CALLBACK RefuseNcCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Received{window, message, wParam, lParam});
    if (message == WM_NCCREATE) return FALSE;
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK RefuseCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Received{window, message, wParam, lParam});
    if (message == WM_CREATE) return -1;
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(WindowCreateTest, RefusedCreationFailsWithTheMessagesWindowsSends) {
    struct Case {
        const char* className;
        WNDPROC procedure;
        std::vector<UINT> expected;
    } cases[] = {
        {"RefuseNcCreate", RefuseNcCreate, {WM_NCCREATE, WM_NCDESTROY}},
        {"RefuseCreate", RefuseCreate, {WM_NCCREATE, WM_CREATE, WM_NCDESTROY}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.className);
        ClearLog();
        RegisterClassWith(c.className, c.procedure);
        HWND window = CreateWindowExA(0, c.className, "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        EXPECT_EQ(window, nullptr);
        std::vector<UINT> got = Watched(kLifeMessages);
        EXPECT_EQ(got, c.expected);
        ASSERT_FALSE(Log().empty());
        EXPECT_FALSE(IsWindow(Log().front().window));
    }
}

TEST_F(WindowCreateTest, StylesReadBack) {
    // The application window: a hidden, zero-sized popup with a caption.
    HWND application = MakeWindow(0x84CA0000, nullptr, "Setup", 512, 384, 0, 0);
    ASSERT_NE(application, nullptr);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(application, GWL_STYLE)), 0x84CA0000u);
    EXPECT_FALSE(IsWindowVisible(application));
    EXPECT_RECT(WindowRectOf(application), 512, 384, 512, 384);
    EXPECT_RECT(ClientRectOf(application), 0, 0, 0, 0);

    // A form window owned by it.
    HWND form = MakeWindow(0x06CF0000, application, "Visible false", 192, 107, 190, 129,
                           WS_EX_CONTROLPARENT);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(form, GWL_STYLE)), 0x06CF0000u);
    EXPECT_TRUE(GetWindowLongA(form, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    EXPECT_EQ(GetWindow(form, GW_OWNER), application);
    EXPECT_RECT(WindowRectOf(form), 192, 107, 382, 236);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, 0x06CF0000, FALSE,
                       static_cast<DWORD>(GetWindowLongA(form, GWL_EXSTYLE)));
    EXPECT_RECT(ClientRectOf(form), 0, 0, 190 - (frame.right - frame.left),
                129 - (frame.bottom - frame.top));
}

TEST_F(WindowCreateTest, DefaultPlacementOfOverlappedWindows) {
    HWND overlapped = MakeWindow(WS_OVERLAPPEDWINDOW, nullptr, "", CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_RECT(WindowRectOf(overlapped), work.left, work.top,
                work.left + (work.right - work.left) * 3 / 4,
                work.top + (work.bottom - work.top) * 3 / 4);
    HWND popup = MakeWindow(WS_POPUP, nullptr, "", CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT);
    EXPECT_RECT(WindowRectOf(popup), 0, 0, 0, 0);
}

TEST_F(WindowCreateTest, FarPositionsAndSizesAreKeptAtCreationAndLimitedWhenMoved) {
    // Creation keeps any position; an edge beyond the range of LONG stays at
    // its end. SetWindowPos and MoveWindow take positions of 16 bits and
    // sizes of 0 to 32767.
    // (INT32_MIN itself is CW_USEDEFAULT.)
    const int most = INT32_MAX, least = INT32_MIN + 1;
    HWND popup = MakeWindow(WS_POPUP, nullptr, "", most, least, most, most);
    EXPECT_RECT(WindowRectOf(popup), most, least, most, 0);
    SetWindowPos(popup, nullptr, most, least, most, most, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_RECT(WindowRectOf(popup), 32767, -32768, 65534, -1);
    SetWindowPos(popup, nullptr, 40000, -40000, 50000, -5, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_RECT(WindowRectOf(popup), 32767, -32768, 65534, -32768);
    MoveWindow(popup, most, most, 100, 100, FALSE);
    EXPECT_RECT(WindowRectOf(popup), 32767, 32767, 32867, 32867);
}

TEST_F(WindowCreateTest, ParentsAndOwners) {
    HWND owner = MakeWindow(WS_OVERLAPPEDWINDOW, nullptr, "", 100, 100, 300, 200);
    HWND popup = MakeWindow(WS_POPUP, owner);
    HWND ownedOverlapped = MakeWindow(WS_OVERLAPPED, owner);
    HWND child = MakeWindow(WS_CHILD | WS_VISIBLE, owner, "", 1, 2, 30, 30);
    HWND grandChild = MakeWindow(WS_CHILD, child, "", 0, 0, 5, 5);
    // A popup's "parent" is its owner, an owned overlapped window has none.
    EXPECT_EQ(GetParent(popup), owner);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), owner);
    EXPECT_EQ(GetParent(ownedOverlapped), nullptr);
    EXPECT_EQ(GetWindow(ownedOverlapped, GW_OWNER), owner);
    EXPECT_EQ(GetParent(child), owner);
    EXPECT_EQ(GetWindow(child, GW_OWNER), nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(GetWindowLongPtrA(child, GWLP_HWNDPARENT)), owner);
    EXPECT_EQ(reinterpret_cast<HWND>(GetWindowLongPtrA(popup, GWLP_HWNDPARENT)), owner);
    EXPECT_EQ(GetWindow(owner, GW_CHILD), child);
    EXPECT_TRUE(IsChild(owner, grandChild));
    EXPECT_FALSE(IsChild(owner, popup));
    // A popup created with a child as its parent is owned by the top-level window.
    HWND fromChild = MakeWindow(WS_POPUP, grandChild);
    EXPECT_EQ(GetWindow(fromChild, GW_OWNER), owner);

    // Children live in their parent's client coordinates.
    POINT origin{0, 0};
    ClientToScreen(owner, &origin);
    EXPECT_RECT(WindowRectOf(child), origin.x + 1, origin.y + 2, origin.x + 31, origin.y + 32);
    POINT back = origin;
    ScreenToClient(child, &back);
    EXPECT_EQ(back.x, -1);
    EXPECT_EQ(back.y, -2);
    // A child is visible only when its parent is.
    EXPECT_FALSE(IsWindowVisible(child));
    ShowWindow(owner, SW_SHOWNA);
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_FALSE(IsWindowVisible(grandChild));
}

TEST_F(WindowCreateTest, DestroyingTakesOwnedWindowsAndChildren) {
    HWND owner = MakeWindow(WS_OVERLAPPEDWINDOW);
    HWND owned = MakeWindow(WS_POPUP, owner);
    HWND ownedByOwned = MakeWindow(WS_POPUP, owned);
    HWND child = MakeWindow(WS_CHILD, owner);
    HWND grandChild = MakeWindow(WS_CHILD, child);
    HWND stranger = MakeWindow(WS_POPUP);
    ClearLog();
    EXPECT_TRUE(DestroyWindow(owner));
    std::vector<std::pair<HWND, UINT>> order;
    for (const Received& r : Log())
        if (r.message == WM_DESTROY || r.message == WM_NCDESTROY)
            order.emplace_back(r.window, r.message);
    std::vector<std::pair<HWND, UINT>> expected = {
        {ownedByOwned, WM_DESTROY}, {ownedByOwned, WM_NCDESTROY}, {owned, WM_DESTROY},
        {owned, WM_NCDESTROY},      {owner, WM_DESTROY},          {child, WM_DESTROY},
        {grandChild, WM_DESTROY},   {grandChild, WM_NCDESTROY},   {child, WM_NCDESTROY},
        {owner, WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
    for (HWND gone : {owner, owned, ownedByOwned, child, grandChild})
        EXPECT_FALSE(IsWindow(gone));
    EXPECT_TRUE(IsWindow(stranger));
    EXPECT_FALSE(DestroyWindow(owner));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(GetWindowLongA(owner, GWL_STYLE), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowCreateTest, CloseDestroysThroughDefWindowProc) {
    HWND window = MakeWindow(WS_POPUP);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_MESSAGES(Watched({WM_CLOSE, WM_DESTROY, WM_NCDESTROY}, window), WM_CLOSE, WM_DESTROY,
                    WM_NCDESTROY);
}

TEST_F(WindowCreateTest, WindowTextTruncatesToTheBuffer) {
    HWND window = MakeWindow(WS_POPUP, nullptr, "Hello world");
    EXPECT_EQ(GetWindowTextLengthA(window), 11);
    ExpectTextCopies(window, GetWindowTextA, "Hello world", {64, 12, 11, 5, 1});
    // A size of 0 writes nothing at all.
    char untouched[4] = {'#', '#', '#', 0};
    EXPECT_EQ(GetWindowTextA(window, untouched, 0), 0);
    EXPECT_EQ(untouched[0], '#');
    EXPECT_TRUE(SetWindowTextA(window, "Setup"));
    char buffer[16];
    EXPECT_EQ(GetWindowTextA(window, buffer, sizeof(buffer)), 5);
    EXPECT_STREQ(buffer, "Setup");
    EXPECT_TRUE(SetWindowTextA(window, nullptr));
    EXPECT_EQ(GetWindowTextLengthA(window), 0);
}

LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 7) return 77;
    WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return CallWindowProcA(original, window, message, wParam, lParam);
}

TEST_F(WindowCreateTest, WindowProcedureCanBeReplaced) {
    HWND window = MakeWindow(WS_POPUP);
    LONG_PTR original =
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Subclass));
    EXPECT_NE(original, 0);
    SetWindowLongPtrA(window, GWLP_USERDATA, original);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(Subclass));
    ClearLog();
    EXPECT_EQ(SendMessageA(window, WM_USER + 7, 0, 0), 77);
    EXPECT_TRUE(Log().empty());
    SendMessageA(window, WM_USER + 8, 0, 0);
    EXPECT_MESSAGES(Watched({WM_USER + 8}, window), WM_USER + 8);
    // The class keeps its own procedure.
    WNDCLASSA record{};
    GetClassInfoA(GetModuleHandleA(nullptr), RecordingClass(), &record);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(record.lpfnWndProc), original);
}

TEST_F(WindowCreateTest, WindowValues) {
    HWND window = MakeWindow(WS_CHILD, MakeWindow(WS_POPUP));
    EXPECT_EQ(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)),
              GetModuleHandleA(nullptr));
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_ID, 42), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_ID), 42);
    ClearLog();
    SetWindowLongA(window, GWL_STYLE, WS_CHILD | WS_BORDER);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)),
              static_cast<DWORD>(WS_CHILD | WS_BORDER));
    EXPECT_MESSAGES(Watched({WM_STYLECHANGING, WM_STYLECHANGED}, window), WM_STYLECHANGING,
                    WM_STYLECHANGED);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(GetWindowLongA(window, 4096), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
}

} // namespace
