// The text operations that need the platform: locale-aware upper-casing and the ANSI code page.
#include <windows.h>

#include "util/text.h"

std::wstring UpperCase(const std::wstring& text) {
    if (text.empty()) return text;
    std::wstring out = text;
    CharUpperBuffW(&out[0], static_cast<DWORD>(out.size()));
    return out;
}

std::string WideToAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int wideLength = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), wideLength, &out[0], size, nullptr, nullptr);
    return out;
}
