// Path texts and the small file-system operations (paths up to 260 characters).
#pragma once
#include <cstdint>
#include <string>

std::wstring PathDirectoryPart(const std::wstring& path);  // up to and including the last "\" or "/"
std::wstring PathFilePart(const std::wstring& path);       // after the last "\" or "/"
bool MakeDirectory(const std::wstring& path);              // one level; false if it exists or fails
int64_t FileSize(const std::wstring& path);                // bytes; -1 missing; -2 directory
bool RenameFile(const std::wstring& oldPath, const std::wstring& newPath);  // never replaces
bool RemoveFile(const std::wstring& path);                 // a read-only file stays
