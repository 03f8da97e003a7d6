// The window menu of a window, and shared icons and cursors.
#include "window_test_support.h"

using namespace window_tests;

namespace {

class WindowMenuTest : public WindowTest {};

std::vector<UINT> Items(HMENU menu) {
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        ids.push_back(GetMenuItemID(menu, i));
    return ids;
}

bool Has(const std::vector<UINT>& ids, UINT id) {
    for (UINT item : ids)
        if (item == id) return true;
    return false;
}

TEST_F(WindowMenuTest, WindowMenuItemsCanBeDeletedAndReverted) {
    HWND window = MakeWindow(0x84CA0000, nullptr, "", 512, 384, 0, 0);
    HMENU menu = GetSystemMenu(window, FALSE);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetSystemMenu(window, FALSE), menu); // the window's own copy, kept
    std::vector<UINT> standard = Items(menu);
    for (UINT id : {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE})
        EXPECT_TRUE(Has(standard, id)) << std::hex << id;
    EXPECT_EQ(GetMenuItemID(menu, 0), static_cast<UINT>(SC_RESTORE));
    EXPECT_EQ(GetMenuItemID(menu, 5), 0u); // the separator
    EXPECT_EQ(GetMenuItemID(menu, 999), static_cast<UINT>(-1));

    // As the application object trims its window's menu.
    for (UINT id : {SC_MAXIMIZE, SC_SIZE, SC_MOVE})
        EXPECT_TRUE(DeleteMenu(menu, id, MF_BYCOMMAND));
    EXPECT_FALSE(DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND));
    std::vector<UINT> trimmed = Items(menu);
    EXPECT_EQ(trimmed.size(), standard.size() - 3);
    EXPECT_FALSE(Has(trimmed, SC_MAXIMIZE));
    EXPECT_TRUE(Has(trimmed, SC_MINIMIZE));
    EXPECT_TRUE(DeleteMenu(menu, 0, MF_BYPOSITION));
    EXPECT_FALSE(Has(Items(menu), SC_RESTORE));

    // Another window keeps the whole menu; reverting gives a fresh copy.
    HWND other = MakeWindow(WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(Items(GetSystemMenu(other, FALSE)), standard);
    EXPECT_EQ(GetSystemMenu(window, TRUE), nullptr);
    EXPECT_EQ(Items(GetSystemMenu(window, FALSE)), standard);
    EXPECT_EQ(GetMenuItemCount(reinterpret_cast<HMENU>(0x7777770)), -1);
}

TEST_F(WindowMenuTest, SystemIconsAndCursorsAreShared) {
    for (LPCSTR name : {IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK}) {
        HICON icon = LoadIconA(nullptr, name);
        EXPECT_NE(icon, nullptr);
        EXPECT_EQ(LoadIconA(nullptr, name), icon);
    }
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), LoadIconA(nullptr, IDI_HAND));
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    EXPECT_NE(arrow, nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
    HICON copy = CopyIcon(LoadIconA(nullptr, IDI_APPLICATION));
    EXPECT_NE(copy, nullptr);
    EXPECT_NE(copy, LoadIconA(nullptr, IDI_APPLICATION));
    EXPECT_TRUE(DestroyIcon(copy));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), "NOSUCHICONINTHEPROGRAM"), nullptr);
    // Which of the three depends on what resources the test program carries.
    DWORD error = GetLastError();
    EXPECT_TRUE(error == ERROR_RESOURCE_DATA_NOT_FOUND || error == ERROR_RESOURCE_TYPE_NOT_FOUND ||
                error == ERROR_RESOURCE_NAME_NOT_FOUND)
        << error;
}

} // namespace
