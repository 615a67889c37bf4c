// A plain second reading of how a message file or text file splits into lines: the bytes of
// each line (before decoding), and how many bytes each line took from the input.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace fuzz {

struct RefLine {
    std::string bytes;    // the line's bytes without its line end
    size_t consumed = 0;  // input bytes this line used up, its line end included
};

inline std::vector<RefLine> ReferenceLines(const std::string& in) {
    std::vector<RefLine> lines;
    size_t pos = 0;
    while (pos < in.size()) {
        RefLine line;
        const size_t begin = pos;
        bool ended = false;
        while (!ended && pos < in.size()) {
            const unsigned char b = static_cast<unsigned char>(in[pos]);
            size_t seq = 0;  // length of a multi-byte sequence, 0 for a single byte
            if (b >= 0xC0 && b <= 0xDF) seq = 2;
            if (b >= 0xE0 && b <= 0xEF) seq = 3;
            if (b >= 0xF0 && b <= 0xF7) seq = 4;
            if (b < 0x80) {
                pos += 1;
                if (b == '\r') {
                    if (pos < in.size() && in[pos] == '\n') pos += 1;
                    ended = true;
                } else if (b == '\n' || b == 0) {
                    ended = true;
                } else {
                    line.bytes += static_cast<char>(b);
                }
            } else if (seq == 0) {
                // A continuation byte or F8-FF where a character should start.
                line.bytes += '?';
                pos += 1;
            } else if (pos + seq > in.size()) {
                // Cut off by the end: dropped, and the line ends with the input.
                pos = in.size();
            } else {
                line.bytes += in.substr(pos, seq);
                pos += seq;
            }
        }
        line.consumed = pos - begin;
        lines.push_back(line);
    }
    return lines;
}

}  // namespace fuzz
