// The stored keys of the polls when the configuration file fails: held open by another
// handle, read-only, or not creatable. Each message is shown once per run; while the file
// works the stored value rules.
#include <windows.h>

#include <iostream>

#include "config/conf_file.h"
#include "watch/stored_key.h"
#include "watch/watch_scanner.h"
#include "watch_env.h"

namespace {
TEST(KeyToBeat, StoredValueRulesOnlyWhileTheFileWorks) {
    struct Case {
        const char* label;
        bool fileWorks;
        MessageKey stored, runFloor, expected;
    } cases[] = {
        {"works, lowered by hand", true, 100, 200, 100},
        {"works, raised elsewhere", true, 300, 200, 300},
        {"unreadable (reads 0)", false, 0, 200, 200},
        {"stale value below the run's record", false, 100, 200, 200},
        {"stale, but raised elsewhere", false, 300, 200, 300},
        {"negative stored, nothing recorded", false, -5, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(KeyToBeat(c.fileWorks, c.stored, c.runFloor), c.expected);
    }
}

class StoredKeyTest : public WatchEnv {
protected:
    void TearDown() override {
        SetFileAttributesW(g_paths.ConfFilePath.c_str(), FILE_ATTRIBUTE_NORMAL);
        WatchEnv::TearDown();
    }
    // An older and a newer message, listed in this order.
    void PutTwo() {
        Put(L"20180911_090000.msg", "alt\r\n");
        Put(L"20180911_120000.msg", "neu\r\n");
        ASSERT_EQ(ListedNames(root.path()), (std::vector<std::wstring>{L"20180911_090000.msg", L"20180911_120000.msg"}));
    }
    std::vector<std::wstring> ShownNames() const {
        std::vector<std::wstring> names;
        for (const ShownMessage& m : g_shown) names.push_back(m.fileName);
        return names;
    }
    int LogCount(const std::string& text) const {
        const std::string log = LogText();
        int n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
        return n;
    }
    std::wstring StoredText(const std::wstring& key) { return ReadGlobalKey(key, L"absent"); }
};

TEST_F(StoredKeyTest, HeldConfigurationShowsEveryMessageOncePerRun) {
    // The start-up left LastMessage at the boot time 10:00; LastSubMessage has no such key.
    struct Case {
        const wchar_t* keyName;
        std::vector<std::wstring> firstPoll;
    } cases[] = {
        {L"LastMessage", {L"20180911_120000.msg"}},
        {L"LastSubMessage", {L"20180911_090000.msg", L"20180911_120000.msg"}},
    };
    PutTwo();
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.keyName));
        ForgetRunKeysForTesting();
        g_shown.clear();
        DeleteFileW(g_paths.LogFilePath.c_str());
        g_settings.LastMessage = L"20180911100000";
        WriteGlobalKey(L"LastMessage", L"20180911100000");
        WriteGlobalKey(L"LastSubMessage", L"0");
        const std::string before = ReadFileBytes(g_paths.ConfFilePath);

        HANDLE lock = CreateFileW(g_paths.ConfFilePath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        ScanDirectory(root.path(), c.keyName);
        EXPECT_EQ(ShownNames(), c.firstPoll);
        ScanDirectory(root.path(), c.keyName);
        ScanDirectory(root.path(), c.keyName);
        EXPECT_EQ(ShownNames(), c.firstPoll) << "shown again while the file was held";
        CloseHandle(lock);
        EXPECT_EQ(ReadFileBytes(g_paths.ConfFilePath), before);
        EXPECT_EQ(LogCount("[ERR] Konfigurationsdatei kann nicht gelesen werden:"), 1);
        EXPECT_TRUE(Logged("[ERR]", Narrow(c.keyName) + " konnte nicht in die Konfigurationsdatei geschrieben werden:20180911120000"));

        // Released, the file still holds the old value: the run's record keeps ruling until
        // a new message is recorded and reaches the file.
        ScanDirectory(root.path(), c.keyName);
        EXPECT_EQ(ShownNames(), c.firstPoll);
        Put(L"20180911_130000.msg", "neuer\r\n");
        ScanDirectory(root.path(), c.keyName);
        ASSERT_EQ(g_shown.size(), c.firstPoll.size() + 1);
        EXPECT_EQ(g_shown.back().fileName, L"20180911_130000.msg");
        EXPECT_EQ(StoredText(c.keyName), L"20180911130000");
        EXPECT_TRUE(Logged("[LOG]", Narrow(c.keyName) + " wird wieder in der Konfigurationsdatei gespeichert:20180911130000"));
        DeleteFileW((root / L"20180911_130000.msg").c_str());
    }
}

TEST_F(StoredKeyTest, ReadableButUnwritableConfigurationShowsEveryMessageOnce) {
    enum class Way { ReadOnlyAttribute, HeldSharingReads };
    struct Case {
        const char* label;
        Way way;
    } cases[] = {
        {"read-only attribute", Way::ReadOnlyAttribute},
        {"held by a reader that lets others read", Way::HeldSharingReads},
    };
    PutTwo();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ForgetRunKeysForTesting();
        g_shown.clear();
        DeleteFileW(g_paths.LogFilePath.c_str());
        SetFileAttributesW(g_paths.ConfFilePath.c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteGlobalKey(L"LastMessage", L"20180911100000");
        g_settings.LastMessage = L"20180911100000";
        const std::string before = ReadFileBytes(g_paths.ConfFilePath);
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.way == Way::ReadOnlyAttribute) {
            ASSERT_TRUE(SetFileAttributesW(g_paths.ConfFilePath.c_str(), FILE_ATTRIBUTE_READONLY));
            // Root ignores the permission bits that stand for the attribute under Wine.
            HANDLE probe = CreateFileW(g_paths.ConfFilePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (probe != INVALID_HANDLE_VALUE) {
                CloseHandle(probe);
                std::cout << "[  SKIPPED ] " << c.label << ": the attribute does not stop writes here\n";
                continue;
            }
        } else {
            held = CreateFileW(g_paths.ConfFilePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }

        for (int poll = 0; poll < 3; ++poll) ScanDirectory(root.path(), L"LastMessage");
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_EQ(ShownNames(), std::vector<std::wstring>{L"20180911_120000.msg"});
        EXPECT_EQ(ReadFileBytes(g_paths.ConfFilePath), before);
        // The file can be read, so no read failure is reported; the lost write is.
        EXPECT_FALSE(Logged("[ERR]", "Konfigurationsdatei kann nicht gelesen werden"));
        EXPECT_TRUE(Logged("[ERR]", "LastMessage konnte nicht in die Konfigurationsdatei geschrieben werden:20180911120000"));
    }
}

TEST_F(StoredKeyTest, ConfigurationThatCannotBeCreatedShowsEveryMessageOnce) {
    PutTwo();
    g_paths.ConfFilePath = root / L"fehlt\\notiwell.conf";
    g_settings.LastMessage = L"20180911100000";
    for (int poll = 0; poll < 3; ++poll) ScanDirectory(root.path(), L"LastMessage");
    EXPECT_EQ(ShownNames(), std::vector<std::wstring>{L"20180911_120000.msg"});
    EXPECT_FALSE(FileExists(g_paths.ConfFilePath));
    EXPECT_FALSE(Logged("[ERR]", "Konfigurationsdatei kann nicht gelesen werden"));
}

TEST_F(StoredKeyTest, KeyLoweredByHandTakesEffectWhileTheFileWorks) {
    PutTwo();
    g_settings.LastMessage = L"20180911100000";
    WriteGlobalKey(L"LastMessage", L"20180911100000");
    ScanDirectory(root.path(), L"LastMessage");
    EXPECT_EQ(ShownNames(), std::vector<std::wstring>{L"20180911_120000.msg"});
    // Lowered below both the boot time and the run's own record: both messages come again.
    WriteGlobalKey(L"LastMessage", L"0");
    ScanDirectory(root.path(), L"LastMessage");
    EXPECT_EQ(ShownNames(), (std::vector<std::wstring>{L"20180911_120000.msg", L"20180911_090000.msg",
                                                       L"20180911_120000.msg"}));
    EXPECT_EQ(StoredText(L"LastMessage"), L"20180911120000");
    EXPECT_EQ(LogText().find("[ERR]"), std::string::npos);
}

TEST_F(StoredKeyTest, RaiseOfTheStartThatNeverReachedTheFileStillHolds) {
    // The start-up raised LastMessage to 10:00 in memory, but the file kept 08:00.
    PutTwo();
    g_settings.LastMessage = L"20180911100000";
    WriteGlobalKey(L"LastMessage", L"20180911080000");
    ScanDirectory(root.path(), L"LastMessage");
    ScanDirectory(root.path(), L"LastMessage");
    EXPECT_EQ(ShownNames(), std::vector<std::wstring>{L"20180911_120000.msg"});
    // The record reached the file, so from now on the stored value rules again.
    EXPECT_EQ(StoredText(L"LastMessage"), L"20180911120000");
    WriteGlobalKey(L"LastMessage", L"0");
    ScanDirectory(root.path(), L"LastMessage");
    EXPECT_EQ(g_shown.size(), 3u);
}

TEST_F(StoredKeyTest, MissingConfigurationIsCreatedByTheFirstRecord) {
    PutTwo();
    g_settings.LastMessage = L"20180911100000";
    ScanDirectory(root.path(), L"LastMessage");
    ScanDirectory(root.path(), L"LastMessage");
    // A missing file is not a working one: the key of the start stands in until it exists.
    EXPECT_EQ(ShownNames(), std::vector<std::wstring>{L"20180911_120000.msg"});
    EXPECT_EQ(StoredText(L"LastMessage"), L"20180911120000");
    EXPECT_EQ(LogText().find("[ERR]"), std::string::npos);
}
}  // namespace
