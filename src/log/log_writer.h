// The log: one line per call, appended to LogFilePath in the ANSI code page, rotated
// past 1,000,000 bytes. Keeps no state between calls.
#pragma once
#include <string>

#include "util/date.h"

// level 0 writes an information line ([LOG]), any other level an error line ([ERR]).
void WriteLog(int level, const std::wstring& text);
// A level-0 line written only while the setting Debug is "1".
void WriteDebugLog(const std::wstring& text);
// The logon name of the process's user, read anew for every line.
std::wstring CurrentUserName();
// The line without its line end: time stamp, blank, user, marker, text.
std::wstring FormatLogLine(DateValue now, const std::wstring& user, int level, const std::wstring& text);
// The name a log file is moved aside to: full name + "_" + ddmmyyyy_hhiiss.
std::wstring RotatedLogName(const std::wstring& logPath, DateValue now);
