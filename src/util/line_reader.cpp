// Cutting one text line out of a byte stream.
#include "util/line_reader.h"

#include "util/text.h"

namespace {
// How many bytes the character starting with b has; 0 when b cannot start one.
int SequenceLength(int b) {
    if (b < 0x80) return 1;
    if ((b & 0xE0) == 0xC0) return 2;
    if ((b & 0xF0) == 0xE0) return 3;
    if ((b & 0xF8) == 0xF0) return 4;
    return 0;
}
}  // namespace

std::string ReadLineBytes(ByteSource& source) {
    std::string line;
    for (;;) {
        const int b = source.NextByte();
        if (b < 0 || b == '\n' || b == 0) break;
        if (b == '\r') {
            if (source.PeekByte() == '\n') source.NextByte();
            break;
        }
        const int length = SequenceLength(b);
        if (length == 0) {
            line += '?';
            continue;
        }
        char sequence[4] = {static_cast<char>(b)};
        for (int k = 1; k < length; ++k) {
            const int c = source.NextByte();
            if (c < 0) return line;  // cut off by the end: dropped, and the end ends the line
            sequence[k] = static_cast<char>(c);
        }
        line.append(sequence, static_cast<size_t>(length));
    }
    return line;
}

std::wstring ReadTextLine(ByteSource& source) { return Utf8ToWide(ReadLineBytes(source)); }
