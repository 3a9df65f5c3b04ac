#pragma once
#include <windows.h>

// Exported by name for other programs: deletes the key keyPath below *root (not recursive).
// keyPath refers to a byte-length OLE string (SysAllocStringByteLen) or to null.
// Returns 0 when deleted or when no such key exists, otherwise a Win32 error code:
// ERROR_INVALID_PARAMETER for a null reference, an empty path or a zero byte inside the
// path, ERROR_FILENAME_EXCED_RANGE for a path over 254 characters (nothing is deleted),
// the open's code when the key exists but cannot be opened, else the deletion's code.
// Runs without the C/C++ runtime being initialised.
extern "C" LONG __stdcall DELREGKEY(const DWORD* root, const char* const* keyPath) noexcept;

// The exported function's type, as a client declares it.
using DelRegKeyFunction = LONG(__stdcall*)(const DWORD* root, const char* const* keyPath);
