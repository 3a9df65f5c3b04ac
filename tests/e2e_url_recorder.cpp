// Stands in for the browser in the end-to-end test: registered as the prefix's "http" handler
// with the command line  "recorder.exe" "record file" "%1", it appends the url and a line end
// to the record file.
#include <windows.h>

#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc != 3) return 2;
    const std::string line = std::string(__argv[2]) + "\n";
    HANDLE file = CreateFileA(__argv[1], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const bool done = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
                      written == line.size();
    CloseHandle(file);
    return done ? 0 : 1;
}
