// The module registry: which module an address lies in, which module a
// module's resources come from, the choice of a language resource file beside
// the program, and the message texts read from it.
#include "runtime/module_registry.h"
#include "runtime/resstrings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

int dataAnchor = 3;

std::string TestLibrary(const std::string& file) {
    return std::string(TEST_PE_DIR) + "/" + file;
}

// A directory C:\<name> of the test machine, emptied, with a stand-in
// program file Setup.exe in it; returns the program's Windows path.
std::string FreshProgramDirectory(const std::string& name) {
    GetACP(); // the machine's directory exists from its first use
    fs::path directory = fs::path(std::getenv("HOSTWIN_PREFIX")) / "drive_c" / name;
    fs::remove_all(directory);
    fs::create_directories(directory);
    std::ofstream(directory / "Setup.exe") << "MZ";
    return "C:\\" + name + "\\Setup.exe";
}

void PlaceLanguageFile(const std::string& directory, const std::string& fileName,
                       const std::string& library) {
    fs::path target = fs::path(std::getenv("HOSTWIN_PREFIX")) / "drive_c" / directory / fileName;
    fs::copy_file(TestLibrary(library), target, fs::copy_options::overwrite_existing);
}

// The string the module's table holds for the identifier, or "" without one.
std::string StringOf(HINSTANCE module, UINT id) {
    char buffer[256];
    int length = LoadStringA(module, id, buffer, sizeof(buffer));
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

// The locale override key of the current user, removed again at the end.
class LocaleOverride {
public:
    explicit LocaleOverride(const char* key) : key_(key) {
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &handle_, nullptr),
                  ERROR_SUCCESS);
    }
    ~LocaleOverride() {
        RegCloseKey(handle_);
        RegDeleteKeyA(HKEY_CURRENT_USER, key_);
    }
    void Set(const char* name, const std::string& value) {
        EXPECT_EQ(RegSetValueExA(handle_, name, 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1)),
                  ERROR_SUCCESS);
    }

private:
    const char* key_;
    HKEY handle_ = nullptr;
};

// The program's own path as the override's value names it.
std::string ProgramLongPath() {
    char path[MAX_PATH], longPath[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    GetLongPathNameA(path, longPath, sizeof(longPath));
    return longPath;
}

TEST(ModuleRegistry, AnAddressLiesInTheModuleOfItsImage) {
    HINSTANCE program = GetModuleHandleA(nullptr);
    EXPECT_EQ(ModuleOfAddress(reinterpret_cast<const void*>(&FreshProgramDirectory)), program);
    EXPECT_EQ(ModuleOfAddress(&dataAnchor), program);
    EXPECT_EQ(ModuleOfAddress(reinterpret_cast<const void*>(0x10)), nullptr);
    std::string heap(100000, 'x');
    EXPECT_NE(ModuleOfAddress(heap.data()), program);
}

TEST(ModuleRegistry, AModuleIsFoundByAnyOfItsHandlesAndTheNewestRecordWins) {
    HINSTANCE program = GetModuleHandleA(nullptr);
    auto handle = [](uintptr_t value) { return reinterpret_cast<HINSTANCE>(value); };
    ModuleRecord older{nullptr, handle(0x1000), handle(0x2000), handle(0x3000), handle(0x9001)};
    ModuleRecord newer{nullptr, handle(0x1000), nullptr, nullptr, handle(0x8001)};
    RegisterModule(older);
    EXPECT_EQ(ResourceModuleOf(handle(0x2000)), handle(0x9001));
    EXPECT_EQ(ResourceModuleOf(handle(0x3000)), handle(0x9001));
    RegisterModule(newer);
    EXPECT_EQ(ResourceModuleOf(handle(0x1000)), handle(0x8001));
    EXPECT_EQ(ResourceModuleOf(handle(0x3000)), handle(0x9001));
    EXPECT_EQ(ResourceModuleOf(program), program); // unregistered: itself
    UnregisterModule(newer);
    UnregisterModule(older);
    EXPECT_EQ(ResourceModuleOf(handle(0x2000)), handle(0x2000));
}

TEST(ModuleRegistry, TheLanguageFileHasTheLocalesAbbreviationOrItsFirstTwoLetters) {
    std::string program = FreshProgramDirectory("media");
    SetThreadLocale(1041);
    EXPECT_EQ(LoadLanguageResourceModule(program.c_str()), nullptr); // no file beside it
    PlaceLanguageFile("media", "Setup.JP", "language_bare.dll");
    HINSTANCE twoLetters = LoadLanguageResourceModule(program.c_str());
    ASSERT_NE(twoLetters, nullptr);
    EXPECT_EQ(StringOf(twoLetters, 65529), "");
    FreeLibrary(twoLetters);
    PlaceLanguageFile("media", "Setup.JPN", "language_full.dll");
    HINSTANCE full = LoadLanguageResourceModule(program.c_str());
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(StringOf(full, 65529), "%s is not in the language file");
    FreeLibrary(full);

    SetThreadLocale(1033);
    EXPECT_EQ(LoadLanguageResourceModule(program.c_str()), nullptr); // no Setup.ENU, no Setup.EN
    // The extension is what follows the last period of the name.
    EXPECT_EQ(LoadLanguageResourceModule("C:\\media\\Setup"), nullptr);
    EXPECT_EQ(LoadLanguageResourceModule(""), nullptr);
    SetThreadLocale(GetUserDefaultLCID());
}

TEST(ModuleRegistry, TheUsersOverrideChoosesTheExtensionByProgramOrByDefault) {
    std::string program = FreshProgramDirectory("override");
    PlaceLanguageFile("override", "Setup.XY", "language_full.dll");
    PlaceLanguageFile("override", "Setup.ZZ", "language_bare.dll");
    SetThreadLocale(1033);
    {
        LocaleOverride key("Software\\Trevasol\\Locales");
        key.Set(nullptr, "ZZ");
        HINSTANCE byDefault = LoadLanguageResourceModule(program.c_str());
        ASSERT_NE(byDefault, nullptr);
        EXPECT_EQ(StringOf(byDefault, 65529), ""); // the bare file
        FreeLibrary(byDefault);
        // The value named by the program's path comes first.
        key.Set(ProgramLongPath().c_str(), "XY");
        HINSTANCE byProgram = LoadLanguageResourceModule(program.c_str());
        ASSERT_NE(byProgram, nullptr);
        EXPECT_EQ(StringOf(byProgram, 65529), "%s is not in the language file");
        FreeLibrary(byProgram);
        // A value longer than four bytes does not fit: the default value serves.
        key.Set(ProgramLongPath().c_str(), "LONGER");
        HINSTANCE tooLong = LoadLanguageResourceModule(program.c_str());
        ASSERT_NE(tooLong, nullptr);
        EXPECT_EQ(StringOf(tooLong, 65529), "");
        FreeLibrary(tooLong);
        // An empty value of the program's own is read, so the default value
        // is not: no override, and no Setup.ENU or Setup.EN beside it.
        key.Set(ProgramLongPath().c_str(), "");
        EXPECT_EQ(LoadLanguageResourceModule(program.c_str()), nullptr);
    }
    {
        // The second key is read only when the first does not exist.
        LocaleOverride key("Software\\Trevasol\\Ormund\\Locales");
        key.Set(nullptr, "XY");
        HINSTANCE second = LoadLanguageResourceModule(program.c_str());
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(StringOf(second, 65529), "%s is not in the language file");
        FreeLibrary(second);
    }
    SetThreadLocale(GetUserDefaultLCID());
}

TEST(ModuleRegistry, MessagesComeFromTheResourceModuleAndElseFromTheProgram) {
    HINSTANCE program = GetModuleHandleA(nullptr);
    std::string programText = LoadResString(SResNotFound);
    std::string otherText = LoadResString(SInvalidStreamFormat);
    ASSERT_FALSE(programText.empty());
    for (const char* file : {"language_full.dll", "language_bare.dll"}) {
        SCOPED_TRACE(file);
        std::string path = "Z:" + TestLibrary(file);
        for (char& c : path)
            if (c == '/') c = '\\';
        HINSTANCE language = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(language, nullptr);
        ModuleRecord record{nullptr, program, program, program, language};
        RegisterModule(record);
        bool full = std::string(file) == "language_full.dll";
        EXPECT_EQ(LoadResString(SResNotFound),
                  full ? "%s is not in the language file" : programText);
        EXPECT_EQ(LoadResString(SInvalidStreamFormat), otherText);
        UnregisterModule(record);
        FreeLibrary(language);
    }
    EXPECT_EQ(LoadResString(SResNotFound), programText);
}

TEST(ModuleRegistry, StartUpRegistersTheProgramWithItselfWithoutALanguageFile) {
    HINSTANCE program = GetModuleHandleA(nullptr);
    StartModuleRegistry();
    EXPECT_EQ(ResourceModuleOf(program), program);
    EXPECT_EQ(ResourceModuleOf(ModuleOfAddress(&dataAnchor)), program);
    StopModuleRegistry();
}

} // namespace
