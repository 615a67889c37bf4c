// Helpers for tests that show a real window on the test's main thread and look at it from a
// second thread while the window's own wait runs.
#pragma once
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

// Polls until ready() is true or timeoutMs has passed; true when ready() held.
template <typename Ready>
bool WaitUntil(Ready ready, int timeoutMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (ready()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// The top-level window with this class (nullptr for any) and title that belongs to the thread.
inline HWND FindThreadWindow(DWORD threadId, const wchar_t* className, const std::wstring& title) {
    HWND found = FindWindowW(className, title.c_str());
    if (found && GetWindowThreadProcessId(found, nullptr) != threadId) return nullptr;
    return found;
}

inline std::wstring WindowText(HWND window) {
    wchar_t buf[1024] = {};
    GetWindowTextW(window, buf, 1024);
    return buf;
}

inline std::wstring ClassOf(HWND window) {
    wchar_t buf[256] = {};
    GetClassNameW(window, buf, 256);
    return buf;
}

// A child's rectangle in its parent's client coordinates.
inline RECT ChildRect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline HWND FocusOfThread(DWORD threadId) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(threadId, &info) ? info.hwndFocus : nullptr;
}

// A path under the source tree as Wine sees it, from a path relative to this folder.
inline std::wstring SourceTreePath(const char* relative) {
    std::string dir = __FILE__;
    dir = dir.substr(0, dir.find_last_of("/\\") + 1);
    std::string full = dir + relative;
    std::wstring out = full[0] == '/' ? L"Z:" : L"";
    for (char c : full) out += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return out;
}
