// The launcher's stages run on their own, in this test process, against its
// host machine: the configuration beside the test program, the two keys of
// an earlier copy, stand-in uninstallers, and the information boxes.
#include "framework/application/framework_modules.h"
#include "launcher/message_catalogue.h"
#include "launcher/unitmain.h"
#include "launcher_support.h"
#include "runtime/exceptions.h"
#include "system/doublebyte.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

using namespace launcher_test;

namespace {

// The names the configuration files beside the test program give; the same
// in every test process, so that processes running at once write the same bytes.
const std::string EnglishName = "SOLVENTRA Stage";
const std::string JapaneseName = "SOLVENTRA Japanese Stage";

const char UninstallFailedJapanese[] = "ソフトウェアのアンインストールに失敗しました。";
const char StillInstalledJapanese[] =
    "前回バージョンのソフトウェアをアンインストールしてから、\n再度インストールしてください。";

class LauncherStages : public ::testing::Test {
protected:
    void SetUp() override {
        prefix = std::getenv("HOSTWIN_PREFIX");
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(test->test_suite_name()) + "." + test->name();
        for (char& c : name)
            if (c == '/') c = '_';
        journal = prefix + "/journal-" + name + ".jsonl";
        std::remove(journal.c_str());
        setenv("HOSTWIN_JOURNAL", journal.c_str(), 1);
        // Nobody at the terminal: a box takes its default answer at once.
        int input = open("/dev/null", O_RDONLY);
        dup2(input, STDIN_FILENO);
        close(input);

        namespace fs = std::filesystem;
        std::string programDirectory = fs::read_symlink("/proc/self/exe").parent_path().string();
        WriteFile(programDirectory + "/Inst_English/SETUP.INI",
                  "[Startup]\r\nAppName=" + EnglishName + "\r\n");
        WriteFile(programDirectory + "/Inst_Japanese/SETUP.INI",
                  "[Startup]\r\nAppName=" + JapaneseName + "\r\n");
        // The setup programs only need to be there.
        WriteFile(programDirectory + "/Inst_English/Setup.exe", "stand-in\r\n");
        WriteFile(programDirectory + "/Inst_Japanese/Setup.exe", "stand-in\r\n");
        uninstaller = prefix + "/drive_c/Program Files/QUORVANTIX/" + name + "/unins000.exe";
        marker = prefix + "/uninstaller-" + name + ".txt";
        std::remove(marker.c_str());
        for (const std::string& product : {EnglishName, JapaneseName})
            for (const std::string& key : {ProductKey(product), UninstallEntry(product)})
                Reg(prefix, {"delete", key});

        StartDoubleByteModule();
        StartControlsModule();
        StartFormsModule();
        BuildMessageCatalogue();
    }

    void TearDown() override {
        ReleaseMessageCatalogue();
        StopFormsModule();
        StopControlsModule();
    }

    // The uninstaller's command as registered: its Windows path in quotes.
    std::string UninstallerCommand(const std::string& arguments = " /SILENT") const {
        return "\"" + WindowsPath(prefix, uninstaller) + "\"" + arguments;
    }

    // Both keys of an earlier copy, with the command as a REG_SZ value.
    void InstallEarlierCopy(const std::string& product, const std::string& command) {
        ImportRegistry(prefix, EarlierCopyLines(product, RegString(command)));
    }

    std::vector<JournalLine> Events(const std::string& event) const {
        return JournalOf(journal, event);
    }

    std::string prefix, journal, uninstaller, marker;
};

TEST_F(LauncherStages, ReadsTheNameFromTheLanguagesFileBesideTheProgram) {
    EXPECT_EQ(TFormMain::ReadApplicationName(1033), EnglishName);
    // Only exactly 1041 is Japanese: the same language with a sort order is not.
    EXPECT_EQ(TFormMain::ReadApplicationName(MAKELCID(1041, 1)), EnglishName);
    EXPECT_EQ(TFormMain::ReadApplicationName(2057), EnglishName);
    EXPECT_EQ(TFormMain::ReadApplicationName(1041), JapaneseName);
}

TEST_F(LauncherStages, AnEarlierCopyIsPresentOnlyWithBothKeys) {
    struct Case {
        bool product, entry;
    };
    for (Case c : {Case{false, false}, Case{true, false}, Case{false, true}, Case{true, true}}) {
        SCOPED_TRACE(testing::Message()
                     << "product key " << c.product << ", uninstall entry " << c.entry);
        Reg(prefix, {"delete", ProductKey(EnglishName)});
        Reg(prefix, {"delete", UninstallEntry(EnglishName)});
        if (c.product) Reg(prefix, {"add", ProductKey(EnglishName)});
        if (c.entry) Reg(prefix, {"add", UninstallEntry(EnglishName)});
        EXPECT_EQ(TFormMain::IsPreviousInstallPresent(EnglishName), c.product && c.entry);
    }
}

// The keys are looked at in order, and the uninstall entry only when the
// product key is there.
TEST_F(LauncherStages, TheUninstallEntryIsOpenedOnlyAfterTheProductKeyWasFound) {
    const std::string root = "HKEY_LOCAL_MACHINE\\";
    const std::string product = ProductKey(EnglishName).substr(root.size());
    const std::string entry = UninstallEntry(EnglishName).substr(root.size());
    for (bool productPresent : {false, true}) {
        SCOPED_TRACE(testing::Message() << "product key " << productPresent);
        Reg(prefix, {"delete", ProductKey(EnglishName)});
        Reg(prefix, {"add", UninstallEntry(EnglishName)});
        if (productPresent) Reg(prefix, {"add", ProductKey(EnglishName)});
        std::remove(journal.c_str());

        EXPECT_EQ(TFormMain::IsPreviousInstallPresent(EnglishName), productPresent);

        std::vector<std::string> opened;
        for (const JournalLine& open : Events("registry_open"))
            opened.push_back(open.Bytes("key"));
        std::vector<std::string> expected{product};
        if (productPresent) expected.push_back(entry);
        EXPECT_EQ(opened, expected);
    }
}

TEST_F(LauncherStages, AnUninstallerThatRemovesTheCopyLetsTheLaunchGoOn) {
    WriteStandInUninstaller(uninstaller, marker, EnglishName, true);
    InstallEarlierCopy(EnglishName, UninstallerCommand());

    TFormMain::ResolvePreviousInstall(1033);

    EXPECT_FALSE(KeyExists(prefix, ProductKey(EnglishName)));
    EXPECT_FALSE(KeyExists(prefix, UninstallEntry(EnglishName)));
    // Started with the registered command unchanged, without a show command,
    // and waited for: its marker is there when the stage returns.
    auto starts = Events("process_start");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].Raw("api"), "\"CreateProcessA\"");
    EXPECT_EQ(starts[0].Bytes("command_line"), UninstallerCommand());
    EXPECT_EQ(starts[0].Raw("show"), "null");
    EXPECT_EQ(starts[0].Number("result"), 1);
    EXPECT_EQ(JsonText(JournalLine{ReadFile(marker)}.Raw("command_line")), UninstallerCommand());
    EXPECT_TRUE(Events("message_box").empty());
}

TEST_F(LauncherStages, WithoutAnUninstallEntryNothingIsRun) {
    Reg(prefix, {"add", ProductKey(EnglishName)});
    TFormMain::ResolvePreviousInstall(1033);
    EXPECT_TRUE(Events("process_start").empty());
    EXPECT_TRUE(Events("message_box").empty());
    EXPECT_TRUE(KeyExists(prefix, ProductKey(EnglishName)));
}

// A failure path of the preparation stage: the machine it finds, the box it
// shows in each language, and whether it started anything on the way.
struct FailurePath {
    const char* name;
    LCID locale;
    enum { LeavesTheCopy, EmptyCommand, NoCommandValue, CommandTooLong } machine;
    const char* text; // UTF-8; the box shows it in code page 932 when Japanese
    bool japanese;
    bool startsUninstaller;
};
void PrintTo(const FailurePath& path, std::ostream* out) {
    *out << path.name;
}

class LauncherFailurePaths : public LauncherStages,
                             public ::testing::WithParamInterface<FailurePath> {};

TEST_P(LauncherFailurePaths, ShowTheirInformationBoxAndEndWithStatusZero) {
    const FailurePath& path = GetParam();
    const std::string product = path.japanese ? JapaneseName : EnglishName;
    switch (path.machine) {
    case FailurePath::LeavesTheCopy:
        WriteStandInUninstaller(uninstaller, marker, product, false);
        InstallEarlierCopy(product, UninstallerCommand());
        break;
    case FailurePath::EmptyCommand:
        InstallEarlierCopy(product, "");
        break;
    case FailurePath::NoCommandValue:
        Reg(prefix, {"add", ProductKey(product)});
        Reg(prefix, {"add", UninstallEntry(product)});
        break;
    case FailurePath::CommandTooLong:
        WriteStandInUninstaller(uninstaller, marker, product, true);
        InstallEarlierCopy(product, UninstallerCommand(" /LOG=" + std::string(1200, 'x')));
        break;
    }

    EXPECT_EXIT(TFormMain::ResolvePreviousInstall(path.locale), ::testing::ExitedWithCode(0), "");

    auto boxes = Events("message_box");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Bytes("text"), path.japanese ? ShiftJis(path.text) : path.text);
    EXPECT_EQ(boxes[0].Bytes("caption"), "Information");
    EXPECT_EQ(boxes[0].Number("flags"), 0x40);
    EXPECT_EQ(boxes[0].Bytes("owner_class"), "TApplication");
    // An empty command is tried and fails; one that is too long is not tried.
    auto starts = Events("process_start");
    ASSERT_EQ(starts.size(), path.machine == FailurePath::CommandTooLong ? 0u : 1u);
    if (!starts.empty()) {
        EXPECT_EQ(starts[0].Number("result"), path.startsUninstaller ? 1 : 0);
    }
    EXPECT_EQ(Exists(marker), path.startsUninstaller);
    // The copy is left as it was found.
    EXPECT_TRUE(KeyExists(prefix, ProductKey(product)));
}

INSTANTIATE_TEST_SUITE_P(
    , LauncherFailurePaths,
    ::testing::Values(FailurePath{"EnglishCopyLeft", 1033, FailurePath::LeavesTheCopy,
                                  "Please uninstall old software.", false, true},
                      FailurePath{"JapaneseCopyLeft", 1041, FailurePath::LeavesTheCopy,
                                  StillInstalledJapanese, true, true},
                      FailurePath{"EnglishEmptyCommand", 1033, FailurePath::EmptyCommand,
                                  "This software failed to uninstall.", false, false},
                      FailurePath{"JapaneseEmptyCommand", 1041, FailurePath::EmptyCommand,
                                  UninstallFailedJapanese, true, false},
                      FailurePath{"OtherLocaleNoCommandValue", 0x0C0A, FailurePath::NoCommandValue,
                                  "This software failed to uninstall.", false, false},
                      FailurePath{"CommandTooLongIsRefusedNotCut", 1033,
                                  FailurePath::CommandTooLong, "This software failed to uninstall.",
                                  false, false}),
    [](const ::testing::TestParamInfo<FailurePath>& info) { return std::string(info.param.name); });

TEST_F(LauncherStages, CommandsFillingTheBufferRunAndLongerOnesAreRefused) {
    WriteStandInUninstaller(uninstaller, marker, EnglishName, false);
    const std::string head = UninstallerCommand(" /LOG=");
    // 1023 bytes and the terminating zero fill the 1024-byte command buffer.
    const std::string fits = head + std::string(1023 - head.size(), 'a');
    InstallEarlierCopy(EnglishName, fits);
    EXPECT_TRUE(TFormMain::RunPreviousUninstaller(EnglishName));
    auto starts = Events("process_start");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].Bytes("command_line"), fits);

    for (size_t size : {size_t{1024}, size_t{1025}, size_t{4096}}) {
        InstallEarlierCopy(EnglishName, head + std::string(size - head.size(), 'b'));
        EXPECT_FALSE(TFormMain::RunPreviousUninstaller(EnglishName)) << size;
    }
    EXPECT_EQ(Events("process_start").size(), 1u);
}

TEST_F(LauncherStages, ANonTextUninstallStringRaisesTheDataTypeErrorAndRunsNothing) {
    ImportRegistry(prefix, EarlierCopyLines(EnglishName, "dword:0000002a"));
    try {
        TFormMain::ResolvePreviousInstall(1033);
        ADD_FAILURE() << "no exception";
    } catch (const ERegistryException& error) {
        EXPECT_EQ(error.Message().rfind("'UninstallString' ", 0), 0u) << error.Message();
    }
    EXPECT_TRUE(Events("process_start").empty());
    EXPECT_TRUE(Events("message_box").empty());
}

TEST(FormMainClass, PublishesFormCreateAndNothingElseOfItsOwn) {
    const TClass& formMain = TFormMain::ClassInfo;
    EXPECT_STREQ(formMain.Name, "TFormMain");
    EXPECT_EQ(formMain.Parent, &TForm::ClassInfo);
    EXPECT_TRUE(formMain.Properties.empty());
    ASSERT_EQ(formMain.Methods.size(), 1u);
    EXPECT_STREQ(formMain.Methods[0].Name, "FormCreate");
    EXPECT_EQ(formMain.FindMethod("formcreate"), formMain.Methods[0].Code);
    ASSERT_NE(formMain.NewObject, nullptr);
}

TEST(MessageCatalogue, HoldsItsTextsFromModuleStartUpToShutdown) {
    EXPECT_EQ(CatalogueText(lmUninstallFailed, ilEnglish), "");
    UnitmainModule.Start();
    EXPECT_EQ(CatalogueText(lmUninstallFailed, ilEnglish), "This software failed to uninstall.");
    EXPECT_EQ(CatalogueText(lmStillInstalled, ilEnglish), "Please uninstall old software.");
    EXPECT_EQ(CatalogueText(lmUninstallFailed, ilJapanese), ShiftJis(UninstallFailedJapanese));
    EXPECT_EQ(CatalogueText(lmStillInstalled, ilJapanese), ShiftJis(StillInstalledJapanese));
    UnitmainModule.Stop();
    EXPECT_EQ(CatalogueText(lmStillInstalled, ilJapanese), "");
}

} // namespace
