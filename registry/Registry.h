#pragma once
#include <windows.h>
#include <string>

// Default: no view flag (a 32-bit program sees the 32-bit view); Wow64_64: KEY_WOW64_64KEY.
enum class RegistryView { Default, Wow64_64 };

// The value's data as text, up to its first zero byte and at most 256 bytes; a longer
// value gives its first 256 bytes. "" or "*" as name: the key's default value.
// keyPath is cut at 299 characters, valueName at 255. Returns "" if the key cannot be
// opened, even for reading, or the value is missing, empty or unreadable.
std::string ReadRegValue(HKEY root, const std::string& keyPath, const std::string& valueName,
                         RegistryView view = RegistryView::Default);
