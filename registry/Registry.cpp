#include "Registry.h"

#include <cstring>
#include <memory>

#include "ScopedWin.h"

namespace {

constexpr size_t KeyPathBuffer = 300;
constexpr size_t ValueNameBuffer = 256;
constexpr DWORD DataBuffer = 256;

// Copies text into a fixed buffer, stopping at its first zero byte or when the buffer
// is full less the terminator.
template <size_t N>
void CopyCut(const std::string& text, char (&buffer)[N]) {
    const size_t length = strnlen(text.c_str(), N - 1);
    memcpy(buffer, text.c_str(), length);
    buffer[length] = '\0';
}

HKEY OpenForReading(HKEY root, const char* keyPath, RegistryView view) {
    const REGSAM viewFlag = view == RegistryView::Wow64_64 ? KEY_WOW64_64KEY : 0;
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(root, keyPath, 0, KEY_ALL_ACCESS | viewFlag, &key);
    // Reading must not need write rights (a limited user on an HKLM key).
    if (status == ERROR_ACCESS_DENIED) status = RegOpenKeyExA(root, keyPath, 0, KEY_READ | viewFlag, &key);
    return status == ERROR_SUCCESS ? key : nullptr;
}

// The whole value, for one too long for the fixed buffer; copies its first bytes into data.
// Leaves data zeroed if the value cannot be read.
void ReadLongValue(HKEY key, const char* valueName, char (&data)[DataBuffer]) {
    // The value may grow between the size query and the read: try a few times.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExA(key, valueName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return;
        if (size <= DataBuffer) size = DataBuffer + 1;
        std::unique_ptr<BYTE[]> whole(new BYTE[size]);
        const LONG status = RegQueryValueExA(key, valueName, nullptr, nullptr, whole.get(), &size);
        if (status == ERROR_SUCCESS) {
            memcpy(data, whole.get(), size < DataBuffer ? size : DataBuffer);
            return;
        }
        if (status != ERROR_MORE_DATA) return;
    }
}

}  // namespace

std::string ReadRegValue(HKEY root, const std::string& keyPath, const std::string& valueName,
                         RegistryView view) {
    char path[KeyPathBuffer];
    CopyCut(keyPath, path);
    const UniqueKey key(OpenForReading(root, path, view));
    if (!key.IsOpen()) return std::string();

    char name[ValueNameBuffer];
    CopyCut(valueName == "*" ? std::string() : valueName, name);

    // Status and type are deliberately not examined: a missing value leaves the buffer zeroed.
    char data[DataBuffer] = {};
    DWORD type = 0;
    DWORD size = DataBuffer;
    const LONG status =
        RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    if (status == ERROR_MORE_DATA) {
        // The buffer's content is undefined after this status.
        memset(data, 0, sizeof data);
        ReadLongValue(key.Get(), name, data);
    }
    return std::string(data, strnlen(data, sizeof data));
}
