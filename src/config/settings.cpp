// Loading the settings of group "Global" at start-up, and the poll interval they give.
#include "config/settings.h"

#include "app/program_state.h"
#include "config/conf_file.h"
#include "config/folder_dialog.h"
#include "log/log_writer.h"
#include "util/number.h"

bool IsNumericText(const std::wstring& text) {
    if (text.empty()) return false;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
    }
    return true;
}

int32_t PollIntervalMsFromSeconds(const std::wstring& digits) {
    // Unsigned arithmetic: the product wraps like the 64-bit multiply it stands for.
    const uint64_t product = static_cast<uint64_t>(TextToInt64(digits)) * 1000u;
    const int32_t ms = static_cast<int32_t>(static_cast<uint32_t>(product & 0xFFFFFFFFu));
    return ms < 1000 ? 1000 : ms;
}

void LoadSettings() {
    ConfFile& conf = TheConfFile();
    const std::wstring path = g_paths.ConfFilePath;
    if (!conf.Open(path)) {
        WriteLog(1, L"Kann Conf File:'" + path + L"' nicht öffnen");
        return;
    }
    WriteLog(0, L"Lese Conf File:'" + path + L"'");
    conf.SelectGroup(L"Global");

    Settings& s = g_settings;
    s.Debug = conf.ReadString(L"Debug", L"0");
    s.WatchDir = conf.ReadString(L"WatchDir", g_paths.ProgramDir);
    if (s.WatchDir.empty()) {
        const std::wstring chosen = BrowseForWatchDir();
        if (chosen.empty()) {
            WriteLog(0, L"WatchDir Dialog wurde abgebrochen. Standardpfad C: wird gesetzt");
            s.WatchDir = L"C:\\";
        } else {
            WriteLog(0, L"WatchDir wurde per Dialog gesetzt");
            s.WatchDir = chosen;
        }
        conf.WriteString(L"WatchDir", s.WatchDir);
    }
    s.AllowAdhoc = conf.ReadString(L"AllowAdhoc", L"0");
    s.QuitMode = conf.ReadString(L"QuitMode", L"0");
    s.NotifyActDay = conf.ReadString(L"NotifyActDay", L"1");
    s.NotifyActTime = conf.ReadString(L"NotifyActTime", L"1");
    s.LastMessage = conf.ReadString(L"LastMessage", L"");
    s.WatchSubDir = conf.ReadString(L"WatchSubDir", L"");
    s.Pollintervall = conf.ReadString(L"Pollintervall", L"");

    if (IsNumericText(s.Pollintervall)) {
        g_state.PollIntervalMs = PollIntervalMsFromSeconds(s.Pollintervall);
    } else {
        WriteLog(1, L"Ungültiger Wert für Pollintervall. Standard von 1 wird gesetzt");
        s.Pollintervall = L"1";
        g_state.PollIntervalMs = 1000;
    }

    WriteLog(0, L"Conf-Werte:");
    WriteLog(0, L"DebugMode    =" + s.Debug);
    WriteLog(0, L"QuitMode     =" + s.QuitMode);
    WriteLog(0, L"WatchDir     =" + s.WatchDir);
    WriteLog(0, L"WatchSubDir  =" + s.WatchSubDir);
    WriteLog(0, L"NotifyActDay =" + s.NotifyActDay);
    WriteLog(0, L"NotifyActTime=" + s.NotifyActTime);
    WriteLog(0, L"AllowAdhoc   =" + s.AllowAdhoc);
    WriteLog(0, L"LastMessage  =" + s.LastMessage);
    WriteLog(0, L"Pollintervall=" + s.Pollintervall);
    conf.Close();
}
