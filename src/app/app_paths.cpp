// Deriving the program's paths and giving the process-wide records their first values.
#include "app/app_paths.h"

#include <windows.h>

#include <vector>

#include "app/os_version.h"
#include "util/path.h"
#include "util/text.h"

std::wstring StripLongPathPrefix(const std::wstring& path) {
    static const std::wstring kPrefix = L"\\\\?\\";
    if (path.compare(0, kPrefix.size(), kPrefix) == 0) return path.substr(kPrefix.size());
    return path;
}

std::wstring QueryProgramPath() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH + 1);
    // A path that did not fit comes back cut short; keep what fits into 260 characters.
    const DWORD kept = length > MAX_PATH ? MAX_PATH : length;
    return StripLongPathPrefix(std::wstring(buffer, kept));
}

void PlaceFilesUnder(AppPaths& paths, const std::wstring& root) {
    const std::wstring fileName = PathFilePart(paths.ProgramPath);
    paths.LogDir = root + L"log\\";
    paths.LogFilePath = paths.LogDir + ReplaceAll(fileName, L".exe", L".log");
    paths.ConfFilePath = root + ReplaceAll(fileName, L".exe", L".conf");
}

AppPaths DeriveAppPaths(const std::wstring& programPath, int32_t osVersionCode, const std::wstring& appData) {
    AppPaths paths;
    paths.ProgramPath = programPath;
    paths.ProgramDir = PathDirectoryPart(programPath);
    paths.DataRoot = osVersionCode <= 60 ? paths.ProgramDir : appData + L"\\Notiwell\\";
    PlaceFilesUnder(paths, paths.DataRoot);
    return paths;
}

std::wstring EnvironmentValue(const std::wstring& name) {
    const DWORD needed = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (needed == 0) return L"";
    std::vector<wchar_t> buffer(needed);
    const DWORD length = GetEnvironmentVariableW(name.c_str(), buffer.data(), needed);
    if (length == 0 || length >= needed) return L"";
    return std::wstring(buffer.data(), length);
}

void CreateDataDirectories(const AppPaths& paths, int32_t osVersionCode) {
    if (osVersionCode > 60) MakeDirectory(paths.DataRoot);
    MakeDirectory(paths.LogDir);
}

void InitProgramState() {
    g_settings = Settings{};
    g_settings.Debug = L"0";
    g_settings.QuitMode = L"0";
    const int32_t code = OsVersionCode();
    g_paths = DeriveAppPaths(QueryProgramPath(), code, code <= 60 ? L"" : EnvironmentValue(L"APPDATA"));
    g_settings.WatchDir = g_paths.ProgramDir;
    g_state = AppState{};
    CreateDataDirectories(g_paths, OsVersionCode());
}
