// The only conversions between numbers and text.
#pragma once
#include <cstdint>
#include <string>

// Leading blanks and tabs, one sign, "$" hex or "%" binary or decimal digits; stops at the
// first non-digit; wraps modulo 2^64; no digits give 0.
int64_t TextToInt64(const std::wstring& text);
// Decimal digits without leading zeros, "-" for negative values.
std::wstring Int64ToText(int64_t value);
