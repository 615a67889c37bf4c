// The paths the program works with, derived from its own location, and the first values of
// the process-wide records.
#pragma once
#include <cstdint>
#include <string>

#include "app/program_state.h"

// The executable's path as GetModuleFileNameW gives it (at most 260 characters), without a
// leading "\\?\".
std::wstring QueryProgramPath();
std::wstring StripLongPathPrefix(const std::wstring& path);

// ProgramPath and ProgramDir from the program's path; DataRoot is ProgramDir for version
// codes of 60 or less, otherwise appData + "\Notiwell\"; LogDir, LogFilePath and ConfFilePath
// below DataRoot.
AppPaths DeriveAppPaths(const std::wstring& programPath, int32_t osVersionCode, const std::wstring& appData);

// Points LogDir, LogFilePath and ConfFilePath at root (which ends with a separator), keeping
// the program's own path, ProgramDir and DataRoot.
void PlaceFilesUnder(AppPaths& paths, const std::wstring& root);

// The value of an environment variable; an unset one gives "".
std::wstring EnvironmentValue(const std::wstring& name);

// Creates DataRoot when the version code is above 60, then LogDir; one level each, results
// ignored (a missing parent leaves both uncreated).
void CreateDataDirectories(const AppPaths& paths, int32_t osVersionCode);

// At entry: first values of Settings and AppState, the paths, and the data and log
// directories (DataRoot only for version codes above 60; results ignored).
void InitProgramState();
