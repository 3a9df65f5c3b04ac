#pragma once
#include <windows.h>

// Exported by name for other programs: deletes the key keyPath below *root (not recursive).
// keyPath refers to a byte-length OLE string (SysAllocStringByteLen) or to null.
// Returns 0 when deleted or when no such key exists, otherwise a Win32 error code.
extern "C" LONG __stdcall DELREGKEY(const DWORD* root, const char* const* keyPath) noexcept;
