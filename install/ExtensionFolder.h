#pragma once
#include <string>

// The shell's local application-data folder of the current user, trimmed of blanks,
// with "\" appended ("\" alone if the query fails). Creates nothing.
std::string GetLocalAppDataFolder();
// The string work of GetLocalAppDataFolder on the shell's answer: spaces (0x20 only)
// trimmed from both ends, "\" appended.
std::string LocalAppDataFolderFrom(const std::string& shellAnswer);
// The string work of GetExtensionFolder on a given GetLocalAppDataFolder result:
// lowered with the ANSI code page, every "\local\" turned into "\roaming\".
std::string ExtensionFolderFrom(const std::string& localAppDataFolder);
// The current user's roaming folder, lower case, ending in "\"; worked out afresh each call.
std::string GetExtensionFolder();
