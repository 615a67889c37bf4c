// Tests of path texts, file sizes and the small file-system operations.
#include <gtest/gtest.h>

#include <windows.h>

#include "support/temp_dir.h"
#include "util/path.h"

TEST(PathParts, SplitDirectoryAndFileName) {
    struct Case {
        const wchar_t* path;
        const wchar_t* directory;
        const wchar_t* file;
    };
    const Case cases[] = {
        {L"C:\\Tools\\app.exe", L"C:\\Tools\\", L"app.exe"},
        {L"\"C:\\Tools\\app.exe\"", L"C:\\Tools\\", L"app.exe"},
        {L"C:/Tools/sub/app.exe", L"C:/Tools/sub/", L"app.exe"},
        {L"C:\\mixed/dir\\f.msg", L"C:\\mixed/dir\\", L"f.msg"},
        {L"\\\\server\\share\\f.msg", L"\\\\server\\share\\", L"f.msg"},
        {L"C:\\a\\b|c\\d", L"C:\\a\\", L"d"},
        {L"C:\\dir\\", L"C:\\dir\\", L""},
        {L"app.exe", L"", L"app.exe"},
        {L"\"app.exe\" /x", L"app.exe\" /", L"x"},
        {L"\"C:\\a b\\app.exe\" arg", L"C:\\a b\\", L"app.exe"},
        {L"", L"", L""},
        {L"\"", L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        EXPECT_EQ(PathDirectoryPart(c.path), c.directory);
        EXPECT_EQ(PathFilePart(c.path), c.file);
    }
}

namespace {
// A drive letter that this machine does not have.
std::wstring MissingDrive() {
    const DWORD drives = GetLogicalDrives();
    for (int i = 25; i >= 2; --i)
        if (!(drives & (1u << i))) return std::wstring(1, static_cast<wchar_t>(L'A' + i)) + L":";
    return L"";
}
}  // namespace

TEST(FileSize, ReportsSizesDirectoriesAndMissingPaths) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / L"empty.txt", ""));
    ASSERT_TRUE(WriteFileBytes(dir / L"five.txt", "12345"));
    ASSERT_TRUE(CreateDirectoryW((dir / L"sub").c_str(), nullptr));
    const std::wstring missingDrive = MissingDrive();
    ASSERT_FALSE(missingDrive.empty());
    const std::wstring dirNoSlash = dir.path().substr(0, dir.path().size() - 1);

    struct Case {
        std::wstring path;
        int64_t expected;
    };
    const Case cases[] = {
        {L"", -1},
        {dir / L"missing.txt", -1},
        {dir / L"missing\\deeper.txt", -1},
        {dir / L"empty.txt", 0},
        {dir / L"five.txt", 5},
        {dir / L"five.txt\\", 5},
        {dir / L"sub", -2},
        {dir / L"sub\\", -2},
        {dir / L"sub/", -2},
        {dir / L"sub\\\\//", -2},
        {dirNoSlash, -2},
        {dir / L"*.txt", -1},
        {L"C:", -2},
        {L"C:\\", -2},
        {L"c:/", -2},
        {missingDrive, -1},
        {missingDrive + L"\\", -1},
        {L"..", -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        EXPECT_EQ(FileSize(c.path), c.expected);
    }
}

TEST(FileSize, CountsBeyondFourGigabytesInSixtyFourBits) {
    TempDir dir;
    const std::wstring path = dir / L"sparse.bin";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER at;
    at.QuadPart = 0x100000005LL;
    const bool extended = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    if (!extended) GTEST_SKIP() << "no room for a large sparse file";
    EXPECT_EQ(FileSize(path), 0x100000005LL);
}

TEST(MakeDirectory, CreatesOneLevel) {
    TempDir dir;
    EXPECT_TRUE(MakeDirectory(dir / L"log"));
    EXPECT_EQ(FileSize(dir / L"log"), -2);
    EXPECT_FALSE(MakeDirectory(dir / L"log")) << "exists already";
    EXPECT_TRUE(MakeDirectory(dir / L"trail \\/ "));
    EXPECT_EQ(FileSize(dir / L"trail"), -2);
    EXPECT_FALSE(MakeDirectory(dir / L"no\\parent"));
    EXPECT_FALSE(FileExists(dir / L"no"));
    EXPECT_FALSE(MakeDirectory(L" \\ "));
}

TEST(RenameFile, NeverReplaces) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / L"a.log", "A"));
    ASSERT_TRUE(WriteFileBytes(dir / L"b.log", "B"));
    EXPECT_FALSE(RenameFile(dir / L"a.log", dir / L"b.log"));
    EXPECT_EQ(ReadFileBytes(dir / L"a.log"), "A");
    EXPECT_EQ(ReadFileBytes(dir / L"b.log"), "B");
    EXPECT_FALSE(RenameFile(dir / L"missing.log", dir / L"c.log"));
    EXPECT_TRUE(RenameFile(dir / L"a.log", dir / L"c.log"));
    EXPECT_FALSE(FileExists(dir / L"a.log"));
    EXPECT_EQ(ReadFileBytes(dir / L"c.log"), "A");
}

TEST(RemoveFile, KeepsReadOnlyFiles) {
    TempDir dir;
    const std::wstring plain = dir / L"plain.tmp";
    const std::wstring locked = dir / L"locked.tmp";
    ASSERT_TRUE(WriteFileBytes(plain, "x"));
    ASSERT_TRUE(WriteFileBytes(locked, "x"));
    ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(RemoveFile(plain));
    EXPECT_FALSE(FileExists(plain));
    EXPECT_FALSE(RemoveFile(locked));
    EXPECT_TRUE(FileExists(locked));
    EXPECT_FALSE(RemoveFile(dir / L"missing.tmp"));
}
