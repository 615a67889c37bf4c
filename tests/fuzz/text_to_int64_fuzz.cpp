// TextToInt64 over arbitrary UTF-16 texts, against the plain reading in reference_number.h;
// Int64ToText of the result must read back to the same number.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "reference_number.h"
#include "util/number.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = fuzz::Utf16FromBytes(data, size);
    const int64_t got = TextToInt64(text);
    const int64_t want = fuzz::ReferenceTextToInt64(text);
    FUZZ_CHECK(got == want, "text %s: TextToInt64 %lld, reference %lld", fuzz::HexUnits(text).c_str(),
               static_cast<long long>(got), static_cast<long long>(want));

    // Every value's decimal form reads back to the value, the smallest one included.
    const std::wstring decimal = Int64ToText(got);
    FUZZ_CHECK(TextToInt64(decimal) == got, "Int64ToText(%lld) = %s does not read back",
               static_cast<long long>(got), fuzz::HexUnits(decimal).c_str());
    FUZZ_CHECK(decimal == std::to_wstring(static_cast<long long>(got)), "Int64ToText(%lld) = %s",
               static_cast<long long>(got), fuzz::HexUnits(decimal).c_str());
    return 0;
}
