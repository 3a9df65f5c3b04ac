#include "AnsiCodePage.h"

#include <windows.h>

bool SurvivesAnsiCodePage(const std::wstring& text) noexcept {
    if (GetACP() == CP_UTF8 || text.empty()) return true;
    const int length = static_cast<int>(text.size());
    const int narrowLength =
        WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (narrowLength <= 0) return false;
    std::string narrow(static_cast<std::size_t>(narrowLength), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, &narrow[0], narrowLength, nullptr, nullptr);
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, narrow.data(), narrowLength, nullptr, 0);
    if (wideLength != length) return false;
    std::wstring back(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), narrowLength, &back[0], wideLength);
    return back == text;
}
