// The text helpers: UTF-8 and UTF-16 conversions by their round trips and a plain validator,
// and the text surgery (ReplaceAll, Substring, CountOccurrences, ListField, TrimBlanks,
// ReverseText) against plain second readings.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "util/text.h"

namespace {

// Well-formed UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool ValidUtf8(const std::string& s, size_t* characters, size_t* beyondBmp) {
    size_t i = 0, chars = 0, wide = 0;
    while (i < s.size()) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        size_t n;
        uint32_t cp, min;
        if (b < 0x80) { n = 1; cp = b; min = 0; }
        else if ((b & 0xE0) == 0xC0) { n = 2; cp = b & 0x1F; min = 0x80; }
        else if ((b & 0xF0) == 0xE0) { n = 3; cp = b & 0x0F; min = 0x800; }
        else if ((b & 0xF8) == 0xF0) { n = 4; cp = b & 0x07; min = 0x10000; }
        else return false;
        if (i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k) {
            const unsigned char c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        chars += 1;
        wide += cp >= 0x10000;
        i += n;
    }
    if (characters) *characters = chars;
    if (beyondBmp) *beyondBmp = wide;
    return true;
}

bool IsHigh(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Well-formed UTF-16: 16-bit units, every surrogate in a high-low pair.
bool ValidUtf16(const std::wstring& w) {
    for (size_t i = 0; i < w.size(); ++i) {
        const uint32_t u = static_cast<uint32_t>(w[i]);
        if (u > 0xFFFF || IsLow(u)) return false;
        if (IsHigh(u)) {
            if (i + 1 >= w.size() || !IsLow(static_cast<uint32_t>(w[i + 1]))) return false;
            ++i;
        }
    }
    return true;
}

// The text with each lone surrogate replaced by U+FFFD.
std::wstring MendSurrogates(const std::wstring& w) {
    std::wstring out;
    for (size_t i = 0; i < w.size(); ++i) {
        const uint32_t u = static_cast<uint32_t>(w[i]);
        if (IsHigh(u) && i + 1 < w.size() && IsLow(static_cast<uint32_t>(w[i + 1]))) {
            out += w[i];
            out += w[i + 1];
            ++i;
        } else if (IsHigh(u) || IsLow(u)) {
            out += static_cast<wchar_t>(0xFFFD);
        } else {
            out += w[i];
        }
    }
    return out;
}

bool MatchesAt(const std::wstring& text, size_t at, const std::wstring& find) {
    if (at + find.size() > text.size()) return false;
    for (size_t k = 0; k < find.size(); ++k)
        if (text[at + k] != find[k]) return false;
    return true;
}

std::wstring RefReplaceAll(const std::wstring& text, const std::wstring& find, const std::wstring& repl) {
    if (find.empty()) return text;
    std::wstring out;
    size_t i = 0;
    while (i < text.size()) {
        if (MatchesAt(text, i, find)) {
            out += repl;
            i += find.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

// The fields between separators; an empty separator leaves the whole text as one field.
std::vector<std::wstring> RefFields(const std::wstring& text, const std::wstring& sep) {
    std::vector<std::wstring> fields(1);
    size_t i = 0;
    while (i < text.size()) {
        if (!sep.empty() && MatchesAt(text, i, sep)) {
            fields.emplace_back();
            i += sep.size();
        } else {
            fields.back() += text[i++];
        }
    }
    return fields;
}

std::wstring RefSubstring(const std::wstring& text, int64_t start, int64_t length) {
    if (start < 1) start = 1;
    if (length < 0) length = 0;
    std::wstring out;
    for (int64_t k = 0; k < length; ++k) {
        const uint64_t pos = static_cast<uint64_t>(start) - 1 + static_cast<uint64_t>(k);
        if (pos >= text.size()) break;
        out += text[pos];
    }
    return out;
}

std::wstring Wide(const std::string& bytes) {
    return fuzz::Utf16FromBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string all(reinterpret_cast<const char*>(data), size);

    // UTF-8 to UTF-16: always well-formed UTF-16; exact for well-formed input, with U+FFFD
    // showing up exactly when the input was malformed or held U+FFFD itself.
    {
        const std::wstring w = Utf8ToWide(all);
        FUZZ_CHECK(ValidUtf16(w), "Utf8ToWide(%s) = %s", fuzz::HexBytes(all).c_str(), fuzz::HexUnits(w).c_str());
        size_t chars = 0, beyond = 0;
        const bool valid = ValidUtf8(all, &chars, &beyond);
        const bool hasReplacement = w.find(static_cast<wchar_t>(0xFFFD)) != std::wstring::npos;
        if (valid) {
            FUZZ_CHECK(w.size() == chars + beyond, "%zu characters (%zu beyond U+FFFF) gave %zu units", chars, beyond,
                       w.size());
            FUZZ_CHECK(WideToUtf8(w) == all, "well-formed %s does not round-trip", fuzz::HexBytes(all).c_str());
            FUZZ_CHECK(hasReplacement == (all.find("\xEF\xBF\xBD") != std::string::npos), "U+FFFD in %s",
                       fuzz::HexBytes(all).c_str());
        } else {
            FUZZ_CHECK(hasReplacement, "malformed %s decoded without U+FFFD: %s", fuzz::HexBytes(all).c_str(),
                       fuzz::HexUnits(w).c_str());
        }
        FUZZ_CHECK(w.size() <= all.size(), "%zu bytes gave %zu units", all.size(), w.size());
    }

    // UTF-16 to UTF-8: always well-formed, and reads back with lone surrogates as U+FFFD.
    {
        const std::wstring w = Wide(all);
        const std::string u = WideToUtf8(w);
        FUZZ_CHECK(ValidUtf8(u, nullptr, nullptr), "WideToUtf8(%s) = %s", fuzz::HexUnits(w).c_str(),
                   fuzz::HexBytes(u).c_str());
        const std::wstring back = Utf8ToWide(u);
        FUZZ_CHECK(back == MendSurrogates(w), "%s came back as %s", fuzz::HexUnits(w).c_str(),
                   fuzz::HexUnits(back).c_str());
    }

    // Latin-1: each byte becomes the character of that number.
    {
        const std::string u = Latin1ToUtf8(all);
        FUZZ_CHECK(ValidUtf8(u, nullptr, nullptr), "Latin1ToUtf8(%s) = %s", fuzz::HexBytes(all).c_str(),
                   fuzz::HexBytes(u).c_str());
        const std::wstring w = Utf8ToWide(u);
        bool same = w.size() == all.size();
        for (size_t i = 0; same && i < all.size(); ++i) same = static_cast<uint32_t>(w[i]) == static_cast<unsigned char>(all[i]);
        FUZZ_CHECK(same, "Latin-1 %s read back as %s", fuzz::HexBytes(all).c_str(), fuzz::HexUnits(w).c_str());
    }

    // Text surgery on a text, a short find/separator and a short replacement.
    FuzzedDataProvider in(data, size);
    const std::wstring find = Wide(in.ConsumeRandomLengthString(6));
    const std::wstring repl = Wide(in.ConsumeRandomLengthString(6));
    const int64_t start = in.ConsumeBool() ? in.ConsumeIntegral<int64_t>() : in.ConsumeIntegralInRange<int64_t>(-2, 40);
    const int64_t length = in.ConsumeBool() ? in.ConsumeIntegral<int64_t>() : in.ConsumeIntegralInRange<int64_t>(-2, 40);
    const std::wstring text = Wide(in.ConsumeRemainingBytesAsString());

    const std::wstring replaced = ReplaceAll(text, find, repl);
    FUZZ_CHECK(replaced == RefReplaceAll(text, find, repl), "ReplaceAll(%s, %s, %s) = %s", fuzz::HexUnits(text).c_str(),
               fuzz::HexUnits(find).c_str(), fuzz::HexUnits(repl).c_str(), fuzz::HexUnits(replaced).c_str());

    const std::wstring sub = Substring(text, start, length);
    FUZZ_CHECK(sub == RefSubstring(text, start, length), "Substring(%s, %lld, %lld) = %s", fuzz::HexUnits(text).c_str(),
               static_cast<long long>(start), static_cast<long long>(length), fuzz::HexUnits(sub).c_str());

    const std::vector<std::wstring> fields = RefFields(text, find);
    const int32_t count = CountOccurrences(text, find);
    const int32_t wantCount = (text.empty() || find.empty()) ? 0 : static_cast<int32_t>(fields.size() - 1);
    FUZZ_CHECK(count == wantCount, "CountOccurrences(%s, %s) = %d, expected %d", fuzz::HexUnits(text).c_str(),
               fuzz::HexUnits(find).c_str(), count, wantCount);
    for (int64_t index : {start, static_cast<int64_t>(0), static_cast<int64_t>(1), static_cast<int64_t>(fields.size()),
                          static_cast<int64_t>(fields.size()) + 1}) {
        const std::wstring got = ListField(text, index, find);
        const std::wstring want = (index >= 1 && static_cast<uint64_t>(index) <= fields.size()) ? fields[index - 1] : L"";
        FUZZ_CHECK(got == want, "ListField(%s, %lld, %s) = %s, expected %s", fuzz::HexUnits(text).c_str(),
                   static_cast<long long>(index), fuzz::HexUnits(find).c_str(), fuzz::HexUnits(got).c_str(),
                   fuzz::HexUnits(want).c_str());
    }

    size_t b = 0, e = text.size();
    while (b < e && text[b] == L' ') ++b;
    while (e > b && text[e - 1] == L' ') --e;
    FUZZ_CHECK(TrimBlanks(text) == text.substr(b, e - b), "TrimBlanks(%s)", fuzz::HexUnits(text).c_str());

    const std::wstring reversed = ReverseText(text);
    FUZZ_CHECK(std::wstring(reversed.rbegin(), reversed.rend()) == text, "ReverseText(%s) = %s",
               fuzz::HexUnits(text).c_str(), fuzz::HexUnits(reversed).c_str());
    return 0;
}
