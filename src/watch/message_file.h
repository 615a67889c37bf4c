// Message files: yyyymmdd_hhiiss.msg, UTF-8 without byte-order mark, lines ended by CR LF.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "util/date.h"

using MessageKey = int64_t;

MessageKey MessageKeyOf(const std::wstring& fileName);
// The file's lines, or none when it cannot be opened. An open that meets a sharing violation
// is tried again every kSharingRetryStepMs for up to kSharingRetryMs in all.
std::optional<std::vector<std::wstring>> ReadMessageFile(const std::wstring& path);
constexpr unsigned kSharingRetryMs = 1000;
constexpr unsigned kSharingRetryStepMs = 50;
// Every line followed by one carriage return.
std::wstring MessageText(const std::vector<std::wstring>& lines);
// Writes a new message file into directory (which ends with "\"); true on success.
bool WriteMessageFile(const std::wstring& directory, const std::wstring& text);

// A message file is read up to this many bytes. That is far more than a message window can
// show, and it keeps a huge or runaway file from filling memory or stalling the poll.
constexpr std::size_t kMessageReadLimit = 65536;

struct MessageFileContent {
    std::vector<std::wstring> lines;
    bool cut = false;        // the file held more than kMessageReadLimit bytes
    unsigned waitedMs = 0;   // how long the open waited for another process to let go
};
// Like ReadMessageFile, and tells whether the file was cut at kMessageReadLimit.
std::optional<MessageFileContent> ReadMessageFileBounded(const std::wstring& path);

// The lines of a message file's bytes, cut by the program's text-line rules (ReadTextLine).
std::vector<std::wstring> SplitMessageLines(const std::string& bytes);
// yyyymmdd_hhiiss.msg for the date value when.
std::wstring MessageFileName(DateValue when);
// How many following seconds WriteMessageFile tries when a name is already taken.
constexpr int kMessageNameAttempts = 60;
