#pragma once
// What a GoogleTest case takes from the fixtures: a scratch folder of its own, and the program
// under test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/Files.h"

// An empty scratch folder for the running case, <scratch root><group>\<case>\ (made by the case itself).
inline void GetCaseFolder(const std::wstring& group, std::wstring& folder) {
    const std::wstring root = ScratchRoot();
    ASSERT_FALSE(root.empty()) << "USERPROFILE is not set";
    folder =
        root + group + L"\\" + Widen(testing::UnitTest::GetInstance()->current_test_info()->name()) + L"\\";
    RemoveTree(folder);
}

#ifdef TURNIX_EXE_UNIX_PATH
// The program under test as Wine sees it: the build's own, or another copy of it that
// TURNIX_TEST_PROGRAM names (a Unix path: the release check points it at the signed program).
inline std::wstring ProgramPath() {
    const char* other = std::getenv("TURNIX_TEST_PROGRAM");
    return Widen(FromUnixPath(other && *other ? other : TURNIX_EXE_UNIX_PATH));
}
#endif
