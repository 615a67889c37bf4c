// Storage of the process-wide records and the names derived from the program's path.
#include "app/program_state.h"

#include "util/path.h"
#include "util/text.h"

AppPaths g_paths;
Settings g_settings;
AppState g_state;

std::wstring ProgramFileName() { return PathFilePart(g_paths.ProgramPath); }

std::wstring ProgramTitle() { return ReplaceAll(ProgramFileName(), L".exe", L""); }
