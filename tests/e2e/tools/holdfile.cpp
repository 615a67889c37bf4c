// Opens a file with a chosen access and sharing mode and holds it until it is killed, so
// end-to-end tests can see how the program copes with a file another process has open.
//
//   holdfile.exe PATH [--access r|w|rw] [--share none|r|w|d|rw|rd|wd|rwd] [--create]
//                     [--ready READYPATH]
//
//   --access  what the handle may do (default rw)
//   --share   what other openers may do meanwhile (default none)
//   --create  create the file when it is missing (default: it must exist)
//   --ready   once the open is decided, this file receives "held" or "error N" (N is
//             GetLastError); wait for it before going on
// Exit code: 2 when the open failed, 1 for a bad command line; otherwise it runs until killed.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {
void WriteReady(const std::wstring& readyPath, const std::string& text) {
    if (readyPath.empty()) return;
    // Written under another name and moved into place, so a reader never sees half of it.
    const std::wstring temp = readyPath + L".part";
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
    MoveFileExW(temp.c_str(), readyPath.c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool ParseShare(const std::wstring& text, DWORD& share) {
    share = 0;
    if (text == L"none") return true;
    for (wchar_t c : text) {
        if (c == L'r') share |= FILE_SHARE_READ;
        else if (c == L'w') share |= FILE_SHARE_WRITE;
        else if (c == L'd') share |= FILE_SHARE_DELETE;
        else return false;
    }
    return !text.empty();
}

bool ParseAccess(const std::wstring& text, DWORD& access) {
    if (text == L"r") access = GENERIC_READ;
    else if (text == L"w") access = GENERIC_WRITE;
    else if (text == L"rw") access = GENERIC_READ | GENERIC_WRITE;
    else return false;
    return true;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: holdfile PATH [--access r|w|rw] [--share none|rwd] [--create] [--ready FILE]\n");
        return 1;
    }
    const std::wstring path = argv[1];
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD share = 0;
    DWORD disposition = OPEN_EXISTING;
    std::wstring ready;
    for (int i = 2; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == L"--access" && hasValue) {
            if (!ParseAccess(argv[++i], access)) return 1;
        } else if (arg == L"--share" && hasValue) {
            if (!ParseShare(argv[++i], share)) return 1;
        } else if (arg == L"--create") {
            disposition = OPEN_ALWAYS;
        } else if (arg == L"--ready" && hasValue) {
            ready = argv[++i];
        } else {
            return 1;
        }
    }
    HANDLE h = CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        WriteReady(ready, "error " + std::to_string(GetLastError()));
        return 2;
    }
    WriteReady(ready, "held");
    for (;;) Sleep(1000);
}
