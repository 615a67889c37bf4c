// What every fuzz target shares: a check that stops the run with a readable message, and the
// UTF-16 texts the targets build from the fuzzer's bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A failed property is a finding: print what differed and abort, so libFuzzer keeps the input.
#define FUZZ_CHECK(cond, ...)                                                     \
    do {                                                                          \
        if (!(cond)) {                                                            \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #cond, __FILE__, \
                         __LINE__);                                               \
            std::fprintf(stderr, __VA_ARGS__);                                    \
            std::fprintf(stderr, "\n");                                           \
            std::abort();                                                         \
        }                                                                         \
    } while (0)

namespace fuzz {

// UTF-16 code units from bytes: a byte below F0 is that code unit, so short ASCII inputs stay
// cheap to find; F0-FF take the next two bytes as one code unit (high byte first), which
// reaches every 16-bit value, surrogates included. wchar_t may be 32 bits wide here, but the
// core keeps UTF-16 code units in it everywhere, so no unit above FFFF is ever built.
inline std::wstring Utf16FromBytes(const uint8_t* data, size_t size) {
    std::wstring out;
    size_t i = 0;
    while (i < size) {
        const uint8_t b = data[i++];
        if (b < 0xF0) {
            out += static_cast<wchar_t>(b);
        } else if (i + 2 <= size) {
            out += static_cast<wchar_t>((data[i] << 8) | data[i + 1]);
            i += 2;
        } else {
            out += static_cast<wchar_t>(b);
            i = size;
        }
    }
    return out;
}

// The code units as hex, for messages.
inline std::string HexUnits(const std::wstring& text) {
    std::string out;
    char buf[16];
    for (wchar_t c : text) {
        std::snprintf(buf, sizeof buf, "%04X ", static_cast<unsigned>(c));
        out += buf;
    }
    return out;
}

inline std::string HexBytes(const std::string& bytes) {
    std::string out;
    char buf[8];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    return out;
}

}  // namespace fuzz
