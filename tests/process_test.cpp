// The built program as a user meets it: started as its own process, with arguments.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/ProgramWindow.h"
#include "support/TestFiles.h"

namespace {

void RunProgram(const std::string& arguments) {
    std::string commandLine = "\"" + ProgramPath() + "\"" + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << "cannot start " << ProgramPath() << ", error " << GetLastError();
    HWND dialog = WaitForProgramWindow(process.dwProcessId, process.hProcess);
    EXPECT_NE(nullptr, dialog) << "no visible \"VLC Turnix\" window";
    if (dialog) {
        RECT client{}, window{}, work{};
        GetClientRect(dialog, &client);
        GetWindowRect(dialog, &window);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_EQ(360, client.right);
        EXPECT_EQ(90, client.bottom);
        EXPECT_NEAR((work.left + work.right - (window.right - window.left)) / 2, window.left, 1);
        EXPECT_NEAR((work.top + work.bottom - (window.bottom - window.top)) / 2, window.top, 1);
        char text[64] = {};
        GetWindowTextA(GetDlgItem(dialog, 1004), text, sizeof text);
        EXPECT_STREQ("INSTALL TURNIX EXTENSION", text);
        // Esc must neither end the program nor hide or disable its dialog; only the close command ends it.
        PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(process.hProcess, 1000));
        EXPECT_TRUE(IsWindowVisible(dialog)) << "hidden by Esc";
        EXPECT_TRUE(IsWindowEnabled(dialog)) << "disabled by Esc";
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 60000));
    DWORD exitCode = 12345;
    GetExitCodeProcess(process.hProcess, &exitCode);
    if (exitCode == STILL_ACTIVE) TerminateProcess(process.hProcess, 1);
    EXPECT_EQ(0u, exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

TEST(Program, ShowsTheDialogAndEndsWithZeroWhenClosed) { RunProgram(""); }

TEST(Program, IgnoresItsCommandLine) { RunProgram(" /S --install \"C:\\some where\" -h"); }

}  // namespace
