// The program's process-wide records: its paths, its settings and its run-time state.
// Each exists once for the life of the process and is read and written in place.
#pragma once
#include <cstdint>
#include <string>

struct AppPaths {
    std::wstring ProgramPath;   // full path of the running executable
    std::wstring ProgramDir;    // ends with a separator
    std::wstring DataRoot;
    std::wstring LogDir;
    std::wstring LogFilePath;
    std::wstring ConfFilePath;
};

// Every setting is text and is compared as a whole, case-sensitive text.
struct Settings {
    std::wstring Debug = L"0";
    std::wstring WatchDir;
    std::wstring WatchSubDir;
    std::wstring Pollintervall = L"0";
    std::wstring AllowAdhoc;
    std::wstring QuitMode = L"0";
    std::wstring NotifyActDay;
    std::wstring NotifyActTime;
    std::wstring LastMessage;
    std::wstring LastSubMessage;
};

struct AppState {
    int32_t Monitoring = 1;
    std::wstring HiddenMode = L"no";
    std::wstring AdhocPossible = L"0";
    int32_t PollIntervalMs = 0;
    std::wstring WatchDirBase;
    int32_t MessageWindowFlags = 1;
};

extern AppPaths g_paths;
extern Settings g_settings;
extern AppState g_state;

// The program's file name with its extension, e.g. notify.exe.
std::wstring ProgramFileName();
// The file name with every ".exe" removed, e.g. notify.
std::wstring ProgramTitle();
// True while the setting Debug is exactly "1": debug lines are written only then.
inline bool DebugOn() { return g_settings.Debug == L"1"; }
