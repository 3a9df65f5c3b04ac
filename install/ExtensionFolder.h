#pragma once
#include <string>

// Paths are UTF-16 throughout, so that any account folder and the degree sign in the script
// names reach the file system whatever the system's ANSI code page.

// The shell's local application-data folder of the current user, trimmed of blanks,
// with "\" appended ("\" alone if the query fails). Creates nothing.
std::wstring GetLocalAppDataFolder();
// The string work of GetLocalAppDataFolder on the shell's answer: spaces (U+0020 only)
// trimmed from both ends, "\" appended.
std::wstring LocalAppDataFolderFrom(const std::wstring& shellAnswer);
// The string work of GetExtensionFolder on a given GetLocalAppDataFolder result:
// lowered over its whole length, every "\local\" turned into "\roaming\".
std::wstring ExtensionFolderFrom(const std::wstring& localAppDataFolder);
// The current user's roaming folder, lower case, ending in "\"; worked out afresh each call.
std::wstring GetExtensionFolder();
