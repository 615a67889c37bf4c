// Text surgery on UTF-16 texts and the portable conversions between UTF-16, UTF-8 and Latin-1.
// The UTF-8 codec is our own so every platform decodes alike; wstring elements are always
// UTF-16 code units, even where wchar_t is 32 bits wide.
#include "util/text.h"

#include <algorithm>

std::wstring ReplaceAll(const std::wstring& text, const std::wstring& find, const std::wstring& replacement) {
    if (find.empty()) return text;
    std::wstring out;
    out.reserve(text.size());
    size_t pos = 0;
    for (;;) {
        const size_t hit = text.find(find, pos);
        if (hit == std::wstring::npos) break;
        out.append(text, pos, hit - pos);
        out += replacement;
        pos = hit + find.size();
    }
    out.append(text, pos, std::wstring::npos);
    return out;
}

std::wstring Substring(const std::wstring& text, int64_t start, int64_t length) {
    if (start < 1) start = 1;
    if (length < 0) length = 0;
    const int64_t size = static_cast<int64_t>(text.size());
    if (start > size) return std::wstring();
    const int64_t available = size - start + 1;
    return text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(std::min(length, available)));
}

std::wstring ReverseText(const std::wstring& text) { return std::wstring(text.rbegin(), text.rend()); }

int32_t CountOccurrences(const std::wstring& text, const std::wstring& separator) {
    if (text.empty() || separator.empty()) return 0;
    int32_t count = 0;
    for (size_t pos = text.find(separator); pos != std::wstring::npos; pos = text.find(separator, pos + separator.size()))
        ++count;
    return count;
}

std::wstring ListField(const std::wstring& text, int64_t index, const std::wstring& separator) {
    if (index < 1) return std::wstring();
    if (separator.empty()) return index == 1 ? text : std::wstring();
    size_t begin = 0;
    for (int64_t field = 1;; ++field) {
        const size_t end = text.find(separator, begin);
        if (field == index) return text.substr(begin, end == std::wstring::npos ? std::wstring::npos : end - begin);
        if (end == std::wstring::npos) return std::wstring();
        begin = end + separator.size();
    }
}

std::wstring TrimBlanks(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return std::wstring();
    const size_t last = text.find_last_not_of(L' ');
    return text.substr(first, last - first + 1);
}

namespace {
constexpr uint32_t kReplacement = 0xFFFD;

void AppendUtf16(std::wstring& out, uint32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<wchar_t>(cp);
    }
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
}  // namespace

// Malformed input gives one U+FFFD per maximal invalid subpart: a byte that cannot start a
// sequence (80-BF, C0, C1, F5-FF) is one U+FFFD; a valid start followed by too few fitting
// continuation bytes gives one U+FFFD for what was taken, and decoding resumes at the byte
// that did not fit. Overlong forms, surrogates and values above U+10FFFF never get past the
// second-byte check.
std::wstring Utf8ToWide(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<wchar_t>(b);
            ++i;
            continue;
        }
        int need;
        uint32_t cp;
        unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            cp = b & 0x0F;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            cp = b & 0x07;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            AppendUtf16(out, kReplacement);
            ++i;
            continue;
        }
        ++i;
        bool complete = true;
        for (int k = 0; k < need; ++k) {
            if (i >= n) {
                complete = false;
                break;
            }
            const unsigned char c = static_cast<unsigned char>(bytes[i]);
            const unsigned char min = k == 0 ? lo : 0x80;
            const unsigned char max = k == 0 ? hi : 0xBF;
            if (c < min || c > max) {
                complete = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
            ++i;
        }
        AppendUtf16(out, complete ? cp : kReplacement);
    }
    return out;
}

std::string WideToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        uint32_t unit = static_cast<uint32_t>(text[i]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < n) {
            const uint32_t next = static_cast<uint32_t>(text[i + 1]);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        // Lone surrogates and (where wchar_t is wider) values beyond Unicode.
        if ((unit >= 0xD800 && unit <= 0xDFFF) || unit > 0x10FFFF) unit = kReplacement;
        AppendUtf8(out, unit);
    }
    return out;
}

std::string Latin1ToUtf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) AppendUtf8(out, static_cast<unsigned char>(ch));
    return out;
}
