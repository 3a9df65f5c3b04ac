#include "DelRegKey.h"

#include "ScopedWin.h"

// Other programs call this in a loaded module whose runtime may never have been set up:
// only the stack and ADVAPI32 here, no runtime helpers.

namespace {

constexpr DWORD PathBuffer = 255;

bool IsMissingKey(LONG status) { return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND; }

}  // namespace

extern "C" LONG __stdcall DELREGKEY(const DWORD* root, const char* const* keyPath) noexcept {
    if (!root || !keyPath || !*keyPath) return ERROR_INVALID_PARAMETER;
    const char* text = *keyPath;
    // An OLE string keeps its byte length in the 32-bit word before its first character.
    const DWORD length = reinterpret_cast<const DWORD*>(text)[-1];
    if (length == 0) return ERROR_INVALID_PARAMETER;
    // A shortened path could name another key.
    if (length > PathBuffer - 1) return ERROR_FILENAME_EXCED_RANGE;

    char path[PathBuffer];
    for (DWORD i = 0; i < length; ++i) {
        // A zero byte inside would make the platform see a shorter path: another key.
        if (text[i] == '\0') return ERROR_INVALID_PARAMETER;
        path[i] = text[i];
    }
    path[length] = '\0';

    const HKEY rootKey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(*root));
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExA(rootKey, path, 0, KEY_ALL_ACCESS, &key);
    if (IsMissingKey(opened)) return ERROR_SUCCESS;  // nothing to delete: callers rely on this being success
    if (opened != ERROR_SUCCESS) return opened;

    const UniqueKey owner(key);  // closes the key after the deletion
    return RegDeleteKeyA(rootKey, path);
}
