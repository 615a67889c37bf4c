// The start-up sequence: switches, write tests, settings, the watch-directory test, the
// single-instance guard and the boot-time rule for LastMessage.
#include "app/startup.h"

#include <windows.h>

#include "app/app_paths.h"
#include "app/exit_program.h"
#include "app/instance_guard.h"
#include "app/os_version.h"
#include "app/program_state.h"
#include "config/conf_file.h"
#include "config/settings.h"
#include "log/log_writer.h"
#include "ui/message_box.h"
#include "util/dir_listing.h"
#include "util/number.h"
#include "util/path.h"
#include "util/text.h"
#include "util/text_file.h"

std::vector<std::wstring> CommandLineParameters(const std::wstring& commandLine) {
    std::vector<std::wstring> tokens;
    std::wstring current;
    bool inToken = false;
    bool quoted = false;
    for (wchar_t c : commandLine) {
        if (c == L'"') {
            quoted = !quoted;
            inToken = true;  // "" still makes a (then empty) parameter
        } else if (c == L' ' && !quoted) {
            if (inToken) tokens.push_back(current);
            current.clear();
            inToken = false;
        } else {
            current += c;
            inToken = true;
        }
    }
    if (inToken) tokens.push_back(current);
    if (!tokens.empty()) tokens.erase(tokens.begin());  // the program's own path
    return tokens;
}

StartSwitches ParseSwitches(const std::vector<std::wstring>& parameters) {
    StartSwitches switches;
    for (const std::wstring& parameter : parameters) {
        const std::wstring upper = UpperCase(parameter);
        if (upper == L"/LOCAL") switches.local = true;
        else if (upper == L"/HIDDEN") switches.hidden = true;
    }
    return switches;
}

std::wstring InstanceName(const std::wstring& programPath) {
    std::wstring name = ReplaceAll(programPath, L"\\", L"_");
    name = ReplaceAll(name, L":", L"_");
    name = ReplaceAll(name, L" ", L"_");
    return ReplaceAll(name, L".", L"_");
}

std::wstring WithTrailingBackslash(const std::wstring& directory) {
    if (Substring(ReverseText(directory), 1, 1) != L"\\") return directory + L"\\";
    return directory;
}

int32_t UptimeSeconds(int64_t counter, int64_t frequency) {
    if (frequency <= 0) return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(counter / frequency)));
}

UptimeSplit SplitUptime(int32_t uptimeSeconds) {
    UptimeSplit split;
    split.days = uptimeSeconds / 86400;
    int32_t rest = uptimeSeconds % 86400;
    split.hours = rest / 3600;
    rest %= 3600;
    split.minutes = rest / 60;
    split.seconds = rest % 60;
    return split;
}

std::wstring UptimeLine(int32_t uptimeSeconds) {
    const UptimeSplit s = SplitUptime(uptimeSeconds);
    return L"QPF System Startzeit war vor " + Int64ToText(s.days) + L" Tage(n), " + Int64ToText(s.hours) +
           L" Stunden, " + Int64ToText(s.minutes) + L" Minuten, " + Int64ToText(s.seconds) + L" Sekunden";
}

std::wstring BootTimeKey(DateValue bootMoment) { return FormatDateMask(L"%yyyy%mm%dd%hh%ii%ss", bootMoment); }

bool LastMessageBeforeBoot(const std::wstring& lastMessage, const std::wstring& bootTimeKey) {
    return TextToInt64(lastMessage) < TextToInt64(bootTimeKey);
}

std::wstring InvalidWatchDirText(const std::wstring& watchDir) {
    return L"Ungültiges Verzeichnis zur Überwachung:\r" + watchDir + L"\rProgramm wird beendet.";
}

bool WriteTest(const std::wstring& directory, void (*afterWrite)()) {
    const std::wstring path = directory + L"nw_test.tmp";
    TextFilePtr file = CreateText(path);
    if (!file) return false;
    WriteLine(*file, L"TEST");
    if (afterWrite) afterWrite();
    CloseText(file);
    RemoveFile(path);
    return true;
}

namespace {
// Seconds since the system started and the moment it started, as the running version allows.
DateValue BootMoment() {
    if (OsVersionCode() >= 50) {
        LARGE_INTEGER frequency{}, counter{};
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&counter);
        const int32_t uptime = UptimeSeconds(counter.QuadPart, frequency.QuadPart);
        WriteLog(0, UptimeLine(uptime));
        // Negated without overflow: the most negative uptime stays itself.
        const int32_t back = static_cast<int32_t>(0u - static_cast<uint32_t>(uptime));
        return AddSeconds(LocalSeconds(), back);
    }
    return LocalSeconds() - static_cast<int32_t>(GetTickCount() / 1000);
}
}  // namespace

void RunStartup() {
    // 1. Switches.
    const StartSwitches switches = ParseSwitches(CommandLineParameters(GetCommandLineW()));
    if (switches.local) {
        PlaceFilesUnder(g_paths, g_paths.ProgramDir);
        MakeDirectory(g_paths.LogDir);
    }
    if (switches.hidden) g_state.HiddenMode = L"yes";

    // 2.-5. First lines and the write test in the program directory.
    WriteLog(0, L">>>>>>>>>> Programm wurde gestartet");
    WriteLog(0, L"Versuche auf Programmverzeichnis zu schreiben");
    const bool programDirWritable =
        WriteTest(g_paths.ProgramDir, [] { WriteLog(0, L"Programmverzeichnis Testfile konnte angelegt werden."); });
    if (!programDirWritable) WriteLog(0, L"Programmverzeichnis Testfile konnte nicht angelegt werden.");
    if (switches.local) WriteLog(0, L"Programmparameter /LOCAL erkannt.");
    if (switches.hidden) WriteLog(0, L"Programmparameter /HIDDEN erkannt.");
    WriteLog(0, L"Suche/Nutze CONF-File:" + g_paths.ConfFilePath);
    WriteLog(0, L"Suche/Nutze LOG -File:" + g_paths.LogFilePath);

    // 6.-8. Settings and the normalised watch directory.
    LoadSettings();
    g_settings.WatchDir = WithTrailingBackslash(g_settings.WatchDir);
    g_state.WatchDirBase = g_settings.WatchDir;

    // 9.-11. The watch directory must be listable; the listing serves only as the test.
    DirListingPtr listing = OpenListing(g_settings.WatchDir, L"*.msg");
    if (!listing) {
        WriteLog(1, L"Ungültiges Verzeichnis zur Überwachung:" + g_settings.WatchDir);
        if (g_settings.QuitMode == L"0")
            ShowProgramBox(InvalidWatchDirText(g_settings.WatchDir), ProgramFileName(), BoxIcon::Error);
        ExitProgram();
    }
    CloseListing(listing);
    WriteLog(0, L"Gültiges Verzeichnis zur Überwachung:" + g_settings.WatchDir);

    // 12. Ad hoc messages need a writable watch directory.
    if (g_settings.AllowAdhoc == L"1") {
        WriteLog(0, L"Versuche auf Überwachungsverzeichnis zu schreiben");
        const bool watchDirWritable = WriteTest(g_settings.WatchDir, [] {
            g_state.AdhocPossible = L"1";
            WriteLog(0, L"Überwachungsverzeichnis Testfile konnte angelegt werden. Adhoc wird aktiviert.");
        });
        if (!watchDirWritable)
            WriteLog(0, L"Überwachungsverzeichnis Testfile konnte nicht angelegt werden. Adhoc ist nicht möglich.");
    }

    // 13. One instance per program file.
    const std::wstring instanceName = InstanceName(g_paths.ProgramPath);
    WriteLog(0, L"Programm-Semaphor:" + instanceName);
    GuardSingleInstance(instanceName);

    // 14.-15. Messages from before this boot are never shown: LastMessage is raised to it.
    const std::wstring bootKey = BootTimeKey(BootMoment());
    WriteLog(0, L"Startzeit des Rechners:" + bootKey);
    if (LastMessageBeforeBoot(g_settings.LastMessage, bootKey)) {
        WriteLog(0, L"Startzeit wird als letzte Nachrichtenzeit gesetzt");
        g_settings.LastMessage = bootKey;
        ConfFile& conf = TheConfFile();
        conf.Open(g_paths.ConfFilePath);
        conf.SelectGroup(L"Global");
        conf.WriteString(L"LastMessage", g_settings.LastMessage);
        conf.Close();
    }
}
