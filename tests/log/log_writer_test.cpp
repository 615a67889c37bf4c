// Tests of the log writer: line layout byte for byte, rotation and the failure paths.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/program_state.h"
#include "log/log_writer.h"
#include "support/temp_dir.h"
#include "util/date.h"

namespace {
// 2024-03-05 07:08:09 on the wall clock.
constexpr DateValue kNow = 1709622489;
DateValue FixedClock() { return kNow; }

std::string AnsiUser() {
    // The user name is plain ASCII on the test machines; anything else would make the
    // expected bytes depend on the code page.
    const std::wstring user = CurrentUserName();
    std::string out;
    for (wchar_t c : user) out += static_cast<char>(c);
    return out;
}

class LogWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedPaths = g_paths;
        savedDebug = g_settings.Debug;
        g_paths.LogFilePath = logPath;
        SetClockHookForTesting(&FixedClock);
        const std::wstring user = CurrentUserName();
        for (wchar_t c : user) ASSERT_LT(static_cast<unsigned>(c), 128u) << "non-ASCII user name";
        prefix = "05.03.2024 07:08:09 " + AnsiUser();
    }
    void TearDown() override {
        SetClockHookForTesting(nullptr);
        g_paths = savedPaths;
        g_settings.Debug = savedDebug;
    }

    TempDir dir;
    std::wstring logPath = dir / L"notiwell.log";
    std::wstring rotatedPath = dir / L"notiwell.log_05032024_070809";
    std::string prefix;
    AppPaths savedPaths;
    std::wstring savedDebug;
};
}  // namespace

TEST(LogNames, FormatLineAndRotatedName) {
    CivilTime t;
    t.year = 2017;
    t.month = 7;
    t.day = 13;
    t.hour = 14;
    t.minute = 25;
    t.second = 30;
    const DateValue d = DateFromCivil(t);
    EXPECT_EQ(RotatedLogName(L"C:\\x\\log\\notify.log", d), L"C:\\x\\log\\notify.log_13072017_142530");
    EXPECT_EQ(FormatLogLine(d, L"anna", 0, L"Start"), L"13.07.2017 14:25:30 anna [LOG] Start");
    EXPECT_EQ(FormatLogLine(kInvalidDate, L"anna", 1, L""), L"00.00.0000 00:00:00 anna [ERR] ");
}

TEST(CurrentUserName, IsTheLogonNameWithoutPadding) {
    const std::wstring user = CurrentUserName();
    EXPECT_FALSE(user.empty());
    EXPECT_LT(user.size(), 260u);
    EXPECT_EQ(user.find(L'\0'), std::wstring::npos);
    EXPECT_NE(user.back(), L' ');
}

TEST_F(LogWriterTest, WritesOneAnsiLinePerCall) {
    struct Case {
        const char* what;
        int level;
        std::wstring text;
        std::string tail;  // everything after the user name
    };
    const Case cases[] = {
        {"information", 0, L"Programmstart", " [LOG] Programmstart\r\n"},
        {"error", 1, L"Fehler", " [ERR] Fehler\r\n"},
        {"any other level is an error", 7, L"x", " [ERR] x\r\n"},
        {"negative level", -1, L"x", " [ERR] x\r\n"},
        {"empty text ends with the marker's blank", 0, L"", " [LOG] \r\n"},
        {"embedded CR stays as it is", 0, L"Zeile 1\rZeile 2", " [LOG] Zeile 1\rZeile 2\r\n"},
        {"no byte-order mark, no UTF-8", 0, L"a\u00e9", " [LOG] a\xE9\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.text.find(L'\u00e9') != std::wstring::npos && GetACP() != 1252) continue;
        DeleteFileW(logPath.c_str());
        WriteLog(c.level, c.text);
        EXPECT_EQ(ReadFileBytes(logPath), prefix + c.tail);
    }
}

TEST_F(LogWriterTest, UmlautsTakeOneByteInTheAnsiCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP();
    WriteLog(1, L"Ung\u00fcltiges Verzeichnis zur \u00dcberwachung:");
    EXPECT_EQ(ReadFileBytes(logPath), prefix + " [ERR] Ung\xFCltiges Verzeichnis zur \xDC" "berwachung:\r\n");
}

TEST_F(LogWriterTest, AppendsToWhatIsThere) {
    ASSERT_TRUE(WriteFileBytes(logPath, "earlier line\r\n"));
    WriteLog(0, L"eins");
    WriteLog(0, L"zwei");
    EXPECT_EQ(ReadFileBytes(logPath),
              "earlier line\r\n" + prefix + " [LOG] eins\r\n" + prefix + " [LOG] zwei\r\n");
    EXPECT_FALSE(FileExists(rotatedPath));
}

TEST_F(LogWriterTest, RotatesOnlyAboveOneMillionBytes) {
    struct Case {
        size_t size;
        bool rotates;
    };
    const Case cases[] = {{1000000, false}, {1000001, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        DeleteFileW(rotatedPath.c_str());
        const std::string big(c.size, 'x');
        ASSERT_TRUE(WriteFileBytes(logPath, big));
        WriteLog(0, L"neu");
        const std::string line = prefix + " [LOG] neu\r\n";
        if (c.rotates) {
            EXPECT_EQ(ReadFileBytes(rotatedPath), big);
            EXPECT_EQ(ReadFileBytes(logPath), line);
        } else {
            EXPECT_FALSE(FileExists(rotatedPath));
            EXPECT_EQ(ReadFileBytes(logPath), big + line);
        }
    }
}

TEST_F(LogWriterTest, FailedRotationAppendsAndIsTriedAgain) {
    const std::string big(1000001, 'x');
    ASSERT_TRUE(WriteFileBytes(logPath, big));
    ASSERT_TRUE(WriteFileBytes(rotatedPath, "rotated a second ago\r\n"));
    WriteLog(0, L"eins");
    const std::string first = prefix + " [LOG] eins\r\n";
    EXPECT_EQ(ReadFileBytes(rotatedPath), "rotated a second ago\r\n") << "never replaced";
    EXPECT_EQ(ReadFileBytes(logPath), big + first);

    ASSERT_TRUE(DeleteFileW(rotatedPath.c_str()));
    WriteLog(0, L"zwei");
    EXPECT_EQ(ReadFileBytes(rotatedPath), big + first);
    EXPECT_EQ(ReadFileBytes(logPath), prefix + " [LOG] zwei\r\n");
}

TEST_F(LogWriterTest, MissingFolderLosesTheLineAndCreatesNothing) {
    g_paths.LogFilePath = dir / L"log\\notiwell.log";
    const DWORD start = GetTickCount();
    WriteLog(0, L"verloren");
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_FALSE(FileExists(dir / L"log"));
}

TEST_F(LogWriterTest, FileHeldByAnotherWriterDoesNotBlock) {
    ASSERT_TRUE(WriteFileBytes(logPath, "held\r\n"));
    // Another program reading the log but letting nobody write to it meanwhile.
    HANDLE other = CreateFileW(logPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    const DWORD start = GetTickCount();
    WriteLog(0, L"verloren");
    EXPECT_LT(GetTickCount() - start, 5000u);
    CloseHandle(other);
    EXPECT_EQ(ReadFileBytes(logPath), "held\r\n");

    WriteLog(0, L"wieder da");
    EXPECT_EQ(ReadFileBytes(logPath), "held\r\n" + prefix + " [LOG] wieder da\r\n");
}

TEST_F(LogWriterTest, DebugLinesOnlyWhileDebugIsOne) {
    struct Case {
        const wchar_t* debug;
        bool written;
    };
    const Case cases[] = {{L"0", false}, {L"", false}, {L"yes", false}, {L" 1", false}, {L"1", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.debug));
        DeleteFileW(logPath.c_str());
        g_settings.Debug = c.debug;
        WriteDebugLog(L"Ereignis");
        EXPECT_EQ(ReadFileBytes(logPath), c.written ? prefix + " [LOG] Ereignis\r\n" : std::string());
    }
}
