// Reads the memory and CPU counters of a running program, found by its file name, and prints
// them as "name: value" lines; the benchmark's driver calls it while the program polls.
//
//   nw_procstat.exe FILE_NAME          e.g. nwbench_1a2b.exe
//   nw_procstat.exe --close FILE_NAME  a close request to that program's main window
// Exit code: 0 done, 3 no such process (or window) or it could not be opened, 1 bad command line.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>

namespace {
DWORD FindProcess(const std::wstring& fileName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    DWORD pid = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, fileName.c_str()) == 0) {
            pid = entry.th32ProcessID;
            break;
        }
    }
    CloseHandle(snapshot);
    return pid;
}

struct CloseRequest {
    DWORD pid;
    int sent;
};

BOOL CALLBACK CloseMainWindow(HWND window, LPARAM param) {
    CloseRequest& request = *reinterpret_cast<CloseRequest*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    if (pid == request.pid && wcscmp(title, L"Notiwell - SysTray Invisible Window") == 0) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        ++request.sent;
    }
    return TRUE;
}

double FileTimeMs(const FILETIME& t) {
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return static_cast<double>(v.QuadPart) / 10000.0;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool close = argc == 3 && wcscmp(argv[1], L"--close") == 0;
    if (argc != 2 && !close) {
        std::printf("usage: nw_procstat [--close] FILE_NAME\n");
        return 1;
    }
    const DWORD pid = FindProcess(argv[argc - 1]);
    if (pid == 0) return 3;
    if (close) {
        CloseRequest request{pid, 0};
        EnumWindows(CloseMainWindow, reinterpret_cast<LPARAM>(&request));
        return request.sent > 0 ? 0 : 3;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return 3;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    FILETIME created, exited, kernel, user;
    const bool haveMemory =
        GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory)) != FALSE;
    const bool haveTimes = GetProcessTimes(process, &created, &exited, &kernel, &user) != FALSE;
    CloseHandle(process);
    std::printf("pid: %lu\n", static_cast<unsigned long>(pid));
    if (haveMemory) {
        std::printf("working_set_kb: %llu\n", static_cast<unsigned long long>(memory.WorkingSetSize / 1024));
        std::printf("peak_working_set_kb: %llu\n", static_cast<unsigned long long>(memory.PeakWorkingSetSize / 1024));
        std::printf("private_kb: %llu\n", static_cast<unsigned long long>(memory.PrivateUsage / 1024));
    }
    if (haveTimes) {
        std::printf("cpu_user_ms: %.1f\n", FileTimeMs(user));
        std::printf("cpu_kernel_ms: %.1f\n", FileTimeMs(kernel));
    }
    std::fflush(stdout);
    return haveMemory ? 0 : 3;
}
