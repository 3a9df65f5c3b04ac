#pragma once
// Files and folders on the prefix's own file system, for the cases that install into scratch
// folders. Paths are UTF-16, as the program's own, so that names outside the ANSI code page survive.
#include <string>
#include <vector>

// The whole file; "" if it cannot be read.
std::string ReadBytes(const std::wstring& path);
// Creates or replaces the file with exactly these bytes; false if it cannot be written.
bool WriteBytes(const std::wstring& path, const std::string& bytes);
// The names in the folder (ending in "\"), sorted, without "." and "..": cases compare whole listings.
std::vector<std::wstring> ListFolder(const std::wstring& folder);
// The folder (ending in "\") and everything in it; read-only entries too, which some cases leave.
void RemoveTree(const std::wstring& folder);
// Every folder up to the path's last "\" ("C:\..." ending in "\" makes the whole path).
void MakeFolders(const std::wstring& path);

// UTF-8 (ASCII included) as UTF-16, e.g. a case's name.
std::wstring Widen(const std::string& text);
std::wstring Lower(std::wstring text);

// A path of the build as Wine sees it: the Unix root is drive Z:. Build paths are ASCII.
std::string FromUnixPath(const std::string& unixPath);
// The folder of the running program, ending in "\": the build folder, where CMake copies the fixtures.
std::wstring ExeFolder();
// The root of the scratch folders that cases steer the shell's folders into, ending in "\"; ""
// without a profile folder. The user's profile folder is writable on every Windows, unlike C:\.
std::wstring ScratchRoot();
