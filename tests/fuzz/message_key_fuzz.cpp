// MessageKeyOf over arbitrary names: every "_" removed, then every ".msg" (one pass, exact
// case), then the number rule, done here without the program's text helpers. And the names
// MessageFileName gives: their keys order as their dates.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "reference_number.h"
#include "util/date.h"
#include "watch/message_file.h"

namespace {
std::wstring WithoutUnderscores(const std::wstring& name) {
    std::wstring out;
    for (wchar_t c : name)
        if (c != L'_') out += c;
    return out;
}

// Left to right; what a removal joins together is not looked at again.
std::wstring WithoutMsg(const std::wstring& text) {
    const std::wstring ext = L".msg";
    std::wstring out;
    size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, ext.size(), ext) == 0) {
            i += ext.size();
        } else {
            out += text[i];
            i += 1;
        }
    }
    return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring name = fuzz::Utf16FromBytes(data, size);
    const MessageKey got = MessageKeyOf(name);
    const MessageKey want = fuzz::ReferenceTextToInt64(WithoutMsg(WithoutUnderscores(name)));
    FUZZ_CHECK(got == want, "name %s: key %lld, reference %lld", fuzz::HexUnits(name).c_str(),
               static_cast<long long>(got), static_cast<long long>(want));

    // Names built for two dates: the key is the 14-digit date and time, so it orders as the dates do.
    if (size >= 8) {
        DateValue d[2];
        for (int k = 0; k < 2; ++k) {
            const uint32_t u = static_cast<uint32_t>(data[4 * k]) | static_cast<uint32_t>(data[4 * k + 1]) << 8 |
                               static_cast<uint32_t>(data[4 * k + 2]) << 16 | static_cast<uint32_t>(data[4 * k + 3]) << 24;
            d[k] = static_cast<DateValue>(u & 0x7FFFFFFF);
        }
        MessageKey key[2];
        for (int k = 0; k < 2; ++k) {
            const std::wstring file = MessageFileName(d[k]);
            key[k] = MessageKeyOf(file);
            const std::wstring stamp = FormatDateMask(L"%yyyy%mm%dd%hh%ii%ss", d[k]);
            FUZZ_CHECK(file == stamp.substr(0, 8) + L"_" + stamp.substr(8) + L".msg", "date %d named %s", d[k],
                       fuzz::HexUnits(file).c_str());
            FUZZ_CHECK(key[k] == fuzz::ReferenceTextToInt64(stamp), "date %d: key %lld", d[k],
                       static_cast<long long>(key[k]));
        }
        FUZZ_CHECK((d[0] < d[1]) == (key[0] < key[1]), "dates %d, %d give keys %lld, %lld", d[0], d[1],
                   static_cast<long long>(key[0]), static_cast<long long>(key[1]));
    }
    return 0;
}
