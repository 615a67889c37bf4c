// Message files: yyyymmdd_hhiiss.msg, UTF-8 without byte-order mark, lines ended by CR LF.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using MessageKey = int64_t;

MessageKey MessageKeyOf(const std::wstring& fileName);
// The file's lines, or none when it cannot be opened.
std::optional<std::vector<std::wstring>> ReadMessageFile(const std::wstring& path);
// Every line followed by one carriage return.
std::wstring MessageText(const std::vector<std::wstring>& lines);
// Writes a new message file into directory (which ends with "\"); true on success.
bool WriteMessageFile(const std::wstring& directory, const std::wstring& text);
