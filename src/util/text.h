// Text surgery on UTF-16 texts (positions count code units and start at 1), and the
// conversions between UTF-16, UTF-8, Latin-1 and the ANSI code page.
#pragma once
#include <cstdint>
#include <string>

std::wstring ReplaceAll(const std::wstring& text, const std::wstring& find, const std::wstring& replacement);
std::wstring Substring(const std::wstring& text, int64_t start, int64_t length);
std::wstring ReverseText(const std::wstring& text);
std::wstring UpperCase(const std::wstring& text);  // the platform's locale-aware upper-casing
int32_t CountOccurrences(const std::wstring& text, const std::wstring& separator);
std::wstring ListField(const std::wstring& text, int64_t index, const std::wstring& separator);
std::wstring TrimBlanks(const std::wstring& text);  // blanks (0x20) only; tabs stay

// UTF-8 bytes to UTF-16; malformed sequences become U+FFFD. Same result on every platform:
// the wstring holds UTF-16 code units (surrogate pairs for characters beyond U+FFFF).
std::wstring Utf8ToWide(const std::string& bytes);
// UTF-16 code units to UTF-8; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(const std::wstring& text);
// Latin-1 bytes widened to UTF-8 (0x80-0xFF become two-byte sequences).
std::string Latin1ToUtf8(const std::string& bytes);
// UTF-16 to the system's ANSI code page; missing characters become "?".
std::string WideToAnsi(const std::wstring& text);
