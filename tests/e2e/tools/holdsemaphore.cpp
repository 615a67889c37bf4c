// Holds a named semaphore the way a running instance of the program does, so end-to-end
// tests can start the program as a second instance without a first one.
//
//   holdsemaphore.exe NAME [--ready READYPATH]
//
//   NAME      the semaphore's name (initial count 0, maximum 1, default security)
//   --ready   once the semaphore is decided, this file receives "held" (created here),
//             "exists" (someone else holds it as well) or "error N" (N is GetLastError)
// Exit code: 2 when no semaphore could be created, 1 for a bad command line; otherwise it
// runs until killed.
#include <windows.h>

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
}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring ready;
    if (argc == 4 && std::wstring(argv[2]) == L"--ready") ready = argv[3];
    else if (argc != 2) return 1;
    HANDLE semaphore = CreateSemaphoreW(nullptr, 0, 1, argv[1]);
    if (!semaphore) {
        WriteReady(ready, "error " + std::to_string(GetLastError()));
        return 2;
    }
    WriteReady(ready, GetLastError() == ERROR_ALREADY_EXISTS ? "exists" : "held");
    for (;;) Sleep(1000);
}
