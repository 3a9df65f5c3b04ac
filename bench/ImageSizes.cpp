#include "ImageSizes.h"

#include <windows.h>
#include <cstring>
#include <vector>

namespace {

bool ReadWholeFile(const std::string& path, std::vector<char>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD done = 0;
    const bool ok =
        size != INVALID_FILE_SIZE && ReadFile(file, bytes.data(), size, &done, nullptr) && done == size;
    CloseHandle(file);
    return ok;
}

template <class T>
bool ReadAt(const std::vector<char>& bytes, size_t offset, T& out) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof out) return false;
    std::memcpy(&out, bytes.data() + offset, sizeof out);
    return true;
}

bool TextSectionSize(const std::vector<char>& bytes, double& size) {
    IMAGE_DOS_HEADER dos;
    IMAGE_NT_HEADERS32 nt;
    if (!ReadAt(bytes, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return false;
    const size_t ntOffset = static_cast<size_t>(dos.e_lfanew);
    if (!ReadAt(bytes, ntOffset, nt) || nt.Signature != IMAGE_NT_SIGNATURE) return false;
    size_t sectionOffset =
        ntOffset + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + nt.FileHeader.SizeOfOptionalHeader;
    for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i, sectionOffset += IMAGE_SIZEOF_SECTION_HEADER) {
        IMAGE_SECTION_HEADER section;
        if (!ReadAt(bytes, sectionOffset, section)) return false;
        if (std::memcmp(section.Name, ".text", 6) == 0) {
            size = section.SizeOfRawData;
            return true;
        }
    }
    return false;
}

BOOL CALLBACK AddResourceSize(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR total) noexcept {
    HRSRC resource = FindResourceA(module, name, type);
    if (resource) *reinterpret_cast<double*>(total) += SizeofResource(module, resource);
    return TRUE;
}

// Read through the loader as a data file: it is never run or bound.
double IconBytes(const std::string& path) {
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return 0;
    double total = 0;
    EnumResourceNamesA(module, RT_ICON, AddResourceSize, reinterpret_cast<LONG_PTR>(&total));
    EnumResourceNamesA(module, RT_GROUP_ICON, AddResourceSize, reinterpret_cast<LONG_PTR>(&total));
    FreeLibrary(module);
    return total;
}

}  // namespace

bool MeasureImage(const std::string& path, ImageSizes& sizes) {
    std::vector<char> bytes;
    if (!ReadWholeFile(path, bytes) || !TextSectionSize(bytes, sizes.text)) return false;
    sizes.file = static_cast<double>(bytes.size());
    sizes.icons = IconBytes(path);
    return true;
}
