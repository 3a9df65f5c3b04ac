#pragma once
#include <string>

// True if the text comes back unchanged from the system's ANSI code page: WideCharToMultiByte and
// then MultiByteToWideChar, both with CP_ACP and no flags, as a program that opens files through
// the ANSI functions converts a path (VLC opens its extension scripts so). A letter the code page
// lacks comes back as "?" or a look-alike. Always true where the ANSI code page is UTF-8.
bool SurvivesAnsiCodePage(const std::wstring& text) noexcept;
