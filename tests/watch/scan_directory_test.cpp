// The polls over real folders: which messages are shown, the stored keys, the log lines,
// the error paths, and the subdirectories with their shared key.
#include <windows.h>

#include "config/conf_file.h"
#include "ui/message_window.h"
#include "watch/message_file.h"
#include "watch/watch_scanner.h"
#include "watch_env.h"

namespace {
class ScanDirectoryTest : public WatchEnv {
protected:
    // Two messages whose keys and listing order are known; the listing order is checked,
    // not assumed.
    void PutInListingOrder(const std::wstring& first, const std::wstring& second) {
        Put(first, "erste\r\n");
        Put(second, "zweite\r\n");
        ASSERT_EQ(ListedNames(root.path()), (std::vector<std::wstring>{first, second}))
            << "the file system lists these names in another order";
    }
    std::wstring Stored(const std::wstring& key) { return ReadGlobalKey(key, L"absent"); }
};

TEST_F(ScanDirectoryTest, HigherKeyListedFirstHidesTheLowerOne) {
    // "1_00.msg" has the key 100, "90.msg" the key 90.
    PutInListingOrder(L"1_00.msg", L"90.msg");
    ScanDirectory(root.path(), L"LastMessage");
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_EQ(g_shown[0].fileName, L"1_00.msg");
    EXPECT_EQ(g_shown[0].text, L"erste\r");
    EXPECT_EQ(Stored(L"LastMessage"), L"100");
}

TEST_F(ScanDirectoryTest, LowerKeyListedFirstShowsBoth) {
    PutInListingOrder(L"090.msg", L"100.msg");
    ScanDirectory(root.path(), L"LastMessage");
    ASSERT_EQ(g_shown.size(), 2u);
    EXPECT_EQ(g_shown[0].fileName, L"090.msg");
    EXPECT_EQ(g_shown[1].fileName, L"100.msg");
    // Each key is in the configuration file before its window opens.
    EXPECT_EQ(g_shown[0].storedKey, L"90");
    EXPECT_EQ(g_shown[1].storedKey, L"100");
    EXPECT_EQ(Stored(L"LastMessage"), L"100");
    // A second poll finds nothing new.
    ScanDirectory(root.path(), L"LastMessage");
    EXPECT_EQ(g_shown.size(), 2u);
}

TEST_F(ScanDirectoryTest, OnlyKeysAboveTheStoredOneAreShown) {
    WriteGlobalKey(L"LastMessage", L"20180911153000");
    Put(L"20180911_153000.msg", "gleich\r\n");
    Put(L"20180911_152959.msg", "aelter\r\n");
    Put(L"20180911_153001.MSG", "neuer\r\n");  // upper-case extension is listed like any other
    ScanDirectory(root.path(), L"LastMessage");
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_EQ(g_shown[0].fileName, L"20180911_153001.MSG");
    EXPECT_EQ(Stored(L"LastMessage"), L"20180911153001");
    // The other key is untouched.
    EXPECT_EQ(Stored(L"LastSubMessage"), L"absent");
}

TEST_F(ScanDirectoryTest, StoredKeyIsReadBeforeEveryEntry) {
    // A key raised by someone else while the first window is open holds back the second file.
    struct Raiser {
        static void Show(const std::wstring& text, const std::wstring& fileName, int32_t, int32_t) {
            g_shown.push_back({text, fileName, 0, 0, L""});
            WriteGlobalKey(L"LastMessage", L"1000");
        }
    };
    SetMessageWindowHookForTesting(Raiser::Show);
    PutInListingOrder(L"090.msg", L"100.msg");
    ScanDirectory(root.path(), L"LastMessage");
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_EQ(g_shown[0].fileName, L"090.msg");
    EXPECT_EQ(Stored(L"LastMessage"), L"1000");
}

TEST_F(ScanDirectoryTest, UnreadableFileIsReportedAndNotTriedAgain) {
    struct Case {
        const wchar_t* day;
        const wchar_t* time;
    } cases[] = {{L"0", L"0"}, {L"1", L"0"}, {L"1", L"1"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(std::wstring(L"NotifyActDay ") + c.day + L", NotifyActTime " + c.time));
        g_settings.NotifyActDay = c.day;
        g_settings.NotifyActTime = c.time;
        g_shown.clear();
        g_boxes.clear();
        WriteGlobalKey(L"LastMessage", L"0");
        const std::wstring path = root / L"20180911_152000.msg";
        Put(L"20180911_152000.msg", "gesperrt\r\n");
        HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        ScanDirectory(root.path(), L"LastMessage");
        CloseHandle(lock);

        EXPECT_TRUE(g_shown.empty());
        EXPECT_TRUE(Logged("[ERR]", "Fehler beim Lesen der Message:" + Narrow(path)));
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_EQ(g_boxes[0].text, L"Fehler beim Lesen der Nachrichtendatei :-(");
        EXPECT_EQ(g_boxes[0].caption, L"notiwell.exe");
        EXPECT_EQ(g_boxes[0].icon, BoxIcon::Error);
        EXPECT_EQ(Stored(L"LastMessage"), L"20180911152000");

        ScanDirectory(root.path(), L"LastMessage");
        EXPECT_TRUE(g_shown.empty());
        EXPECT_EQ(g_boxes.size(), 1u);
    }
}

TEST_F(ScanDirectoryTest, LogLinesOfOneMessage) {
    g_settings.Debug = L"1";
    g_settings.NotifyActDay = L"1";
    g_settings.NotifyActTime = L"1";
    SetNow({2018, 9, 11, 15, 30, 0});
    Put(L"20180911_150000.msg", "kurz\r\n" + std::string(45, 'x') + "\r\n3\r\n4\r\n5\r\n6\r\n");
    ScanDirectory(root.path(), L"LastMessage");
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_EQ(g_shown[0].extraHeight, 17);
    EXPECT_EQ(g_shown[0].extraWidth, 45);

    const std::string path = Narrow(root / L"20180911_150000.msg");
    struct Line {
        const char* marker;
        std::string text;
    } lines[] = {
        {"[LOG]", "NotifyActDay=1,NotifyActTime=1,Gefundene Datei:20180911, Today:20180911"},
        {"[LOG]", "sTime:153000,FileTime:150000"},
        {"[LOG]", "Neue Message:" + path},
        {"[LOG]", "Zeile 1:kurz"},
        {"[LOG]", "Zeile 6:6"},
        {"[LOG]", "FaktorW:45;iMaxSpalte:45"},
        {"[LOG]", "Zeige Message:" + path + ";FaktorH:17;FaktorW:45"},
        {"[LOG]", "Inhalt Message:\rkurz\r" + std::string(45, 'x') + "\r3\r4\r5\r6\r"},
        {"[LOG]", "Beende Message:" + path},
    };
    for (const Line& l : lines) {
        SCOPED_TRACE(l.text);
        EXPECT_TRUE(Logged(l.marker, l.text));
    }
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(LogText().find("[ERR]"), std::string::npos);
}

TEST_F(ScanDirectoryTest, DebugLinesOnlyWithDebug) {
    g_settings.Debug = L"0";
    Put(L"20180911_150000.msg", std::string(50, 'x') + "\r\n");
    ScanDirectory(root.path(), L"LastMessage");
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_TRUE(Logged("[LOG]", "Neue Message:"));
    EXPECT_EQ(LogText().find("Gefundene Datei:"), std::string::npos);
    EXPECT_EQ(LogText().find("Zeile 1:"), std::string::npos);
    EXPECT_EQ(LogText().find(";iMaxSpalte:"), std::string::npos);
}

TEST_F(ScanDirectoryTest, OtherDaySettingsShowNothingButStillLogTheEntry) {
    g_settings.Debug = L"1";
    g_settings.NotifyActDay = L"1";
    g_settings.NotifyActTime = L"2";
    Put(L"20180911_153000.msg", "Hallo\r\n");
    ScanDirectory(root.path(), L"LastMessage");
    EXPECT_TRUE(g_shown.empty());
    EXPECT_TRUE(Logged("[LOG]", "NotifyActDay=1,NotifyActTime=2,Gefundene Datei:20180911, Today:20180911"));
    EXPECT_EQ(Stored(L"LastMessage"), L"absent");
}

TEST_F(ScanDirectoryTest, FactorsStartAfreshForEveryMessage) {
    Put(L"090.msg", std::string(100, 'x') + "\r\n");
    Put(L"100.msg", "kurz\r\n");
    ASSERT_EQ(ListedNames(root.path()), (std::vector<std::wstring>{L"090.msg", L"100.msg"}));
    ScanDirectory(root.path(), L"LastMessage");
    ASSERT_EQ(g_shown.size(), 2u);
    EXPECT_EQ(g_shown[0].extraWidth, 540);
    EXPECT_EQ(g_shown[1].extraWidth, 0);
    EXPECT_EQ(g_shown[1].extraHeight, 0);
}

TEST_F(ScanDirectoryTest, MessageLargerThanTheDisplayIsClampedAndStillShown) {
    const int32_t width = GetSystemMetrics(SM_CXSCREEN);
    const int32_t height = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);
    std::string tall;
    for (int i = 0; i < height / 17 + 10; ++i) tall += "z\r\n";
    const std::string wide = std::string(static_cast<size_t>(width / 9 + 40), 'w') + "\r\n";
    struct Case {
        const char* label;
        std::string bytes;
        int32_t extraHeight, extraWidth;
        const char* errLine;
        const wchar_t* box;
    } cases[] = {
        {"too tall", tall, height, 0, "FaktorHeight der Nachricht ist gr", L"FaktorHeight: Fehler beim Lesen der Nachrichtendatei :-("},
        {"too wide", wide, 0, width, "FaktorWidth der Nachricht ist gr", L"FaktorWidth: Fehler beim Lesen der Nachrichtendatei :-("},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        g_shown.clear();
        g_boxes.clear();
        WriteGlobalKey(L"LastMessage", L"0");
        DeleteFileW(g_paths.LogFilePath.c_str());
        Put(L"20180911_150000.msg", c.bytes);
        ScanDirectory(root.path(), L"LastMessage");
        ASSERT_EQ(g_shown.size(), 1u);
        EXPECT_EQ(g_shown[0].extraHeight, c.extraHeight);
        EXPECT_EQ(g_shown[0].extraWidth, c.extraWidth);
        EXPECT_TRUE(Logged("[ERR]", c.errLine));
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_EQ(g_boxes[0].text, c.box);
        EXPECT_TRUE(Logged("[LOG]", ";FaktorH:" + std::to_string(c.extraHeight) + ";FaktorW:" + std::to_string(c.extraWidth)));
    }
}

TEST_F(ScanDirectoryTest, HugeOrBinaryFilesAreCutAndShown) {
    std::string big;
    while (big.size() < 1000000) big += "Zeile mit etwas Text\r\n";
    std::string garbage(1 << 20, '\0');
    uint32_t seed = 99;
    for (char& b : garbage) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<char>(seed >> 24);
    }
    Put(L"090.msg", big);
    Put(L"100.msg", garbage);
    ScanDirectory(root.path(), L"LastMessage");
    ASSERT_EQ(g_shown.size(), 2u);
    for (const ShownMessage& m : g_shown) {
        SCOPED_TRACE(Narrow(m.fileName));
        EXPECT_FALSE(m.text.empty());
        EXPECT_LE(m.text.size(), kMessageReadLimit + 1);  // each byte gives at most one unit, plus the CR
        EXPECT_TRUE(Logged("[LOG]", "Nachricht wurde nach 65536 Bytes abgeschnitten:" + Narrow(root / m.fileName)));
    }
}

TEST_F(ScanDirectoryTest, MissingDirectoryDoesNothing) {
    ScanDirectory(root / L"fehlt\\", L"LastMessage");
    EXPECT_TRUE(g_shown.empty());
    EXPECT_FALSE(FileExists(g_paths.LogFilePath));
}

TEST_F(ScanDirectoryTest, TwoMessagesWrittenInOneSecondAreBothShown) {
    ASSERT_TRUE(WriteMessageFile(root.path(), L"erste"));
    ASSERT_TRUE(WriteMessageFile(root.path(), L"zweite"));
    ScanDirectory(root.path(), L"LastMessage");
    ASSERT_EQ(g_shown.size(), 2u);
    EXPECT_EQ(g_shown[0].fileName, L"20180911_153000.msg");
    EXPECT_EQ(g_shown[0].text, L"erste\r");
    EXPECT_EQ(g_shown[1].fileName, L"20180911_153001.msg");
    EXPECT_EQ(g_shown[1].text, L"zweite\r");
}

class PollTest : public ScanDirectoryTest {};

TEST_F(PollTest, WatchDirGetsItsBackslash) {
    g_settings.Debug = L"1";
    std::wstring dir = root.path();
    dir.pop_back();
    g_settings.WatchDir = dir;
    Put(L"20180911_150000.msg", "Hallo\r\n");
    WatchScanner::Poll();
    EXPECT_EQ(g_settings.WatchDir, root.path());
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_TRUE(Logged("[LOG]", "Search:WatchDir:" + Narrow(dir)));
    EXPECT_TRUE(Logged("[LOG]", "Search:WatchDir:Ende"));
    EXPECT_TRUE(Logged("[LOG]", "Neue Message:" + Narrow(root / L"20180911_150000.msg")));
}

TEST_F(PollTest, SubdirectoriesShareOneKey) {
    ASSERT_TRUE(CreateDirectoryW((root / L"Vertrieb").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root / L"Technik").c_str(), nullptr));
    Put(L"Vertrieb\\20180911_120000.msg", "Vertrieb\r\n");
    Put(L"Technik\\20180911_110000.msg", "Technik\r\n");
    g_settings.Debug = L"1";
    g_settings.WatchDir = root.path();
    g_settings.WatchSubDir = L"Vertrieb, Technik";
    g_watchedKey = L"LastSubMessage";
    SubdirScanner::Poll();
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_EQ(g_shown[0].fileName, L"20180911_120000.msg");
    EXPECT_EQ(g_shown[0].storedKey, L"20180911120000");
    EXPECT_EQ(Stored(L"LastSubMessage"), L"20180911120000");
    EXPECT_EQ(Stored(L"LastMessage"), L"absent");
    EXPECT_TRUE(Logged("[LOG]", "Suche SubDir in:" + Narrow(root / L"Vertrieb\\")));
    EXPECT_TRUE(Logged("[LOG]", "Suche SubDir in:" + Narrow(root / L"Technik\\")));
    EXPECT_TRUE(Logged("[LOG]", "Neue Message:" + Narrow(root / L"Vertrieb\\20180911_120000.msg")));
    EXPECT_TRUE(Logged("[LOG]", "Search:WatchSubDir:Ende. Variablen wieder hergestellt:" +
                                    Narrow(root / L"Technik\\") + " von:" + Narrow(root.path())));
    EXPECT_EQ(g_settings.WatchDir, root.path());
    EXPECT_EQ(g_state.WatchDirBase, root.path());
}

TEST_F(PollTest, SameNameInWatchDirAndSubdirIsShownTwice) {
    ASSERT_TRUE(CreateDirectoryW((root / L"IT").c_str(), nullptr));
    Put(L"20180911_120000.msg", "oben\r\n");
    Put(L"IT\\20180911_120000.msg", "unten\r\n");
    g_settings.WatchDir = root.path();
    g_settings.WatchSubDir = L"IT";
    WatchScanner::Poll();
    SubdirScanner::Poll();
    ASSERT_EQ(g_shown.size(), 2u);
    EXPECT_EQ(g_shown[0].text, L"oben\r");
    EXPECT_EQ(g_shown[1].text, L"unten\r");
    EXPECT_EQ(Stored(L"LastMessage"), L"20180911120000");
    EXPECT_EQ(Stored(L"LastSubMessage"), L"20180911120000");
}

TEST_F(PollTest, NoSubdirectoriesIsLoggedOnEveryPoll) {
    auto countNoSubdirLines = [this] {
        const std::string log = LogText();
        const std::string line = "Es scheint keine zu";
        int n = 0;
        for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++n;
        return n;
    };
    g_settings.WatchDir = root.path();
    g_state.WatchDirBase = root.path();
    // A lone comma is dropped by the first poll, which then has nothing to scan.
    g_settings.WatchSubDir = L",";
    SubdirScanner::Poll();
    EXPECT_EQ(g_settings.WatchSubDir, L"");
    EXPECT_EQ(countNoSubdirLines(), 0);
    SubdirScanner::Poll();
    SubdirScanner::Poll();
    EXPECT_EQ(countNoSubdirLines(), 2);
    EXPECT_TRUE(Logged("[LOG]", "Es scheint keine zu"));
    EXPECT_EQ(g_settings.WatchDir, root.path());
}

TEST_F(PollTest, BlankFieldScansTheWatchDirAgainstTheSubdirKey) {
    Put(L"20180911_120000.msg", "Hallo\r\n");
    WriteGlobalKey(L"LastMessage", L"20180911120000");  // already seen by the watch-directory poll
    g_settings.WatchDir = root.path();
    g_settings.WatchSubDir = L"  ,";
    SubdirScanner::Poll();
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_EQ(Stored(L"LastSubMessage"), L"20180911120000");
    EXPECT_EQ(g_settings.WatchSubDir, L"  ");
}
}  // namespace
