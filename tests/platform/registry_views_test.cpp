// Conformance tests of the registry's views on 64-bit Windows: where a 64-bit
// program, a 32-bit one (WOW64) and a program on 32-bit Windows find the keys
// of HKLM\SOFTWARE, and what KEY_WOW64_32KEY and KEY_WOW64_64KEY change. On
// the host the kind of program is HOSTWIN_PROCESS (CTest runs these tests for
// each); under Wine it is the test program's own.
#include "conformance.h"
#include "registry_test_support.h"

#include <algorithm>
#include <cstdlib>

using namespace registry_test;

namespace {

enum class Process { Win64, Wow64, Win32 };

Process ThisProcess() {
#ifdef _WIN32
    if (sizeof(void*) == 8) return Process::Win64;
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64 ? Process::Wow64 : Process::Win32;
#else
    const char* kind = std::getenv("HOSTWIN_PROCESS");
    std::string name = kind ? kind : "win64";
    return name == "wow64" ? Process::Wow64 : name == "win32" ? Process::Win32 : Process::Win64;
#endif
}

// The flag of the view a program of this kind works in without flags, and of the other one.
REGSAM OwnView() {
    return ThisProcess() == Process::Wow64 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}
REGSAM OtherView(REGSAM view) {
    return view == KEY_WOW64_32KEY ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

bool Exists(HKEY root, const std::string& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

LSTATUS MakeKeyIn(HKEY root, const std::string& path, REGSAM view) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                                     nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) RegCloseKey(key);
    return status;
}

std::vector<std::string> SubkeysOf(HKEY root, const std::string& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return {};
    std::vector<std::string> names = SubkeyNames(key);
    RegCloseKey(key);
    return names;
}

bool Contains(const std::vector<std::string>& names, const char* wanted) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name.c_str(), -1, wanted, -1) ==
               CSTR_EQUAL;
    });
}

class RegistryViews : public ::testing::Test {
protected:
    // The test's own name below the keys it uses, after the process.
    const std::string name_ = "HostwinViews" + std::to_string(GetCurrentProcessId());
    const std::vector<std::string> trees_ = {
        "SOFTWARE\\" + name_,
        "SOFTWARE\\WOW6432Node\\" + name_,
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name_,
        "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name_,
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + name_,
        "SOFTWARE\\Policies\\" + name_,
        "SOFTWARE\\Classes\\" + name_,
        "SOFTWARE\\Classes\\WOW6432Node\\" + name_,
        "SOFTWARE\\Classes\\CLSID\\" + name_,
        "SOFTWARE\\Classes\\WOW6432Node\\CLSID\\" + name_,
    };
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    void Clean() {
        for (const std::string& tree : trees_)
            DeleteTree(HKEY_LOCAL_MACHINE, tree, KEY_WOW64_64KEY);
        DeleteTree(HKEY_CURRENT_USER, "Software\\" + name_, KEY_WOW64_64KEY);
    }
};

TEST_F(RegistryViews, KeysAreKeptWhereTheViewPutsThem) {
    struct Case {
        HKEY root;
        std::string path;   // as the program names it
        REGSAM view;        // KEY_WOW64_* flag of the create; 0 for the program's own view
        std::string stored; // where the 64-bit view sees it on 64-bit Windows
        bool shared;        // the other view sees it under the same name
        bool wineDiffers;
    };
    const std::string t = name_;
    const Case cases[] = {
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\" + t + "\\A", KEY_WOW64_32KEY,
         "SOFTWARE\\WOW6432Node\\" + t + "\\A", false, false},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\" + t + "\\B", KEY_WOW64_64KEY, "SOFTWARE\\" + t + "\\B",
         false, false},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\" + t + "\\C", 0,
         ThisProcess() == Process::Wow64 ? "SOFTWARE\\WOW6432Node\\" + t + "\\C"
                                         : "SOFTWARE\\" + t + "\\C",
         false, false},
        // A path that names the 32-bit view's node is not redirected again:
        // both views reach the key by that name.
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\WOW6432Node\\" + t + "\\D", KEY_WOW64_32KEY,
         "SOFTWARE\\WOW6432Node\\" + t + "\\D", true, false},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + t,
         KEY_WOW64_32KEY,
         "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + t, false,
         false},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + t,
         KEY_WOW64_32KEY, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + t, true,
         false},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Policies\\" + t, KEY_WOW64_32KEY,
         "SOFTWARE\\Policies\\" + t, true, false},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID\\" + t, KEY_WOW64_32KEY,
         "SOFTWARE\\Classes\\WOW6432Node\\CLSID\\" + t, false, false},
        // Windows 7 and later share the rest of Classes; Wine redirects all of it.
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\" + t, KEY_WOW64_32KEY, "SOFTWARE\\Classes\\" + t,
         true, true},
        {HKEY_CURRENT_USER, "Software\\" + t, KEY_WOW64_32KEY, "Software\\" + t, true, false},
    };
    const bool views = ThisProcess() != Process::Win32;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        if (c.wineDiffers && conformance::RunningUnderWine()) continue;
        ASSERT_EQ(MakeKeyIn(c.root, c.path, c.view), ERROR_SUCCESS);
        const REGSAM own = c.view ? c.view : OwnView();
        EXPECT_TRUE(Exists(c.root, c.path, own));
        // On 32-bit Windows there is one registry: the flags change nothing.
        EXPECT_TRUE(Exists(c.root, views ? c.stored : c.path, KEY_WOW64_64KEY));
        EXPECT_EQ(Exists(c.root, c.path, OtherView(own)), c.shared || !views);
    }
}

TEST_F(RegistryViews, OnlyThe64BitViewListsTheNodeOfThe32BitView) {
    ASSERT_EQ(MakeKeyIn(HKEY_LOCAL_MACHINE, "SOFTWARE\\" + name_, KEY_WOW64_32KEY), ERROR_SUCCESS);
    const auto in64 = SubkeysOf(HKEY_LOCAL_MACHINE, "SOFTWARE", KEY_WOW64_64KEY);
    const auto in32 = SubkeysOf(HKEY_LOCAL_MACHINE, "SOFTWARE", KEY_WOW64_32KEY);
    EXPECT_TRUE(Contains(in32, name_.c_str()));
    if (ThisProcess() == Process::Win32) {
        EXPECT_EQ(in64, in32); // one registry
        return;
    }
    EXPECT_FALSE(Contains(in32, "WOW6432Node"));
    EXPECT_TRUE(Contains(in64, "WOW6432Node"));
    EXPECT_FALSE(Contains(in64, name_.c_str()));
}

TEST_F(RegistryViews, DeletionWithoutAFlagIsInTheProgramsOwnView) {
    const std::string path = "SOFTWARE\\" + name_ + "\\Gone";
    ASSERT_EQ(MakeKeyIn(HKEY_LOCAL_MACHINE, path, KEY_WOW64_32KEY), ERROR_SUCCESS);
    ASSERT_EQ(MakeKeyIn(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY), ERROR_SUCCESS);
    const REGSAM other = OtherView(OwnView());
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str()), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, path, OwnView()));
    if (ThisProcess() == Process::Win32) {
        EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, path, other));
        return;
    }
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, path, other));
    EXPECT_EQ(RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), other, 0), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, path, other));
}

TEST_F(RegistryViews, KeysBelowAHandleStayInItsView) {
    // The host's registry starts empty: a key of the 32-bit view makes its node.
    ASSERT_EQ(MakeKeyIn(HKEY_LOCAL_MACHINE, "SOFTWARE\\" + name_, KEY_WOW64_32KEY), ERROR_SUCCESS);
    HKEY software = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                            &software),
              ERROR_SUCCESS);
    // No flag on the relative create: the handle's key decides.
    EXPECT_EQ(MakeKeyIn(software, name_ + "\\Below", 0), ERROR_SUCCESS);
    RegCloseKey(software);
    const bool views = ThisProcess() != Process::Win32;
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, "SOFTWARE\\" + name_ + "\\Below", KEY_WOW64_32KEY));
    EXPECT_EQ(
        Exists(HKEY_LOCAL_MACHINE, "SOFTWARE\\WOW6432Node\\" + name_ + "\\Below", KEY_WOW64_64KEY),
        views);
}

} // namespace
