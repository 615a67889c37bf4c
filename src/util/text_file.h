// Text files read and written line by line through a 4096-byte buffer. No byte-order mark
// is ever written, expected or skipped.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

enum class TextEncoding { Utf8, Ansi };

class TextFile;
// The deleter lets callers hold the owner while TextFile stays opaque; dropping an open file
// writes out its buffer and closes it, like CloseText.
struct TextFileDeleter {
    void operator()(TextFile* file) const;
};
using TextFilePtr = std::unique_ptr<TextFile, TextFileDeleter>;

TextFilePtr OpenRead(const std::wstring& path);    // existing file, read only, shared with nobody
TextFilePtr CreateText(const std::wstring& path);  // created or emptied, shared with nobody
TextFilePtr OpenShared(const std::wstring& path);  // read/write, created if missing, others may read
bool AtEnd(TextFile& file);
std::wstring ReadLine(TextFile& file);
void WriteLine(TextFile& file, const std::wstring& text, TextEncoding encoding = TextEncoding::Utf8);
int64_t FileLength(TextFile& file);
void SeekTo(TextFile& file, int64_t position);
// Writes out the buffer and closes; true when every write since opening reached the file.
bool CloseText(TextFilePtr& file);
