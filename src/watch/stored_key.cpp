// The stored keys of the polls and this run's own record of them.
#include "watch/stored_key.h"

#include <windows.h>

#include <algorithm>
#include <map>

#include "app/program_state.h"
#include "config/conf_file.h"
#include "log/log_writer.h"
#include "util/number.h"

namespace {
struct RunKey {
    bool recorded = false;
    MessageKey newest = 0;   // the key this run recorded last, what the file should hold
    bool writeLost = false;  // that record did not reach the configuration file
    bool startChecked = false;
};
std::map<std::wstring, RunKey> g_runKeys;
bool g_readFailureLogged = false;

// Before anything was recorded: LastMessage as the start-up left it (raised to the boot
// time); LastSubMessage has no such key.
MessageKey StartKey(const std::wstring& keyName) {
    return keyName == L"LastMessage" ? TextToInt64(g_settings.LastMessage) : 0;
}

enum class StoredRead { Read, Missing, Unreadable };

// The stored text of keyName ("0" when absent). A missing file is told apart from one that is
// there but cannot be opened (held by another process, no permission): only the latter is
// reported, since the next record creates a missing file.
StoredRead ReadStored(const std::wstring& keyName, std::wstring& value) {
    ConfFile& conf = TheConfFile();
    const bool opened = conf.Open(g_paths.ConfFilePath);
    bool missing = false;
    if (!opened && GetFileAttributesW(g_paths.ConfFilePath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    conf.SelectGroup(L"Global");
    value = conf.ReadString(keyName, L"0");
    conf.Close();
    return opened ? StoredRead::Read : missing ? StoredRead::Missing : StoredRead::Unreadable;
}
}  // namespace

MessageKey KeyToBeat(bool fileWorks, MessageKey stored, MessageKey runFloor) {
    return fileWorks ? stored : std::max(stored, runFloor);
}

MessageKey CurrentKeyToBeat(const std::wstring& keyName) {
    std::wstring text;
    const StoredRead read = ReadStored(keyName, text);
    if (read == StoredRead::Unreadable && !g_readFailureLogged) {
        WriteLog(1, L"Konfigurationsdatei kann nicht gelesen werden:" + g_paths.ConfFilePath);
        g_readFailureLogged = true;
    } else if (read != StoredRead::Unreadable) {
        g_readFailureLogged = false;
    }
    RunKey& run = g_runKeys[keyName];
    const MessageKey floor = run.recorded ? run.newest : StartKey(keyName);
    const MessageKey stored = read == StoredRead::Read ? TextToInt64(text) : 0;
    // The start-up wrote its raise to the boot time moments ago: a lower value at the first
    // look means that write never reached the file, and it counts as a lost record.
    if (!run.startChecked && read == StoredRead::Read) {
        run.startChecked = true;
        if (!run.recorded && stored < floor) run.writeLost = true;
    }
    return KeyToBeat(read == StoredRead::Read && !run.writeLost, stored, floor);
}

void RecordKey(const std::wstring& keyName, MessageKey key) {
    const std::wstring text = Int64ToText(key);
    WriteGlobalKey(keyName, text);
    std::wstring back;
    const bool reached = ReadStored(keyName, back) == StoredRead::Read && back == text;
    RunKey& run = g_runKeys[keyName];
    if (!reached) {
        WriteLog(1, keyName + L" konnte nicht in die Konfigurationsdatei geschrieben werden:" + text);
    } else if (run.writeLost) {
        WriteLog(0, keyName + L" wird wieder in der Konfigurationsdatei gespeichert:" + text);
    }
    run.recorded = true;
    run.newest = key;
    run.writeLost = !reached;
}

void ForgetRunKeysForTesting() {
    g_runKeys.clear();
    g_readFailureLogged = false;
}
