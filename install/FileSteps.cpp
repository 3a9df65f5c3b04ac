#include "FileSteps.h"

#include <windows.h>

#include "ScopedWin.h"

namespace {

// The DOS volume-label bit, for which Win32 has no name.
constexpr DWORD VolumeLabelAttribute = 0x8;
// Any of these keeps an entry from being deleted.
constexpr DWORD KeepAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | VolumeLabelAttribute | FILE_ATTRIBUTE_DIRECTORY;

// Everything up to and including the last backslash or colon; "" when there is none.
std::wstring FolderPart(const std::wstring& path) {
    const std::size_t end = path.find_last_of(L"\\:");
    return end == std::wstring::npos ? std::wstring() : path.substr(0, end + 1);
}

HANDLE OpenForWriting(const std::wstring& path, DWORD access) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    return CreateFileW(path.c_str(), access, 0, &inheritable, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool DeleteFoundEntries(const std::wstring& path, HANDLE search, WIN32_FIND_DATAW& found) {
    const std::wstring folder = FolderPart(path);
    for (;;) {
        if ((found.dwFileAttributes & KeepAttributes) == 0 &&
            !DeleteFileW((folder + found.cFileName).c_str()))
            return false;
        if (!FindNextFileW(search, &found)) return GetLastError() == ERROR_NO_MORE_FILES;
    }
}

bool ReadExactly(HANDLE file, char* buffer, DWORD size) {
    while (size > 0) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, size, &got, nullptr) || got == 0) return false;
        buffer += got;
        size -= got;
    }
    return true;
}

// INVALID_FILE_ATTRIBUTES for no entry, or a path too long to take.
DWORD QuietAttributes(const std::wstring& path) {
    if (path.size() > MaxFilePathLength) return INVALID_FILE_ATTRIBUTES;
    const DWORD lastError = GetLastError();
    QuietErrorMode quiet;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    SetLastError(lastError);
    return attributes;
}

}  // namespace

bool IsFilePresent(const std::wstring& path) noexcept {
    return QuietAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFile(const std::wstring& path) noexcept {
    const DWORD attributes = QuietAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool MakeFolder(const std::wstring& path) noexcept {
    if (path.size() > MaxFilePathLength) return false;
    QuietErrorMode quiet;
    if (CreateDirectoryW(path.c_str(), nullptr)) return true;
    const DWORD attributes = GetFileAttributesW(path.c_str());  // there already: fine if it is a folder
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RemoveFile(const std::wstring& path) noexcept {
    if (path.size() > MaxRemovePathLength) return false;
    QuietErrorMode quiet;
    WIN32_FIND_DATAW found;
    UniqueFind search(FindFirstFileW(path.c_str(), &found));
    return search.IsOpen() && DeleteFoundEntries(path, search.Get(), found);
}

bool WriteWholeFile(const std::wstring& path, const std::string& content) noexcept {
    if (path.size() > MaxFilePathLength) return false;
    QuietErrorMode quiet;
    UniqueFile file(OpenForWriting(path, GENERIC_READ | GENERIC_WRITE));
    // A file that refuses writing is still opened, so the failing write below leaves it as it was.
    if (!file.IsOpen()) file.Reset(OpenForWriting(path, GENERIC_READ));
    if (!file.IsOpen()) return false;
    SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN);
    const DWORD size = static_cast<DWORD>(content.size());
    DWORD written = 0;
    if (!WriteFile(file.Get(), content.data(), size, &written, nullptr) || written != size) return false;
    // A file that survived the removal may be longer than the new content: drop its old tail.
    return SetEndOfFile(file.Get()) != FALSE;
}

bool FileHoldsExactly(const std::wstring& path, const std::string& expected) noexcept {
    if (path.size() > MaxFilePathLength) return false;
    QuietErrorMode quiet;
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file.IsOpen() || !GetFileSizeEx(file.Get(), &size) ||
        size.QuadPart != static_cast<LONGLONG>(expected.size()))
        return false;
    std::string actual(expected.size(), '\0');
    return ReadExactly(file.Get(), &actual[0], static_cast<DWORD>(actual.size())) && actual == expected;
}
