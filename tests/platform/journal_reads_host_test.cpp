// The journal's record of what the program looked at: profile reads,
// registry opens and queries, file searches and attributes, data-module
// loads, and why a program could not be started.
#include "host_journal.h"
#include "host_test_support.h"
#include "registry_test_support.h"

#include <sys/stat.h>

using host_tests::ExpectFields;
using host_tests::Field;
using host_tests::OwnJournal;
using namespace host_test;
using namespace registry_test;

namespace {

// A directory of the test's own under the machine, with its Windows name.
struct Folder {
    explicit Folder(const std::string& name) : posix(Prefix() + "/drive_c/" + name) {
        mkdir(posix.c_str(), 0755);
        windows = "C:\\" + name;
    }
    std::string posix;
    std::string windows;
};

TEST(JournalReads, ProfileReadsNameTheFileTheEntryAndTheBytesReturned) {
    OwnJournal journal;
    Folder folder("journal_profile");
    WriteFile(folder.posix + "/setup.ini", "[Startup]\r\nAppName=SOLVENTRA 2\r\n");
    char buffer[64];
    const std::string file = folder.windows + "\\SETUP.INI";
    ASSERT_EQ(GetPrivateProfileStringA("Startup", "AppName", "NoName", buffer, sizeof(buffer),
                                       file.c_str()),
              11u);
    GetPrivateProfileStringA("Startup", "AppNmae", "NoName", buffer, sizeof(buffer), file.c_str());
    const std::string missing = folder.windows + "\\Inst_English\\SETUP.INI";
    GetPrivateProfileStringA("Startup", "AppName", "NoName", buffer, sizeof(buffer),
                             missing.c_str());

    std::vector<std::string> reads = journal.Lines("profile_read");
    ASSERT_EQ(reads.size(), 3u);
    // The host path is the file's name as it is on disk.
    ExpectFields(reads[0], {"api=GetPrivateProfileStringA", "file=" + file,
                            "host_path=" + folder.posix + "/setup.ini", "found=true",
                            "section=Startup", "key=AppName", "default=NoName",
                            "result=SOLVENTRA 2", "result_hex=534f4c56454e5452412032", "error=0"});
    EXPECT_EQ(Field(reads[1], "key"), "AppNmae");
    EXPECT_EQ(Field(reads[1], "result"), "NoName");
    ExpectFields(reads[2], {"found=false", "host_path=" + folder.posix + "/Inst_English/SETUP.INI",
                            "error=" + std::to_string(ERROR_PATH_NOT_FOUND)});
}

TEST(JournalReads, RegistryOpensAndQueriesGiveTheResultTypeAndSize) {
    OwnJournal journal;
    ASSERT_EQ(MakeKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\JournalReads\\Product"), ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\JournalReads\\Product", 0,
                            KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "UninstallString", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>("unins.exe"), 10),
              ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExA(key, "UninstallString", nullptr, &type, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    EXPECT_EQ(
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\JournalReads\\Produkt", 0, KEY_READ, &key),
        ERROR_FILE_NOT_FOUND);

    std::vector<std::string> opens = journal.Lines("registry_open");
    ASSERT_EQ(opens.size(), 2u);
    ExpectFields(opens[0], {"root=HKEY_LOCAL_MACHINE", "key=SOFTWARE\\JournalReads\\Product",
                            "value=null", "access=" + std::to_string(KEY_ALL_ACCESS), "result=0"});
    EXPECT_EQ(Field(opens[1], "key"), "SOFTWARE\\JournalReads\\Produkt");
    EXPECT_EQ(Field(opens[1], "result"), std::to_string(ERROR_FILE_NOT_FOUND));

    std::vector<std::string> queries = journal.Lines("registry_query");
    ASSERT_EQ(queries.size(), 2u);
    EXPECT_EQ(Field(queries[0], "key"), "SOFTWARE\\JournalReads\\Product"); // the handle's path
    ExpectFields(queries[0], {"value=UninstallString", "result=0", "type=" + std::to_string(REG_SZ),
                              "size=10"});
    ExpectFields(queries[1],
                 {"result=" + std::to_string(ERROR_FILE_NOT_FOUND), "type=null", "size=null"});
}

TEST(JournalReads, FileSearchesAttributesAndLoadsSayWhatWasFound) {
    OwnJournal journal;
    Folder folder("journal_files");
    WriteFile(folder.posix + "/Setup.ENU", "not a PE file");
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder.windows + "\\setup.enu").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    EXPECT_EQ(FindFirstFileA((folder.windows + "\\Inst_Englsh\\SETUP.INI").c_str(), &data),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileAttributesA((folder.windows + "\\nothing").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(
        LoadLibraryExA((folder.windows + "\\Setup.ENU").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE),
        nullptr);

    std::vector<std::string> finds = journal.Lines("file_find");
    ASSERT_EQ(finds.size(), 2u);
    EXPECT_EQ(Field(finds[0], "host_directory"), folder.posix);
    EXPECT_EQ(Field(finds[0], "found"), "Setup.ENU"); // the name as it is on disk
    EXPECT_NE(Field(finds[0], "attributes"), "null");
    EXPECT_EQ(Field(finds[0], "error"), "0");
    EXPECT_EQ(Field(finds[1], "host_directory"), "null"); // the folder is not there
    EXPECT_EQ(Field(finds[1], "found"), "null");
    EXPECT_EQ(Field(finds[1], "error"), std::to_string(ERROR_PATH_NOT_FOUND));

    std::vector<std::string> attributes = journal.Lines("file_attributes");
    ASSERT_EQ(attributes.size(), 1u);
    EXPECT_EQ(Field(attributes[0], "attributes"), "null");
    EXPECT_EQ(Field(attributes[0], "error"), std::to_string(ERROR_FILE_NOT_FOUND));

    std::vector<std::string> loads = journal.Lines("library_load");
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(Field(loads[0], "error"), std::to_string(ERROR_BAD_EXE_FORMAT));
}

TEST(JournalReads, AProgramThatCannotBeStartedSaysWhy) {
    OwnJournal journal;
    Folder folder("journal_start");
    WriteFile(folder.posix + "/text.exe", "not a program\n");
    chmod((folder.posix + "/text.exe").c_str(), 0755);
    WriteFile(folder.posix + "/plain.exe", "#!/bin/sh\n");
    chmod((folder.posix + "/plain.exe").c_str(), 0644);
    EXPECT_EQ(WinExec((folder.windows + "\\missing.exe").c_str(), SW_SHOWNORMAL),
              static_cast<UINT>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(WinExec((folder.windows + "\\text.exe").c_str(), SW_SHOWNORMAL),
              static_cast<UINT>(ERROR_BAD_FORMAT));
    EXPECT_EQ(WinExec((folder.windows + "\\plain.exe").c_str(), SW_SHOWNORMAL),
              static_cast<UINT>(ERROR_ACCESS_DENIED));

    std::vector<std::string> starts = journal.Lines("process_start");
    ASSERT_EQ(starts.size(), 3u);
    const char* reasons[] = {"no such file", "not a program", "no execute permission"};
    const DWORD errors[] = {ERROR_FILE_NOT_FOUND, ERROR_BAD_EXE_FORMAT, ERROR_ACCESS_DENIED};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Field(starts[i], "reason"), reasons[i]);
        EXPECT_EQ(Field(starts[i], "error"), std::to_string(errors[i]));
    }
    char directory[MAX_PATH];
    GetCurrentDirectoryA(sizeof(directory), directory);
    EXPECT_EQ(Field(starts[0], "directory"), std::string(directory));
}

} // namespace
