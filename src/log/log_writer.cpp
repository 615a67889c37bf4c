// The log writer: each call checks the size, rotates past 1,000,000 bytes, opens the log,
// appends one line in the ANSI code page and closes it again.
#include "log/log_writer.h"

#include <windows.h>

#include "app/program_state.h"
#include "util/path.h"
#include "util/text_file.h"

namespace {
constexpr int64_t kRotateAbove = 1000000;
const wchar_t kCannotOpenLog[] = L"Kann keine Logdatei erstellen";

// One pass through the steps. When the log cannot be opened, the failure line goes through
// the same steps once more; if that fails too the line is lost and nothing else happens.
void AppendLogLine(int level, const std::wstring& text, bool reportingFailure) {
    const std::wstring path = g_paths.LogFilePath;
    if (FileSize(path) > kRotateAbove) RenameFile(path, RotatedLogName(path, LocalSeconds()));

    TextFilePtr file = OpenShared(path);
    if (!file) {
        if (!reportingFailure) AppendLogLine(1, kCannotOpenLog, true);
        return;
    }
    SeekTo(*file, FileLength(*file));
    WriteLine(*file, FormatLogLine(LocalSeconds(), CurrentUserName(), level, text), TextEncoding::Ansi);
    CloseText(file);
}
}  // namespace

void WriteLog(int level, const std::wstring& text) { AppendLogLine(level, text, false); }

void WriteDebugLog(const std::wstring& text) {
    if (DebugOn()) WriteLog(0, text);
}

std::wstring CurrentUserName() {
    constexpr DWORD kLength = 260;
    wchar_t buffer[kLength];
    for (wchar_t& c : buffer) c = L' ';
    DWORD size = kLength;
    GetUserNameW(buffer, &size);  // a failed call leaves the blanks, and they are the name
    size_t end = 0;
    while (end < kLength && buffer[end] != 0) ++end;
    return std::wstring(buffer, end);
}

std::wstring FormatLogLine(DateValue now, const std::wstring& user, int level, const std::wstring& text) {
    return FormatDateMask(L"%dd.%mm.%yyyy %hh:%ii:%ss", now) + L" " + user + (level == 0 ? L" [LOG] " : L" [ERR] ") +
           text;
}

std::wstring RotatedLogName(const std::wstring& logPath, DateValue now) {
    return logPath + L"_" + FormatDateMask(L"%dd%mm%yyyy_%hh%ii%ss", now);
}
