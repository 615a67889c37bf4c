// The sample configuration file shipped in the release packages, read by the program itself:
// it must give the values its comments document, which are the program's own defaults.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "config/conf_file.h"
#include "config/settings.h"
#include "settings_env.h"

namespace {
const std::string kBom = "\xEF\xBB\xBF";

// The shipped file in the source tree. The tests run under Wine, which reaches the Linux
// file system through drive Z:.
std::wstring SamplePath() {
    std::wstring path = Utf8ToWide(NOTIWELL_SOURCE_DIR "/packaging/notiwell.conf");
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

std::vector<std::string> SplitCrLf(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

struct Loaded {
    Settings settings;
    int32_t pollMs;
    std::vector<std::string> log;
};

class SampleConfTest : public SettingsEnv {
protected:
    void SetUp() override {
        SettingsEnv::SetUp();
        sample_ = ReadFileBytes(SamplePath());
        ASSERT_FALSE(sample_.empty()) << "cannot read " << Narrow(SamplePath());
    }
    Loaded LoadFrom(const std::string& bytes) {
        ResetRecords();
        ClearLog();
        WriteConf(bytes);
        LoadSettings();
        return {g_settings, g_state.PollIntervalMs, LogLines()};
    }
    std::string sample_;
};

TEST_F(SampleConfTest, LoadsTheDocumentedValuesWithoutErrorAndLeavesTheFileAsItWas) {
    const Loaded got = LoadFrom(sample_);
    struct Case {
        const char* key;
        std::wstring value;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"Debug", got.settings.Debug, L"0"},
        {"WatchDir", got.settings.WatchDir, L"\\\\server\\notiwell\\"},  // the example share
        {"AllowAdhoc", got.settings.AllowAdhoc, L"0"},
        {"QuitMode", got.settings.QuitMode, L"0"},
        {"NotifyActDay", got.settings.NotifyActDay, L"1"},
        {"NotifyActTime", got.settings.NotifyActTime, L"1"},
        {"LastMessage", got.settings.LastMessage, L""},
        {"WatchSubDir", got.settings.WatchSubDir, L""},
        {"Pollintervall", got.settings.Pollintervall, L"1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(c.value, c.expected);
    }
    EXPECT_EQ(got.pollMs, 1000);
    ASSERT_FALSE(got.log.empty());
    EXPECT_EQ(got.log.front(), Info(L"Lese Conf File:'" + g_paths.ConfFilePath + L"'"));
    for (const std::string& line : got.log) {
        EXPECT_NE(line.rfind("[ERR] ", 0), 0u) << line;
    }
    // A set WatchDir means no folder dialog and nothing written back.
    EXPECT_EQ(ReadFileBytes(g_paths.ConfFilePath), sample_);

    // The subdirectory poll reads its key itself, with "0" for a missing key.
    ConfFile conf;
    ASSERT_TRUE(conf.Open(g_paths.ConfFilePath));
    EXPECT_TRUE(conf.SelectGroup(L"Global"));
    EXPECT_EQ(conf.ReadString(L"LastSubMessage", L"0"), L"");
    conf.Close();
}

TEST_F(SampleConfTest, GivesTheSameValuesAsAFileWithoutTheKeys) {
    // Only the watch folder differs from a file that leaves every other key out (which
    // also logs the error line for the missing Pollintervall).
    const Loaded bare = LoadFrom(kBom + "\r\n[Global]\r\nWatchDir = \\\\server\\notiwell\\\r\n");
    const Loaded sample = LoadFrom(sample_);
    EXPECT_EQ(sample.settings.Debug, bare.settings.Debug);
    EXPECT_EQ(sample.settings.WatchDir, bare.settings.WatchDir);
    EXPECT_EQ(sample.settings.AllowAdhoc, bare.settings.AllowAdhoc);
    EXPECT_EQ(sample.settings.QuitMode, bare.settings.QuitMode);
    EXPECT_EQ(sample.settings.NotifyActDay, bare.settings.NotifyActDay);
    EXPECT_EQ(sample.settings.NotifyActTime, bare.settings.NotifyActTime);
    EXPECT_EQ(sample.settings.LastMessage, bare.settings.LastMessage);
    EXPECT_EQ(sample.settings.WatchSubDir, bare.settings.WatchSubDir);
    EXPECT_EQ(sample.settings.Pollintervall, bare.settings.Pollintervall);
    EXPECT_EQ(sample.settings.LastSubMessage, bare.settings.LastSubMessage);
    EXPECT_EQ(sample.pollMs, bare.pollMs);
}

TEST_F(SampleConfTest, EveryKeyOfGlobalHasACommentAboveWithTheDefaultItSets) {
    ASSERT_EQ(sample_.compare(0, 3, kBom), 0) << "no byte-order mark";
    const std::vector<std::string> lines = SplitCrLf(sample_.substr(3));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "[Global]");

    std::map<std::string, std::string> values;
    for (size_t i = 2; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.rfind("; ", 0) == 0) continue;
        SCOPED_TRACE(line);
        const size_t eq = line.find(" = ");
        ASSERT_NE(eq, std::string::npos) << "not a key line in the program's own form";
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 3);
        EXPECT_TRUE(values.emplace(key, value).second) << "key twice";
        ASSERT_GE(i, 3u);
        const std::string& comment = lines[i - 1];
        EXPECT_EQ(comment.rfind("; " + key + ": ", 0), 0u) << "comment above: " << comment;
        const std::string documented =
            key == "WatchDir" ? "(Beispiel, bitte anpassen)" : "(Standard " + (value.empty() ? "leer" : value) + ")";
        EXPECT_NE(comment.find(documented), std::string::npos) << "comment above: " << comment;
    }
    const char* keys[] = {"Debug",         "WatchDir",    "AllowAdhoc",     "QuitMode",     "NotifyActDay",
                          "NotifyActTime", "LastMessage", "WatchSubDir",    "LastSubMessage", "Pollintervall"};
    for (const char* key : keys) {
        EXPECT_EQ(values.count(key), 1u) << key;
    }
    EXPECT_EQ(values.size(), sizeof(keys) / sizeof(keys[0]));
}

TEST_F(SampleConfTest, IsAlreadyInTheFormTheProgramRewritesItTo) {
    // The first write by the program must not reshuffle an administrator's copy.
    WriteConf(sample_);
    ConfFile conf;
    ASSERT_TRUE(conf.Open(g_paths.ConfFilePath));
    conf.SelectGroup(L"Global");
    conf.WriteString(L"Debug", conf.ReadString(L"Debug"));
    conf.Close();
    EXPECT_EQ(ReadFileBytes(g_paths.ConfFilePath), sample_);
}
}  // namespace
