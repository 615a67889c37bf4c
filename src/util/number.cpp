// Conversions between 64-bit integers and their text form.
#include "util/number.h"

#include <cstdint>

int64_t TextToInt64(const std::wstring& text) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && (text[i] == L' ' || text[i] == L'\t')) ++i;
    bool negative = false;
    if (i < n && text[i] == L'-') {
        negative = true;
        ++i;
    } else if (i < n && text[i] == L'+') {
        ++i;
    }
    unsigned base = 10;
    if (i < n && text[i] == L'$') {
        base = 16;
        ++i;
    } else if (i < n && text[i] == L'%') {
        base = 2;
        ++i;
    }
    // Unsigned arithmetic gives the silent wrap modulo 2^64 without undefined behaviour.
    uint64_t value = 0;
    for (; i < n; ++i) {
        const wchar_t c = text[i];
        unsigned digit;
        if (c >= L'0' && c <= L'9') {
            digit = static_cast<unsigned>(c - L'0');
        } else if (base == 16 && c >= L'a' && c <= L'f') {
            digit = static_cast<unsigned>(c - L'a') + 10;
        } else if (base == 16 && c >= L'A' && c <= L'F') {
            digit = static_cast<unsigned>(c - L'A') + 10;
        } else {
            break;
        }
        if (digit >= base) break;
        value = value * base + digit;
    }
    if (negative) value = 0 - value;
    return static_cast<int64_t>(value);
}

std::wstring Int64ToText(int64_t value) {
    // Work on the magnitude as unsigned so the smallest value needs no extra branch.
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    wchar_t digits[24];
    size_t pos = sizeof(digits) / sizeof(digits[0]);
    do {
        digits[--pos] = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits[--pos] = L'-';
    return std::wstring(digits + pos, digits + sizeof(digits) / sizeof(digits[0]));
}
