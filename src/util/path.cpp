// Path texts and the small file-system operations.
#include <windows.h>

#include "util/path.h"

namespace {
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

size_t AfterLeadingQuote(const std::wstring& path) { return !path.empty() && path[0] == L'"' ? 1 : 0; }

bool IsDriveRootForm(const std::wstring& path) {
    if (path.size() < 2 || path.size() > 3 || path[1] != L':') return false;
    const wchar_t c = path[0];
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}
}  // namespace

std::wstring PathDirectoryPart(const std::wstring& path) {
    const size_t begin = AfterLeadingQuote(path);
    size_t end = path.find(L'|', begin);
    if (end == std::wstring::npos) end = path.size();
    size_t last = std::wstring::npos;
    for (size_t i = begin; i < end; ++i)
        if (IsSeparator(path[i])) last = i;
    if (last == std::wstring::npos) return std::wstring();
    return path.substr(begin, last + 1 - begin);
}

std::wstring PathFilePart(const std::wstring& path) {
    size_t begin = AfterLeadingQuote(path);
    for (size_t i = begin; i < path.size(); ++i)
        if (IsSeparator(path[i])) begin = i + 1;
    const size_t quote = path.find(L'"', begin);
    return path.substr(begin, quote == std::wstring::npos ? std::wstring::npos : quote - begin);
}

bool MakeDirectory(const std::wstring& path) {
    size_t end = path.size();
    while (end > 0 && (path[end - 1] == L' ' || IsSeparator(path[end - 1]))) --end;
    if (end == 0) return false;
    return CreateDirectoryW(path.substr(0, end).c_str(), nullptr) != FALSE;
}

int64_t FileSize(const std::wstring& path) {
    if (path.empty()) return -1;
    if (IsDriveRootForm(path)) {
        const std::wstring root = path.substr(0, 2) + L"\\";
        const UINT type = GetDriveTypeW(root.c_str());
        return type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN ? -1 : -2;
    }
    size_t end = path.size();
    while (end > 0 && IsSeparator(path[end - 1])) --end;
    const std::wstring name = path.substr(0, end);
    // A wildcard names no file: looked up literally it is simply not found.
    if (name.empty() || name.find_first_of(L"*?") != std::wstring::npos) return -1;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -2;
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool RenameFile(const std::wstring& oldPath, const std::wstring& newPath) {
    return MoveFileW(oldPath.c_str(), newPath.c_str()) != FALSE;
}

bool RemoveFile(const std::wstring& path) { return DeleteFileW(path.c_str()) != FALSE; }
