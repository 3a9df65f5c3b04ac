#pragma once
#include <cstddef>
#include <string>

// The single file-system steps of an installation. Each runs with the system's error message
// boxes off (previous error mode restored), reports only through its result, and never cuts a
// path that is too long: such a path is refused instead, so it cannot name another entry.
// Paths are UTF-16, and lengths are counted in UTF-16 units.

// Longest path the folder, open, write, read and presence steps accept; removal accepts one more.
constexpr std::size_t MaxFilePathLength = 255;
constexpr std::size_t MaxRemovePathLength = 256;

// True if the file system has any entry at the path (file of any attributes, or folder).
// False for no entry, no such folder or drive, no access, or a path over MaxFilePathLength;
// the thread's last-error value is left as it was.
bool IsFilePresent(const std::wstring& path) noexcept;

// True if a file (of any attributes, but not a folder) stands at the path; false for a folder, no
// entry, no access, or a path over MaxFilePathLength. Opens nothing; the last-error value stays.
bool IsFile(const std::wstring& path) noexcept;

// Makes the folder at the path unless one is there already (its parent must exist; nothing else
// is made). True if a folder is there afterwards; false for a file of that name, a refused
// creation, or a path over MaxFilePathLength.
bool MakeFolder(const std::wstring& path) noexcept;

// Deletes the plain file at the path. Hidden, system and folder entries are left alone (no failure).
// False if nothing is found, a deletion is refused, the search fails, or the path is over
// MaxRemovePathLength.
bool RemoveFile(const std::wstring& path) noexcept;

// Opens or creates the file at the path without sharing (read and write, else read alone), writes
// content from its first byte and cuts the file there, so no tail of an older content remains.
// Never creates a folder. True only if every byte was written and the file was cut; a file whose
// write fails is left unchanged. False for a path over MaxFilePathLength.
bool WriteWholeFile(const std::wstring& path, const std::string& content) noexcept;

// True if the file at the path can be read and holds exactly the given bytes, no more, no fewer.
// False for a folder, a missing or unreadable file, or a path over MaxFilePathLength.
bool FileHoldsExactly(const std::wstring& path, const std::string& expected) noexcept;
