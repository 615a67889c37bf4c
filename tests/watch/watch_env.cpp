// The shared test folder and recorders of the watch tests.
#include "watch_env.h"

#include <windows.h>

#include "config/conf_file.h"
#include "ui/message_window.h"
#include "watch/stored_key.h"

std::vector<ShownMessage> g_shown;
std::vector<ShownBox> g_boxes;
std::wstring g_watchedKey = L"LastMessage";

namespace {
DateValue g_now = 0;
DateValue FixedClock() { return g_now; }

void RecordMessage(const std::wstring& text, const std::wstring& fileName, int32_t extraHeight, int32_t extraWidth) {
    g_shown.push_back({text, fileName, extraHeight, extraWidth, ReadGlobalKey(g_watchedKey, L"")});
}

void RecordBox(const std::wstring& text, const std::wstring& caption, BoxIcon icon) {
    g_boxes.push_back({text, caption, icon});
}
}  // namespace

void WatchEnv::SetUp() {
    g_paths = AppPaths{};
    g_paths.ProgramPath = root / L"notiwell.exe";
    g_paths.ProgramDir = root.path();
    g_paths.DataRoot = root.path();
    g_paths.LogDir = root.path();
    g_paths.LogFilePath = root / L"notiwell.log";
    g_paths.ConfFilePath = root / L"notiwell.conf";
    g_settings = Settings{};
    g_settings.NotifyActDay = L"0";
    g_settings.NotifyActTime = L"0";
    g_state = AppState{};
    g_shown.clear();
    g_boxes.clear();
    g_watchedKey = L"LastMessage";
    ForgetRunKeysForTesting();
    SetNow({2018, 9, 11, 15, 30, 0});
    SetClockHookForTesting(FixedClock);
    SetMessageWindowHookForTesting(RecordMessage);
    SetBoxHookForTesting(RecordBox);
}

void WatchEnv::TearDown() {
    SetMessageWindowHookForTesting(nullptr);
    SetBoxHookForTesting(nullptr);
    SetClockHookForTesting(nullptr);
}

void WatchEnv::SetNow(const CivilTime& t) { g_now = DateFromCivil(t); }

void WatchEnv::Put(const std::wstring& relativePath, const std::string& bytes) {
    ASSERT_TRUE(WriteFileBytes(root / relativePath, bytes)) << Narrow(relativePath);
}

std::vector<std::wstring> WatchEnv::ListedNames(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"*.msg").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

std::string WatchEnv::LogText() const { return ReadFileBytes(g_paths.LogFilePath); }

bool WatchEnv::Logged(const std::string& marker, const std::string& text) const {
    const std::string log = LogText();
    std::size_t start = 0;
    while (start < log.size()) {
        std::size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(start, end - start);
        if (line.find(marker) != std::string::npos && line.find(text) != std::string::npos) return true;
        start = end + 1;
    }
    return false;
}
