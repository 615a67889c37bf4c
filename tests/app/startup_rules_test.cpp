// The window-free rules of start-up: command-line switches, the semaphore name, the watch
// directory's trailing separator, the uptime and the boot-time rule.
#include <gtest/gtest.h>

#include <climits>

#include "app/startup.h"
#include "support/temp_dir.h"
#include "util/date.h"

namespace {
using Params = std::vector<std::wstring>;

TEST(CommandLineParameters, SplitsAtBlanksOutsideQuotesAndDropsTheProgramPath) {
    struct Case {
        const char* name;
        const wchar_t* commandLine;
        Params expected;
    };
    const Case cases[] = {
        {"program only", L"C:\\Tools\\notify.exe", {}},
        {"empty line", L"", {}},
        {"two switches", L"C:\\Tools\\notify.exe /LOCAL /HIDDEN", {L"/LOCAL", L"/HIDDEN"}},
        {"quoted program path with blanks",
         L"\"C:\\Program Files\\Notiwell 2\\notify.exe\" /local", {L"/local"}},
        {"quoted program path alone", L"\"C:\\Program Files\\Notiwell 2\\notify.exe\"", {}},
        {"runs of blanks", L"notify.exe   /a    /b  ", {L"/a", L"/b"}},
        {"blank inside quotes stays", L"notify.exe \"/LOCAL x\" y", {L"/LOCAL x", L"y"}},
        {"quotes inside a word are removed", L"notify.exe /LO\"CA\"L", {L"/LOCAL"}},
        {"quote opens in the middle of a word", L"notify.exe a\"b c\"d e", {L"ab cd", L"e"}},
        {"unclosed quote runs to the end", L"notify.exe \"/HIDDEN /LOCAL", {L"/HIDDEN /LOCAL"}},
        {"tab is no separator", L"notify.exe /LOCAL\t/HIDDEN", {L"/LOCAL\t/HIDDEN"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CommandLineParameters(c.commandLine), c.expected);
    }
}

TEST(ParseSwitches, RecognisesOnlyTheTwoSwitchesInAnyCase) {
    struct Case {
        const char* name;
        const wchar_t* commandLine;
        bool local, hidden;
    };
    const Case cases[] = {
        {"none", L"notify.exe", false, false},
        {"upper case", L"notify.exe /LOCAL /HIDDEN", true, true},
        {"lower case", L"notify.exe /local /hidden", true, true},
        {"mixed case", L"notify.exe /LoCaL", true, false},
        {"quoted switch", L"notify.exe \"/hidden\"", false, true},
        {"repeated", L"notify.exe /LOCAL /local /LOCAL", true, false},
        {"dash form ignored", L"notify.exe -LOCAL -HIDDEN", false, false},
        {"with a value ignored", L"notify.exe /LOCAL:x /HIDDEN=1", false, false},
        {"blank inside quotes is one parameter", L"notify.exe \"/LOCAL /HIDDEN\"", false, false},
        {"other parameters ignored", L"notify.exe foo /HIDDEN bar", false, true},
        // The program's own path is not a parameter, even when it looks like a switch.
        {"program named like a switch", L"/LOCAL", false, false},
        {"quoted program path with blanks", L"\"C:\\My Tools\\/HIDDEN\" /LOCAL", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const StartSwitches s = ParseSwitches(CommandLineParameters(c.commandLine));
        EXPECT_EQ(s.local, c.local);
        EXPECT_EQ(s.hidden, c.hidden);
    }
}

TEST(InstanceName, ReplacesSeparatorsColonBlanksAndDots) {
    EXPECT_EQ(InstanceName(L"C:\\Program Files\\Notiwell 2\\notify.exe"), L"C__Program_Files_Notiwell_2_notify_exe");
    // Copies in other folders get other names; other characters stay as they are.
    EXPECT_NE(InstanceName(L"C:\\A\\notify.exe"), InstanceName(L"C:\\B\\notify.exe"));
    EXPECT_EQ(InstanceName(L"D:\\Übung-1/x.y.exe"), L"D__Übung-1/x_y_exe");
}

TEST(WithTrailingBackslash, AppendsOnlyWhenTheLastCharacterIsNoBackslash) {
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    };
    const Case cases[] = {
        {L"C:\\Msgs", L"C:\\Msgs\\"},
        {L"C:\\Msgs\\", L"C:\\Msgs\\"},
        {L"C:\\Msgs/", L"C:\\Msgs/\\"},
        {L"", L"\\"},
        {L"\\\\server\\share", L"\\\\server\\share\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.in));
        EXPECT_EQ(WithTrailingBackslash(c.in), c.out);
    }
}

TEST(Uptime, CounterOverFrequencyKeepsTheLow32BitsSigned) {
    struct Case {
        const char* name;
        int64_t counter, frequency;
        int32_t seconds;
    };
    const Case cases[] = {
        {"whole seconds", 93784LL * 10000000, 10000000, 93784},
        {"fraction dropped", 10000000LL * 5 + 9999999, 10000000, 5},
        {"largest positive", 2147483647LL * 1000, 1000, 2147483647},
        {"past 2^31 turns negative", 2147483648LL * 1000, 1000, INT32_MIN},
        {"past 2^32 wraps", (4294967296LL + 7) * 1000, 1000, 7},
        {"no counter frequency", 12345, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(UptimeSeconds(c.counter, c.frequency), c.seconds);
    }
}

TEST(Uptime, SplitAndLine) {
    const int32_t uptime = 1 * 86400 + 2 * 3600 + 3 * 60 + 4;
    const UptimeSplit s = SplitUptime(uptime);
    EXPECT_EQ(s.days, 1);
    EXPECT_EQ(s.hours, 2);
    EXPECT_EQ(s.minutes, 3);
    EXPECT_EQ(s.seconds, 4);
    EXPECT_EQ(UptimeLine(uptime), L"QPF System Startzeit war vor 1 Tage(n), 2 Stunden, 3 Minuten, 4 Sekunden");
    EXPECT_EQ(UptimeLine(59), L"QPF System Startzeit war vor 0 Tage(n), 0 Stunden, 0 Minuten, 59 Sekunden");
    EXPECT_EQ(UptimeLine(40 * 86400 + 23 * 3600 + 59 * 60 + 59),
              L"QPF System Startzeit war vor 40 Tage(n), 23 Stunden, 59 Minuten, 59 Sekunden");
}

TEST(BootTime, KeyAndTheRuleThatRaisesLastMessage) {
    const DateValue boot = DateFromCivil(CivilTime{2018, 9, 11, 8, 0, 0});
    const std::wstring key = BootTimeKey(boot);
    ASSERT_EQ(key, L"20180911080000");

    struct Case {
        const wchar_t* lastMessage;
        bool raised;
    };
    const Case cases[] = {
        {L"20180101120000", true},
        {L"20991231000000", false},
        {L"20180911080000", false},  // equal stays
        {L"20180911075959", true},
        {L"", true},
        {L"kaputt", true},  // no digits count as 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.lastMessage));
        EXPECT_EQ(LastMessageBeforeBoot(c.lastMessage, key), c.raised);
    }
}

TEST(InvalidWatchDirText, HasTheDirectoryBetweenCarriageReturns) {
    EXPECT_EQ(InvalidWatchDirText(L"C:\\Fehlt\\"),
              L"Ungültiges Verzeichnis zur Überwachung:\rC:\\Fehlt\\\rProgramm wird beendet.");
}

// The write test's file exists while the caller's step runs and is gone afterwards.
class WriteTestFixture : public ::testing::Test {
protected:
    static bool s_calledWhileExists;
    static int s_calls;
    static std::wstring s_probe;
    static void AfterWrite() {
        ++s_calls;
        s_calledWhileExists = FileExists(s_probe);
    }
    void SetUp() override {
        s_calls = 0;
        s_calledWhileExists = false;
        s_probe = dir / L"nw_test.tmp";
    }
    TempDir dir;
};
bool WriteTestFixture::s_calledWhileExists = false;
int WriteTestFixture::s_calls = 0;
std::wstring WriteTestFixture::s_probe;

TEST_F(WriteTestFixture, WritableDirectory) {
    EXPECT_TRUE(WriteTest(dir.path(), AfterWrite));
    EXPECT_EQ(s_calls, 1);
    EXPECT_TRUE(s_calledWhileExists);
    EXPECT_FALSE(FileExists(s_probe));
}

TEST_F(WriteTestFixture, LeftOverFileIsEmptiedRewrittenAndDeleted) {
    ASSERT_TRUE(WriteFileBytes(s_probe, std::string(10000, 'x')));
    EXPECT_TRUE(WriteTest(dir.path(), AfterWrite));
    EXPECT_EQ(s_calls, 1);
    EXPECT_FALSE(FileExists(s_probe));
}

TEST_F(WriteTestFixture, MissingDirectoryFailsWithoutCallingTheStep) {
    s_probe = dir / L"fehlt\\nw_test.tmp";
    EXPECT_FALSE(WriteTest(dir / L"fehlt\\", AfterWrite));
    EXPECT_EQ(s_calls, 0);
}
}  // namespace
