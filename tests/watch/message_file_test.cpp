// Message files: the key of a name, reading a file's bytes into lines, the bounded read,
// and writing new messages without ever replacing one.
#include <windows.h>

#include "util/date.h"
#include "watch/message_file.h"
#include "watch_env.h"

namespace {
TEST(MessageKeyOf, NameToKey) {
    struct Case {
        const wchar_t* name;
        MessageKey key;
    } cases[] = {
        {L"20180911_153000.msg", 20180911153000},
        {L"20180911_153000.MSG", 20180911153000},      // upper-case extension stays, digits stop at "."
        {L"20180911_153000_rb.msg", 20180911153000},   // letters after the time do not count
        {L"20180911_153000_2.msg", 201809111530002},   // digits after another "_" join the key
        {L"Hinweis.msg", 0},
        {L"2018_0911_1530_00.msg", 20180911153000},    // every "_" goes, not only the ninth character
        {L"20180911_153000.msg.msg", 20180911153000},  // every ".msg" goes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        EXPECT_EQ(MessageKeyOf(c.name), c.key);
    }
    EXPECT_GT(MessageKeyOf(L"20180911_153000_2.msg"), MessageKeyOf(L"29991231_235959.msg"));
}

class MessageFileRead : public WatchEnv {};

TEST_F(MessageFileRead, BytesToLinesAndText) {
    struct Case {
        const char* label;
        std::string bytes;
        std::vector<std::wstring> lines;
        std::wstring text;
    } cases[] = {
        {"no line end", "Hallo", {L"Hallo"}, L"Hallo\r"},
        {"CR LF", "Hallo\r\n", {L"Hallo"}, L"Hallo\r"},
        {"two line ends", "Hallo\r\n\r\n", {L"Hallo", L""}, L"Hallo\r\r"},
        {"LF then CR", "a\n\rb", {L"a", L"", L"b"}, L"a\r\rb\r"},
        {"lone CR at the end", "a\r", {L"a"}, L"a\r"},
        {"empty file", "", {}, L""},
        {"two lines", "Hallo\r\nWelt\r\n", {L"Hallo", L"Welt"}, L"Hallo\rWelt\r"},
        {"UTF-8 umlauts", "Gr\xC3\xBC\xC3\x9F" "e", {L"Gr\u00fc\u00dfe"}, L"Gr\u00fc\u00dfe\r"},
        {"stray continuation byte", "a\x80" "b", {L"a?b"}, L"a?b\r"},
        {"NUL ends a line", std::string("a\0b", 3), {L"a", L"b"}, L"a\rb\r"},
        {"byte-order mark kept", "\xEF\xBB\xBFHi", {L"\uFEFFHi"}, L"\uFEFFHi\r"},
        {"sequence cut by the end", "ab\xE4", {L"ab"}, L"ab\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Put(L"m.msg", c.bytes);
        const auto lines = ReadMessageFile(root / L"m.msg");
        ASSERT_TRUE(lines.has_value());
        EXPECT_EQ(*lines, c.lines);
        EXPECT_EQ(MessageText(*lines), c.text);
    }
}

TEST_F(MessageFileRead, SingleByteUmlautSwallowsTheLineEnd) {
    // E4 announces two more bytes, so CR LF belong to it and the next line joins this one.
    Put(L"m.msg", "B\xE4r\r\nx\xE4\r\nnext\r\n");
    const auto lines = ReadMessageFile(root / L"m.msg");
    ASSERT_TRUE(lines.has_value());
    ASSERT_EQ(lines->size(), 2u);
    EXPECT_EQ(lines->at(1).substr(0, 1), L"x");
    EXPECT_EQ(lines->at(1).substr(lines->at(1).size() - 4), L"next");
}

TEST_F(MessageFileRead, FileThatCannotBeOpenedFails) {
    EXPECT_FALSE(ReadMessageFile(root / L"missing.msg").has_value());

    Put(L"locked.msg", "Hallo\r\n");
    const std::wstring path = root / L"locked.msg";
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReadMessageFile(path).has_value());
    CloseHandle(lock);
    EXPECT_TRUE(ReadMessageFile(path).has_value());
}

TEST_F(MessageFileRead, ReaderHoldsTheFileForItself) {
    // The reader shares the file with nobody, so even a reader that shares everything blocks it.
    Put(L"m.msg", "Hallo\r\n");
    const std::wstring path = root / L"m.msg";
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReadMessageFile(path).has_value());
    CloseHandle(reader);
}

TEST_F(MessageFileRead, LargeFilesAreCutAtTheLimit) {
    const std::string row = "0123456789ABCDE\r\n";  // 17 bytes
    std::string big;
    while (big.size() < 1000000) big += row;
    std::string garbage(1 << 20, '\0');
    uint32_t seed = 12345;
    for (char& b : garbage) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<char>(seed >> 23);
    }
    std::string noLineEnd(3 * kMessageReadLimit, '\xE4');

    struct Case {
        const char* label;
        std::string bytes;
        bool cut;
    } cases[] = {
        {"1 MB of short lines", big, true},
        {"1 MB of random bytes", garbage, true},
        {"no line end at all", noLineEnd, true},
        {"exactly the limit", big.substr(0, kMessageReadLimit), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Put(L"big.msg", c.bytes);
        const auto content = ReadMessageFileBounded(root / L"big.msg");
        ASSERT_TRUE(content.has_value());
        EXPECT_EQ(content->cut, c.cut);
        // What was read is exactly what the first kMessageReadLimit bytes give.
        EXPECT_EQ(content->lines, SplitMessageLines(c.bytes.substr(0, kMessageReadLimit)));
    }
    // Short lines: 3855 whole rows of 17 bytes, then the one byte left of the next row.
    Put(L"big.msg", big);
    const auto content = ReadMessageFileBounded(root / L"big.msg");
    ASSERT_TRUE(content.has_value());
    ASSERT_EQ(content->lines.size(), 3856u);
    EXPECT_EQ(content->lines.front(), L"0123456789ABCDE");
    EXPECT_EQ(content->lines.back(), L"0");
}

class MessageFileWrite : public WatchEnv {};

TEST_F(MessageFileWrite, WritesUtf8TextWithCrLf) {
    ASSERT_TRUE(WriteMessageFile(root.path(), L"Kaffee ist fertig\r\nin der K\u00fcche"));
    const std::wstring path = root / L"20180911_153000.msg";
    EXPECT_EQ(ReadFileBytes(path), "Kaffee ist fertig\r\nin der K\xC3\xBC" "che\r\n");
    EXPECT_TRUE(Logged("[LOG]", "Erstelle Adhoc Nachricht:20180911_153000.msg"));
}

TEST_F(MessageFileWrite, SameSecondTakesTheNextFreeName) {
    Put(L"20180911_153001.msg", "schon da\r\n");  // a message of someone else, one second later
    ASSERT_TRUE(WriteMessageFile(root.path(), L"erste"));
    ASSERT_TRUE(WriteMessageFile(root.path(), L"zweite"));
    ASSERT_TRUE(WriteMessageFile(root.path(), L"dritte"));
    EXPECT_EQ(ReadFileBytes(root / L"20180911_153000.msg"), "erste\r\n");
    EXPECT_EQ(ReadFileBytes(root / L"20180911_153001.msg"), "schon da\r\n");
    EXPECT_EQ(ReadFileBytes(root / L"20180911_153002.msg"), "zweite\r\n");
    EXPECT_EQ(ReadFileBytes(root / L"20180911_153003.msg"), "dritte\r\n");
    // The log names the file actually written.
    EXPECT_TRUE(Logged("[LOG]", "Erstelle Adhoc Nachricht:20180911_153002.msg"));
    EXPECT_FALSE(Logged("[LOG]", "Erstelle Adhoc Nachricht:20180911_153001.msg"));
}

TEST_F(MessageFileWrite, GivesUpWithoutReplacingAnything) {
    DateValue t = DateFromCivil({2018, 9, 11, 15, 30, 0});
    for (int i = 0; i < kMessageNameAttempts; ++i) Put(MessageFileName(AddSeconds(t, i)), "alt\r\n");
    EXPECT_FALSE(WriteMessageFile(root.path(), L"neu"));
    for (int i = 0; i < kMessageNameAttempts; ++i)
        EXPECT_EQ(ReadFileBytes(root / MessageFileName(AddSeconds(t, i))), "alt\r\n");
    EXPECT_FALSE(FileExists(root / MessageFileName(AddSeconds(t, kMessageNameAttempts))));
    EXPECT_TRUE(Logged("[ERR]", "Adhoc Nachricht konnte nicht erstellt werden"));
}

TEST_F(MessageFileWrite, MissingDirectoryFails) {
    EXPECT_FALSE(WriteMessageFile(root / L"fehlt\\", L"Hallo"));
    EXPECT_TRUE(Logged("[ERR]", "Adhoc Nachricht konnte nicht erstellt werden"));
    EXPECT_FALSE(Logged("[LOG]", "Erstelle Adhoc Nachricht:"));
}
}  // namespace
