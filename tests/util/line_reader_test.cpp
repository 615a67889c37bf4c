// Tests of the line rules, run over memory and over real files read through TextFile.
#include <gtest/gtest.h>

#include <vector>

#include "support/temp_dir.h"
#include "util/line_reader.h"
#include "util/text_file.h"

namespace {
struct LineCase {
    const char* what;
    std::string bytes;
    std::vector<std::wstring> lines;
};

std::string Repeat(char c, size_t n) { return std::string(n, c); }
std::wstring WRepeat(wchar_t c, size_t n) { return std::wstring(n, c); }

const std::vector<LineCase>& LineCases() {
    static const std::vector<LineCase> cases = {
        {"empty file", "", {}},
        {"CR LF between lines", "ab\r\nc", {L"ab", L"c"}},
        {"CR LF at the end", "ab\r\n", {L"ab"}},
        {"LF", "a\nb\n", {L"a", L"b"}},
        {"CR", "a\rb", {L"a", L"b"}},
        {"CR CR LF", "x\r\r\ny", {L"x", L"", L"y"}},
        {"LF CR is two ends", "x\n\ry", {L"x", L"", L"y"}},
        {"lone CR at the end", "x\r", {L"x"}},
        {"empty lines", "\r\n\r\n", {L"", L""}},
        {"NUL ends a line", std::string("a\0b", 3), {L"a", L"b"}},
        {"two-byte character", "\xC3\xA4x", {L"\u00e4x"}},
        {"four-byte character", "\xF0\x9F\x98\x80", {std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}}},
        {"byte-order mark is a character", "\xEF\xBB\xBFhi\r\n", {L"\ufeffhi"}},
        {"stray continuation byte", "a\x80" "b", {L"a?b"}},
        {"11111xxx bytes", "\xF8\xFF", {L"??"}},
        {"cut two-byte character at the end", "ab\xC3", {L"ab"}},
        {"cut three-byte character at the end", "ab\r\ncd\xE2\x82", {L"ab", L"cd"}},
        {"cut four-byte character alone", "\xF0\x9F", {L""}},
        {"E4 takes CR LF", "\xE4\r\nnext\r\nlast", {L"\ufffd\r\nnext", L"last"}},
        {"two-byte start takes LF", "\xC3\nx", {L"\ufffd\nx"}},
        {"two-byte start takes NUL", std::string("\xC3\0x\n", 4), {std::wstring(L"\ufffd\0x", 3)}},
        {"line longer than the buffer", Repeat('a', 5000) + "\r\nb", {WRepeat(L'a', 5000), L"b"}},
        {"CR LF split by the buffer", Repeat('a', 4095) + "\r\nb", {WRepeat(L'a', 4095), L"b"}},
        {"character split by the buffer", Repeat('a', 4095) + "\xC3\xA4\n", {WRepeat(L'a', 4095) + L"\u00e4"}},
        {"lone CR at a buffer end", Repeat('a', 4095) + "\r", {WRepeat(L'a', 4095)}},
        {"many buffers", Repeat('x', 9000) + "\n" + Repeat('y', 9000), {WRepeat(L'x', 9000), WRepeat(L'y', 9000)}},
    };
    return cases;
}
}  // namespace

TEST(LineReader, CutsLinesFromMemory) {
    for (const LineCase& c : LineCases()) {
        SCOPED_TRACE(c.what);
        MemoryByteSource source(c.bytes);
        std::vector<std::wstring> lines;
        while (!source.AtEnd() && lines.size() < 10) lines.push_back(ReadTextLine(source));
        EXPECT_EQ(lines, c.lines);
    }
}

TEST(LineReader, CutsLinesFromFiles) {
    TempDir dir;
    const std::wstring path = dir / L"lines.msg";
    for (const LineCase& c : LineCases()) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteFileBytes(path, c.bytes));
        TextFilePtr file = OpenRead(path);
        ASSERT_TRUE(file);
        std::vector<std::wstring> lines;
        while (!AtEnd(*file) && lines.size() < 10) lines.push_back(ReadLine(*file));
        EXPECT_EQ(lines, c.lines);
        EXPECT_TRUE(AtEnd(*file));
        EXPECT_EQ(ReadLine(*file), L"");
        EXPECT_TRUE(CloseText(file));
    }
}
