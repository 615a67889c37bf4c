// The poll of the subdirectories that WatchSubDir lists, against the one shared key
// LastSubMessage.
#include "app/program_state.h"
#include "log/log_writer.h"
#include "watch/selection.h"
#include "watch/watch_scanner.h"

namespace SubdirScanner {
void Poll() {
    WriteDebugLog(L"Search:WatchSubDir:" + g_settings.WatchSubDir);
    if (g_settings.WatchSubDir.empty()) {
        WriteLog(0, L"Es scheint keine zu \u00fcberwachenden SubDirs zu geben");
    } else {
        g_state.WatchDirBase = g_settings.WatchDir;
        // One trailing comma goes per poll; the setting in the file stays as it is.
        DropTrailingComma(g_settings.WatchSubDir);
        for (const std::wstring& path : SubdirPaths(g_state.WatchDirBase, g_settings.WatchSubDir)) {
            g_settings.WatchDir = path;
            WriteDebugLog(L"Suche SubDir in:" + g_settings.WatchDir);
            ScanDirectory(g_settings.WatchDir, L"LastSubMessage");
        }
    }
    if (DebugOn())
        WriteLog(0, L"Search:WatchSubDir:Ende. Variablen wieder hergestellt:" + g_settings.WatchDir + L" von:" +
                        g_state.WatchDirBase);
    g_settings.WatchDir = g_state.WatchDirBase;
}
}  // namespace SubdirScanner
