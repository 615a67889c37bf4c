// A deliberately plain second reading of the number rule, for the fuzz targets to compare
// TextToInt64 with: one step per clause, no shared helpers with the program's code.
#pragma once
#include <cstdint>
#include <string>

namespace fuzz {

inline int DigitValue(uint32_t c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a') + 10;
    if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A') + 10;
    return 99;
}

inline int64_t ReferenceTextToInt64(const std::wstring& text) {
    std::u32string t;
    for (wchar_t c : text) t += static_cast<char32_t>(static_cast<uint32_t>(c));
    size_t i = 0;
    // Leading blanks and tabs.
    while (i < t.size() && (t[i] == U' ' || t[i] == U'\t')) i = i + 1;
    // At most one sign.
    bool minus = false;
    if (i < t.size() && t[i] == U'-') {
        minus = true;
        i = i + 1;
    } else if (i < t.size() && t[i] == U'+') {
        i = i + 1;
    }
    // The base marker.
    int base = 10;
    if (i < t.size() && t[i] == U'$') {
        base = 16;
        i = i + 1;
    } else if (i < t.size() && t[i] == U'%') {
        base = 2;
        i = i + 1;
    }
    // Digits of that base up to the first other character; the sum wraps modulo 2^64.
    uint64_t value = 0;
    while (i < t.size()) {
        const int d = DigitValue(t[i]);
        if (d >= base) break;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        i = i + 1;
    }
    if (minus) value = ~value + 1;
    return static_cast<int64_t>(value);
}

}  // namespace fuzz
