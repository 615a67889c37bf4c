// The message key of a file name, the splitting of a message file's bytes into lines, and
// the message text built from them. Free of platform calls.
#include "watch/message_file.h"

#include "util/number.h"
#include "util/text.h"

MessageKey MessageKeyOf(const std::wstring& fileName) {
    std::wstring digits = ReplaceAll(fileName, L"_", L"");
    digits = ReplaceAll(digits, L".msg", L"");
    return TextToInt64(digits);
}

namespace {
// Further bytes announced by a UTF-8 lead byte; -1 for a byte that cannot start a sequence.
int FollowingBytes(unsigned char lead) {
    if (lead < 0x80) return 0;
    if ((lead & 0xE0) == 0xC0) return 1;
    if ((lead & 0xF0) == 0xE0) return 2;
    if ((lead & 0xF8) == 0xF0) return 3;
    return -1;
}
}  // namespace

std::vector<std::wstring> SplitMessageLines(const std::string& bytes) {
    std::vector<std::wstring> lines;
    const std::size_t size = bytes.size();
    std::size_t pos = 0;
    // Every byte left at the start of a line begins a line, even if it turns out empty.
    while (pos < size) {
        std::string line;
        while (pos < size) {
            const unsigned char b = static_cast<unsigned char>(bytes[pos]);
            const int more = FollowingBytes(b);
            if (more == 0) {
                ++pos;
                if (b == '\r') {
                    if (pos < size && bytes[pos] == '\n') ++pos;
                    break;
                }
                if (b == '\n' || b == '\0') break;
                line.push_back(static_cast<char>(b));
            } else if (more < 0) {
                ++pos;
                line.push_back('?');
            } else if (pos + more >= size) {
                // A sequence cut short by the end of the data is dropped.
                pos = size;
            } else {
                // The announced bytes belong to the sequence whatever they are, CR and LF too.
                line.append(bytes, pos, static_cast<std::size_t>(more) + 1);
                pos += static_cast<std::size_t>(more) + 1;
            }
        }
        lines.push_back(Utf8ToWide(line));
    }
    return lines;
}

std::wstring MessageText(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const std::wstring& line : lines) {
        text += line;
        text += L'\r';
    }
    return text;
}

std::wstring MessageFileName(DateValue when) {
    return FormatDateMask(L"%yyyy%mm%dd", when) + L"_" + FormatDateMask(L"%hh%ii%ss", when) + L".msg";
}
