// Waiting for a started program while another thread sends to the waiting
// thread's window: the sent message is handled during the wait, a posted one
// stays queued, and the wait ends when the program has ended.
#include "launcher/process_wait.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr UINT Sent = WM_USER + 2;
constexpr UINT Posted = WM_USER + 1;

// The file the window creates when it handles the sent message.
std::string answeredFile;

LRESULT CALLBACK AnsweringProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != Sent) return DefWindowProcA(window, message, wParam, lParam);
    std::ofstream(answeredFile).put('1');
    return 42;
}

TEST(AwaitProcessEnd, HandlesSentMessagesUntilTheProgramEnds) {
    const std::string directory = std::getenv("HOSTWIN_PREFIX");
    std::filesystem::create_directories(directory);
    // The program waits (up to ten seconds) for the window to handle the sent
    // message, and says with its exit code whether it did.
    const std::string program = directory + "/waits_for_answer";
    answeredFile = program + ".answered";
    unlink(answeredFile.c_str());
    std::ofstream(program) << "#!/bin/sh\n"
                              "for i in $(seq 1000); do\n"
                              "  [ -e \"$0.answered\" ] && exit 0; sleep 0.01\n"
                              "done\n"
                              "exit 1\n";
    chmod(program.c_str(), 0755);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = AnsweringProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "AwaitProcessEndTest";
    WNDCLASSA registered;
    if (!GetClassInfoA(windowClass.hInstance, windowClass.lpszClassName, &registered)) {
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    PostMessageA(window, Posted, 0, 0);

    std::string commandLine = "Z:" + program;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    LRESULT answer = 0;
    std::thread sender([&] { answer = SendMessageA(window, Sent, 0, 0); });
    EXPECT_TRUE(AwaitProcessEnd(process.hProcess));
    DWORD exitCode = STILL_ACTIVE;
    EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &exitCode));
    EXPECT_EQ(exitCode, 0u) << "the sent message was not handled during the wait";
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, Posted);
    sender.join();
    EXPECT_EQ(answer, 42);

    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DestroyWindow(window);
    // A handle that names no process: the wait fails instead of waiting.
    EXPECT_FALSE(AwaitProcessEnd(process.hProcess));
}

} // namespace
