#pragma once
#include <string>
#include <vector>

// Paths are UTF-16 throughout, so that any account folder and the degree sign in the script
// names reach the file system whatever the system's ANSI code page.

// The string work of GetExtensionFolder on the shell's answer: spaces (U+0020 only) trimmed from
// both ends, "\" appended, lowered over the whole length.
std::wstring ExtensionFolderFrom(const std::wstring& shellAnswer);
// The current user's roaming application-data folder as the shell names it (redirected or not),
// lower case, ending in "\"; "\" alone if the query fails. Worked out afresh each call; creates nothing.
std::wstring GetExtensionFolder();

// The folders in which VLC looks for a user's extensions, outermost first: "<roaming>vlc",
// "<roaming>vlc\lua" and "<roaming>vlc\lua\extensions", the last one the scripts' own.
// None for the lone "\" of a failed query, which would name the network share \\vlc\lua.
std::vector<std::wstring> ScriptFolderChainOf(const std::wstring& extensionFolder);
// ScriptFolderChainOf on a fresh GetExtensionFolder().
std::vector<std::wstring> GetScriptFolderChain();
