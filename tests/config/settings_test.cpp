// Loading the settings: defaults, first values, the poll interval and the lines logged.
#include "config/settings.h"

#include <gtest/gtest.h>

#include "settings_env.h"

namespace {
const std::wstring kPollError = L"Ungültiger Wert für Pollintervall. Standard von 1 wird gesetzt";

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    for (const std::string& l : lines) {
        if (l == line) return true;
    }
    return false;
}

class LoadSettingsTest : public SettingsEnv {};

struct PollCase {
    const char* line;        // the Pollintervall line, nullptr for none
    int32_t ms;
    bool error;              // the error line is logged
    const wchar_t* logged;   // Pollintervall as stored and logged
};

TEST_F(LoadSettingsTest, PollIntervalFromTheFile) {
    const PollCase cases[] = {
        {"Pollintervall=30", 30000, false, L"30"},
        {"Pollintervall=0", 1000, false, L"0"},
        {"Pollintervall=007", 7000, false, L"007"},
        {"Pollintervall=  15  ", 15000, false, L"15"},
        {"Pollintervall=2147483", 2147483000, false, L"2147483"},
        {"Pollintervall=2147484", 1000, false, L"2147484"},  // the product turns negative
        {"Pollintervall=4294969", 1704, false, L"4294969"},  // only the low 32 bits count
        {"Pollintervall=1.5", 1000, true, L"1"},
        {"Pollintervall=-5", 1000, true, L"1"},
        {"Pollintervall=10s", 1000, true, L"1"},
        {"Pollintervall=", 1000, true, L"1"},
        {"Pollintervall", 1000, true, L"1"},
        {nullptr, 1000, true, L"1"},
    };
    for (const PollCase& c : cases) {
        SCOPED_TRACE(c.line ? c.line : "(no Pollintervall line)");
        ResetRecords();
        ClearLog();
        WriteConf(std::string("[Global]\r\nWatchDir=C:\\\r\n") + (c.line ? c.line : "") + "\r\n");
        LoadSettings();
        EXPECT_EQ(g_state.PollIntervalMs, c.ms);
        EXPECT_EQ(g_settings.Pollintervall, c.logged);
        const std::vector<std::string> lines = LogLines();
        EXPECT_EQ(Contains(lines, Error(kPollError)), c.error);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), Info(L"Pollintervall=" + std::wstring(c.logged)));
    }
}

TEST_F(LoadSettingsTest, ValuesAreLoggedInOrderAndTheFileIsLeftAsItWas) {
    const std::string conf =
        "[Global]\r\nDebug=1\r\nWatchDir= D:\\Msgs\\ \r\nAllowAdhoc=yes\r\nQuitMode= 00 \r\nNotifyActDay=0\r\n"
        "NotifyActTime=1\r\nLastMessage=20240101120000\r\nWatchSubDir=a;b\r\nPollintervall=30\r\nLastSubMessage=9\r\n";
    WriteConf(conf);
    LoadSettings();
    const std::vector<std::string> expected = {
        Info(L"Lese Conf File:'" + g_paths.ConfFilePath + L"'"),
        Info(L"Conf-Werte:"),
        Info(L"DebugMode    =1"),
        Info(L"QuitMode     =00"),
        Info(L"WatchDir     =D:\\Msgs\\"),
        Info(L"WatchSubDir  =a;b"),
        Info(L"NotifyActDay =0"),
        Info(L"NotifyActTime=1"),
        Info(L"AllowAdhoc   =yes"),
        Info(L"LastMessage  =20240101120000"),
        Info(L"Pollintervall=30"),
    };
    EXPECT_EQ(LogLines(), expected);
    EXPECT_EQ(g_settings.QuitMode, L"00");
    EXPECT_EQ(g_settings.AllowAdhoc, L"yes");
    EXPECT_EQ(g_settings.LastSubMessage, L"");  // read later by the subdirectory poll, not here
    EXPECT_EQ(g_state.PollIntervalMs, 30000);
    EXPECT_EQ(ReadFileBytes(g_paths.ConfFilePath), conf);
}

TEST_F(LoadSettingsTest, UnopenableFileKeepsTheFirstValues) {
    LoadSettings();  // no file at all
    EXPECT_EQ(LogLines(), std::vector<std::string>{Error(L"Kann Conf File:'" + g_paths.ConfFilePath +
                                                          L"' nicht öffnen")});
    EXPECT_EQ(g_settings.Debug, L"0");
    EXPECT_EQ(g_settings.WatchDir, g_paths.ProgramDir);
    EXPECT_EQ(g_settings.Pollintervall, L"0");
    EXPECT_EQ(g_settings.AllowAdhoc, L"");
    EXPECT_EQ(g_settings.NotifyActDay, L"");
    EXPECT_EQ(g_settings.NotifyActTime, L"");
    EXPECT_EQ(g_settings.QuitMode, L"0");
    EXPECT_EQ(g_state.PollIntervalMs, 0);
    EXPECT_FALSE(FileExists(g_paths.ConfFilePath));
}

TEST_F(LoadSettingsTest, MissingGroupGivesTheDefaults) {
    WriteConf("Debug=1\r\n[Other]\r\nAllowAdhoc=1\r\nPollintervall=5\r\n");
    LoadSettings();
    EXPECT_EQ(g_settings.Debug, L"0");
    EXPECT_EQ(g_settings.WatchDir, g_paths.ProgramDir);
    EXPECT_EQ(g_settings.AllowAdhoc, L"0");
    EXPECT_EQ(g_settings.QuitMode, L"0");
    EXPECT_EQ(g_settings.NotifyActDay, L"1");
    EXPECT_EQ(g_settings.NotifyActTime, L"1");
    EXPECT_EQ(g_settings.LastMessage, L"");
    EXPECT_EQ(g_settings.WatchSubDir, L"");
    EXPECT_EQ(g_settings.Pollintervall, L"1");
    EXPECT_EQ(g_state.PollIntervalMs, 1000);
    const std::vector<std::string> lines = LogLines();
    EXPECT_TRUE(Contains(lines, Error(kPollError)));
    EXPECT_TRUE(Contains(lines, Info(L"WatchDir     =" + g_paths.ProgramDir)));
}

TEST(IsNumericText, DigitsOnly) {
    struct Case {
        const wchar_t* text;
        bool numeric;
    };
    const Case cases[] = {{L"0", true}, {L"0123456789", true}, {L"", false}, {L"+1", false},
                          {L"1 ", false}, {L"1.0", false}, {L"\u0661", false}};  // Arabic-Indic one
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        EXPECT_EQ(IsNumericText(c.text), c.numeric);
    }
}
}  // namespace
