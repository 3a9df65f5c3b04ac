// The start-up sequence around the main routine, with a main routine of the test's own.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <vector>

#include "Startup.h"

namespace {

struct MainCall {
    int calls = 0;
    HINSTANCE instance = nullptr;
    HINSTANCE previous = reinterpret_cast<HINSTANCE>(1);
    const char* tail = nullptr;
    HRESULT comAlready = E_FAIL;
    int result = 0;
};
MainCall mainCall;

}  // namespace

int TurnixMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail, int) {
    ++mainCall.calls;
    mainCall.instance = instance;
    mainCall.previous = previous;
    mainCall.tail = commandTail;
    // S_FALSE: COM was already set up for this thread by the start-up.
    mainCall.comAlready = CoInitialize(nullptr);
    if (SUCCEEDED(mainCall.comAlready)) CoUninitialize();
    return mainCall.result;
}

namespace {

TEST(SkipProgramName, LeavesTheArgumentsAfterTheProgramName) {
    EXPECT_STREQ("--x y", SkipProgramName("\"C:\\Program Files\\VLC Turnix extension.exe\"  --x y"));
    EXPECT_STREQ("a", SkipProgramName("turnix.exe \t a"));
    EXPECT_STREQ("", SkipProgramName("turnix.exe"));
    EXPECT_STREQ("", SkipProgramName("\"C:\\no closing quote"));
    EXPECT_STREQ("", SkipProgramName(""));
    EXPECT_STREQ("rest", SkipProgramName("\"\" rest"));
    EXPECT_STREQ("tail \"quoted\"", SkipProgramName("\"prog\"tail \"quoted\""));
    // Bytes above 0x7F are part of the name (a signed compare would end it there).
    EXPECT_STREQ("arg", SkipProgramName("C:\\Caf\xE9\\turnix.exe arg"));
    EXPECT_STREQ("", SkipProgramName(nullptr));
}

TEST(StartupShowCommand, TakesTheGivenCommandOnlyWhenFlagged) {
    STARTUPINFOA info{};
    info.wShowWindow = SW_SHOWMINNOACTIVE;
    EXPECT_EQ(SW_SHOWDEFAULT, StartupShowCommand(info));
    info.dwFlags = STARTF_USESHOWWINDOW;
    EXPECT_EQ(SW_SHOWMINNOACTIVE, StartupShowCommand(info));
}

TEST(RunTurnixProcess, CallsTheMainRoutineAndReturnsItsResult) {
    mainCall = MainCall{};
    mainCall.result = 42;
    EXPECT_EQ(42, RunTurnixProcess());
    EXPECT_EQ(1, mainCall.calls);
    EXPECT_EQ(GetModuleHandleA(nullptr), mainCall.instance);
    EXPECT_EQ(nullptr, mainCall.previous);
    EXPECT_STREQ(SkipProgramName(GetCommandLineA()), mainCall.tail);
    EXPECT_EQ(S_FALSE, mainCall.comAlready);
    // Shut down again: COM is free to be set up anew.
    HRESULT again = CoInitialize(nullptr);
    EXPECT_EQ(S_OK, again);
    if (SUCCEEDED(again)) CoUninitialize();
}

TEST(RunTurnixProcess, EndsWith255WithoutThreadState) {
    // Take every thread-local slot, so that the per-thread state cannot be set up.
    std::vector<DWORD> taken;
    for (DWORD slot; (slot = TlsAlloc()) != TLS_OUT_OF_INDEXES;)
        taken.push_back(slot);
    mainCall = MainCall{};
    const int exitCode = RunTurnixProcess();
    for (DWORD slot : taken)
        TlsFree(slot);
    EXPECT_EQ(255, exitCode);
    EXPECT_EQ(0, mainCall.calls);
    ASSERT_FALSE(taken.empty());

    mainCall = MainCall{};
    EXPECT_EQ(0, RunTurnixProcess()) << "slots back: the start-up works again";
    EXPECT_EQ(1, mainCall.calls);
}

}  // namespace
