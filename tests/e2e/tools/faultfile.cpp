// Plays the other process in the fault tests: a writer that holds a new message file while it
// writes it, and a file whose delete is pending because another handle still has it open.
//
//   faultfile.exe slowwrite PATH MS TEXT   creates PATH shared with nobody, writes the first
//                                          half of TEXT, waits MS milliseconds, writes the
//                                          rest and closes it; exit code 0 when all was written
//   faultfile.exe pendingdelete PATH READY opens PATH for deletion on close (shared with all),
//                                          so the file stays listed but cannot be opened; writes
//                                          "held" or "error N" to READY, then waits until killed
// Exit code: 2 when PATH could not be opened or written, 1 for a bad command line.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {
void WriteReady(const std::wstring& readyPath, const std::string& text) {
    const std::wstring temp = readyPath + L".part";
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
    MoveFileExW(temp.c_str(), readyPath.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                            nullptr);
    return bytes;
}

bool WriteBytes(HANDLE h, const std::string& bytes) {
    DWORD written = 0;
    return bytes.empty() ||
           (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size());
}

int SlowWrite(const std::wstring& path, DWORD ms, const std::wstring& text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return 2;
    const std::string bytes = Utf8(text) + "\r\n";
    const std::size_t half = bytes.size() / 2;
    bool ok = WriteBytes(h, bytes.substr(0, half));
    FlushFileBuffers(h);
    Sleep(ms);
    ok = WriteBytes(h, bytes.substr(half)) && ok;
    ok = CloseHandle(h) && ok;
    return ok ? 0 : 2;
}

int PendingDelete(const std::wstring& path, const std::wstring& ready) {
    HANDLE h = CreateFileW(path.c_str(), DELETE | GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        WriteReady(ready, "error " + std::to_string(GetLastError()));
        return 2;
    }
    WriteReady(ready, "held");
    for (;;) Sleep(1000);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && std::wstring(argv[1]) == L"slowwrite") return SlowWrite(argv[2], wcstoul(argv[3], nullptr, 10), argv[4]);
    if (argc == 4 && std::wstring(argv[1]) == L"pendingdelete") return PendingDelete(argv[2], argv[3]);
    fwprintf(stderr, L"usage: faultfile slowwrite PATH MS TEXT | pendingdelete PATH READY\n");
    return 1;
}
