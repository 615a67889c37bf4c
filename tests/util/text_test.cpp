// Tests of the text operations and the conversions between UTF-16, UTF-8, Latin-1 and ANSI.
#include <gtest/gtest.h>

#include <windows.h>

#include "support/temp_dir.h"
#include "util/text.h"

TEST(ReplaceAll, ReplacesEveryNonOverlappingOccurrence) {
    struct Case {
        const wchar_t* text;
        const wchar_t* find;
        const wchar_t* replacement;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"a.exe.exe", L".exe", L"", L"a"},
        {L"notify.exe", L".exe", L".conf", L"notify.conf"},
        {L"App.EXE", L".exe", L".conf", L"App.EXE"},
        {L"abc", L"", L"x", L"abc"},
        {L"", L"a", L"b", L""},
        {L"aaa", L"aa", L"b", L"ba"},
        {L"aa", L"a", L"aa", L"aaaa"},  // replacements are not rescanned
        {L"xyz", L"xyz", L"", L""},
        {L"abab", L"b", L"\r", L"a\ra\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.text) + " / " + Narrow(c.find));
        EXPECT_EQ(ReplaceAll(c.text, c.find, c.replacement), c.expected);
    }
}

TEST(Substring, ClampsStartAndLength) {
    struct Case {
        const wchar_t* text;
        int64_t start;
        int64_t length;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"abcdef", 1, 3, L"abc"},  {L"abcdef", 3, 2, L"cd"},  {L"abcdef", 0, 2, L"ab"},
        {L"abcdef", -5, 2, L"ab"},  {L"abcdef", 2, -1, L""},   {L"abcdef", 6, 5, L"f"},
        {L"abcdef", 7, 1, L""},     {L"abcdef", 2, 100, L"bcdef"}, {L"", 1, 1, L""},
        {L"abcdef", 1, 5, L"abcde"},  // drop the last character: length len - 1
        {L"abc", 1, INT64_MAX, L"abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.text) + " " + std::to_string(c.start) + " " + std::to_string(c.length));
        EXPECT_EQ(Substring(c.text, c.start, c.length), c.expected);
    }
}

TEST(ReverseText, LastCharacterIdiom) {
    EXPECT_EQ(ReverseText(L"abc"), L"cba");
    EXPECT_EQ(ReverseText(L""), L"");
    EXPECT_EQ(Substring(ReverseText(L"C:\\dir\\"), 1, 1), L"\\");
    EXPECT_EQ(Substring(ReverseText(L""), 1, 1), L"");
}

TEST(UpperCase, UpperCasesUmlautsToo) {
    EXPECT_EQ(UpperCase(L"/local"), L"/LOCAL");
    EXPECT_EQ(UpperCase(L"\u00e4\u00f6\u00fc x1"), L"\u00c4\u00d6\u00dc X1");
    EXPECT_EQ(UpperCase(L""), L"");
}

TEST(ListFieldAndCount, SplitAtWholeSeparators) {
    struct Case {
        const wchar_t* text;
        const wchar_t* separator;
        int32_t count;
        std::vector<std::wstring> fields;  // fields 1..n; index n+1 must be empty too
    };
    const Case cases[] = {
        {L"a, b,,c", L",", 3, {L"a", L" b", L"", L"c"}},
        {L"a,b", L",", 1, {L"a", L"b"}},
        {L"a,b,", L",", 2, {L"a", L"b", L""}},
        {L",a", L",", 1, {L"", L"a"}},
        {L"abc", L",", 0, {L"abc"}},
        {L"a::b:c::", L"::", 2, {L"a", L"b:c", L""}},
        {L"a:::b", L"::", 1, {L"a", L":b"}},
        {L"a,b", L"", 0, {L"a,b"}},
        {L"", L",", 0, {L""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.text) + " sep " + Narrow(c.separator));
        EXPECT_EQ(CountOccurrences(c.text, c.separator), c.count);
        for (size_t i = 0; i < c.fields.size(); ++i) {
            SCOPED_TRACE(i + 1);
            EXPECT_EQ(ListField(c.text, static_cast<int64_t>(i + 1), c.separator), c.fields[i]);
        }
        EXPECT_EQ(ListField(c.text, static_cast<int64_t>(c.fields.size() + 1), c.separator), L"");
        EXPECT_EQ(ListField(c.text, 0, c.separator), L"");
        EXPECT_EQ(ListField(c.text, -1, c.separator), L"");
    }
    EXPECT_EQ(CountOccurrences(L"", L""), 0);
    EXPECT_EQ(CountOccurrences(L"aaa", L"aa"), 1);
}

TEST(TrimBlanks, RemovesOnlyBlanks) {
    EXPECT_EQ(TrimBlanks(L" \tx "), L"\tx");
    EXPECT_EQ(TrimBlanks(L"   "), L"");
    EXPECT_EQ(TrimBlanks(L""), L"");
    EXPECT_EQ(TrimBlanks(L"a b"), L"a b");
    EXPECT_EQ(TrimBlanks(L"x\t "), L"x\t");
}

TEST(Utf8ToWide, DecodesAndReplacesMalformedInput) {
    struct Case {
        std::string bytes;
        std::wstring expected;
        const char* what;
    };
    const Case cases[] = {
        {"abc", L"abc", "ASCII"},
        {"\xC3\xA4", L"\u00e4", "two bytes"},
        {"\xE2\x82\xAC", L"\u20ac", "three bytes"},
        {"\xF0\x9F\x98\x80", std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}, "four bytes give a surrogate pair"},
        {"\xF4\x8F\xBF\xBF", std::wstring{wchar_t(0xDBFF), wchar_t(0xDFFF)}, "U+10FFFF"},
        {"\xEF\xBB\xBF" "a", L"\ufeff" L"a", "byte-order mark is a character"},
        {"\x80", L"\ufffd", "stray continuation"},
        {"\xFF", L"\ufffd", "FF"},
        {"\xC0\xAF", L"\ufffd\ufffd", "overlong two-byte form"},
        {"\xE0\x80\xAF", L"\ufffd\ufffd\ufffd", "overlong three-byte form"},
        {"\xED\xA0\x80", L"\ufffd\ufffd\ufffd", "encoded surrogate"},
        {"\xF4\x90\x80\x80", L"\ufffd\ufffd\ufffd\ufffd", "above U+10FFFF"},
        {"\xE4\r\n", L"\ufffd\r\n", "cut three-byte start before CR LF"},
        {"\xE2\x82", L"\ufffd", "cut at the end"},
        {"\xF0\x9F\x98" "a", L"\ufffd" L"a", "cut four-byte form, then ASCII"},
        {"a\xC3", L"a\ufffd", "cut two-byte form"},
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3), "NUL is a character here"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Utf8ToWide(c.bytes), c.expected);
    }
}

TEST(WideToUtf8, EncodesAndRoundTrips) {
    const std::wstring text = std::wstring(L"a\u00e4\u20ac") + wchar_t(0xD83D) + wchar_t(0xDE00);
    EXPECT_EQ(WideToUtf8(text), "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
    EXPECT_EQ(WideToUtf8(std::wstring{wchar_t(0xD83D), L'x'}), "\xEF\xBF\xBDx");
    EXPECT_EQ(WideToUtf8(std::wstring{wchar_t(0xDE00)}), "\xEF\xBF\xBD");
    EXPECT_EQ(WideToUtf8(L""), "");
}

TEST(Latin1ToUtf8, WidensHighBytes) {
    EXPECT_EQ(Latin1ToUtf8("Gr\xFC\xDF" "e"), "Gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_EQ(Latin1ToUtf8("\x80\xFF"), "\xC2\x80\xC3\xBF");
    EXPECT_EQ(Latin1ToUtf8("plain"), "plain");
}

TEST(WideToAnsi, UsesTheActiveCodePage) {
    EXPECT_EQ(WideToAnsi(L"plain\r\n"), "plain\r\n");
    EXPECT_EQ(WideToAnsi(L""), "");
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP();
    EXPECT_EQ(WideToAnsi(L"Ung\u00fcltiges \u00dcberwachung \u20ac"), "Ung\xFCltiges \xDC" "berwachung \x80");
    EXPECT_EQ(WideToAnsi(L"\u4e2d"), "?");
}
