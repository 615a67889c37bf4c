// Tests of writing, positioning and sharing of text files.
#include <gtest/gtest.h>

#include <windows.h>

#include "support/temp_dir.h"
#include "util/text_file.h"

class TextFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::wstring path = dir / L"file.txt";
};

TEST_F(TextFileTest, WriteLineEncodesAndEndsWithCrLf) {
    TextFilePtr file = CreateText(path);
    ASSERT_TRUE(file);
    WriteLine(*file, L"\u00e4b");
    WriteLine(*file, L"");
    WriteLine(*file, L"x\ry", TextEncoding::Ansi);
    WriteLine(*file, std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}, TextEncoding::Utf8);
    ASSERT_TRUE(CloseText(file));
    EXPECT_FALSE(file);
    EXPECT_EQ(ReadFileBytes(path), "\xC3\xA4" "b\r\n\r\nx\ry\r\n\xF0\x9F\x98\x80\r\n");
}

TEST_F(TextFileTest, WriteLineInAnsiUsesOneBytePerUmlaut) {
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP();
    TextFilePtr file = CreateText(path);
    ASSERT_TRUE(file);
    WriteLine(*file, L"\u00fc\u00c4\u4e2d", TextEncoding::Ansi);
    ASSERT_TRUE(CloseText(file));
    EXPECT_EQ(ReadFileBytes(path), "\xFC\xC4?\r\n");
}

TEST_F(TextFileTest, LongWritesCrossTheBuffer) {
    const std::wstring longLine(10000, L'\u00e4');  // two bytes each in UTF-8
    TextFilePtr file = CreateText(path);
    ASSERT_TRUE(file);
    WriteLine(*file, longLine);
    WriteLine(*file, L"end");
    ASSERT_TRUE(CloseText(file));
    std::string expected;
    for (int i = 0; i < 10000; ++i) expected += "\xC3\xA4";
    expected += "\r\nend\r\n";
    EXPECT_EQ(ReadFileBytes(path), expected);
}

TEST_F(TextFileTest, LengthAndSeekSeePendingWrites) {
    TextFilePtr file = CreateText(path);
    ASSERT_TRUE(file);
    WriteLine(*file, L"hello");
    EXPECT_EQ(FileLength(*file), 7);
    SeekTo(*file, 0);
    WriteLine(*file, L"J");
    SeekTo(*file, 0);
    EXPECT_EQ(ReadLine(*file), L"J");
    EXPECT_EQ(ReadLine(*file), L"lo");
    EXPECT_TRUE(AtEnd(*file));
    SeekTo(*file, FileLength(*file));
    WriteLine(*file, L"tail");
    ASSERT_TRUE(CloseText(file));
    EXPECT_EQ(ReadFileBytes(path), "J\r\nlo\r\ntail\r\n");
}

TEST_F(TextFileTest, WriteAfterReadGoesWhereTheReaderStands) {
    ASSERT_TRUE(WriteFileBytes(path, "l1\r\nl2\r\nl3\r\n"));
    TextFilePtr file = OpenShared(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(ReadLine(*file), L"l1");
    WriteLine(*file, L"XX");
    EXPECT_EQ(ReadLine(*file), L"l3");
    ASSERT_TRUE(CloseText(file));
    EXPECT_EQ(ReadFileBytes(path), "l1\r\nXX\r\nl3\r\n");
}

TEST_F(TextFileTest, OpenSharedCreatesAndStartsAtTheBeginning) {
    TextFilePtr file = OpenShared(path);
    ASSERT_TRUE(file);
    EXPECT_TRUE(AtEnd(*file));
    EXPECT_EQ(FileLength(*file), 0);
    ASSERT_TRUE(CloseText(file));
    EXPECT_TRUE(FileExists(path));

    ASSERT_TRUE(WriteFileBytes(path, "old\r\n"));
    file = OpenShared(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(ReadLine(*file), L"old");
    ASSERT_TRUE(CloseText(file));
}

TEST_F(TextFileTest, OpenReadNeedsAnExistingFile) {
    EXPECT_FALSE(OpenRead(path));
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(OpenRead(dir / L"missing\\file.txt"));
}

TEST_F(TextFileTest, CreateTextEmptiesExistingFiles) {
    struct Case {
        const char* what;
        DWORD attributes;
    };
    // A hidden file cannot be re-created with plain attributes, so it is emptied in place.
    const Case cases[] = {{"plain file", FILE_ATTRIBUTE_NORMAL}, {"hidden file", FILE_ATTRIBUTE_HIDDEN}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteFileBytes(path, "previous content\r\n"));
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), c.attributes));
        TextFilePtr file = CreateText(path);
        ASSERT_TRUE(file);
        WriteLine(*file, L"new");
        EXPECT_TRUE(CloseText(file));
        EXPECT_EQ(ReadFileBytes(path), "new\r\n");
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(TextFileTest, CloseTextReportsWritesThatDidNotReachTheFile) {
    ASSERT_TRUE(WriteFileBytes(path, "keep\r\n"));
    TextFilePtr file = OpenRead(path);
    ASSERT_TRUE(file);
    WriteLine(*file, L"lost");
    EXPECT_FALSE(CloseText(file));
    EXPECT_EQ(ReadFileBytes(path), "keep\r\n");
    TextFilePtr none;
    EXPECT_FALSE(CloseText(none));
}

TEST_F(TextFileTest, DroppedFileStillWritesItsBuffer) {
    {
        TextFilePtr file = CreateText(path);
        ASSERT_TRUE(file);
        WriteLine(*file, L"kept");
    }
    EXPECT_EQ(ReadFileBytes(path), "kept\r\n");
}

namespace {
enum class Opener { Read, Create, Shared, ForeignReader };

bool TryOpen(Opener how, const std::wstring& path) {
    switch (how) {
        case Opener::Read: {
            TextFilePtr f = OpenRead(path);
            return f != nullptr;
        }
        case Opener::Create: {
            TextFilePtr f = CreateText(path);
            return f != nullptr;
        }
        case Opener::Shared: {
            TextFilePtr f = OpenShared(path);
            return f != nullptr;
        }
        case Opener::ForeignReader: {
            // Another program that only reads and lets everybody else do anything.
            HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h == INVALID_HANDLE_VALUE) return false;
            CloseHandle(h);
            return true;
        }
    }
    return false;
}

TextFilePtr OpenFirst(Opener how, const std::wstring& path) {
    switch (how) {
        case Opener::Read: return OpenRead(path);
        case Opener::Create: return CreateText(path);
        case Opener::Shared: return OpenShared(path);
        default: return nullptr;
    }
}
}  // namespace

TEST_F(TextFileTest, OpensExcludeEachOther) {
    struct Case {
        const char* what;
        Opener first, second;
        bool secondOpens;
    };
    const Case cases[] = {
        {"read, then read", Opener::Read, Opener::Read, false},
        {"read, then create", Opener::Read, Opener::Create, false},
        {"read, then shared", Opener::Read, Opener::Shared, false},
        {"read, then foreign reader", Opener::Read, Opener::ForeignReader, false},
        {"create, then read", Opener::Create, Opener::Read, false},
        {"create, then create", Opener::Create, Opener::Create, false},
        {"create, then shared", Opener::Create, Opener::Shared, false},
        {"create, then foreign reader", Opener::Create, Opener::ForeignReader, false},
        {"shared, then read", Opener::Shared, Opener::Read, false},
        {"shared, then create", Opener::Shared, Opener::Create, false},
        {"shared, then shared", Opener::Shared, Opener::Shared, false},
        {"shared, then foreign reader", Opener::Shared, Opener::ForeignReader, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteFileBytes(path, "content\r\n"));
        TextFilePtr first = OpenFirst(c.first, path);
        ASSERT_TRUE(first);
        EXPECT_EQ(TryOpen(c.second, path), c.secondOpens);
        EXPECT_TRUE(CloseText(first));
        EXPECT_TRUE(TryOpen(c.second, path)) << "still locked after CloseText";
    }
}

TEST_F(TextFileTest, ForeignWriterKeepsOpenSharedOut) {
    ASSERT_TRUE(WriteFileBytes(path, "content\r\n"));
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(OpenShared(path));
    EXPECT_FALSE(OpenRead(path));
    CloseHandle(writer);
    EXPECT_TRUE(OpenShared(path));
}
