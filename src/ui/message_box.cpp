// Message boxes, with the program's other windows taken out of the topmost band and
// disabled while a box is open.
#include "ui/message_box.h"

#include <windows.h>

#include <vector>

#include "app/program_state.h"

namespace {
BoxHook g_boxHook = nullptr;

struct SavedWindow {
    HWND window;
    bool wasTopmost;
    bool disabled;
};

BOOL CALLBACK CollectVisible(HWND window, LPARAM param) {
    if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}
}  // namespace

void SetBoxHookForTesting(BoxHook hook) { g_boxHook = hook; }

void ShowProgramBox(const std::wstring& text, const std::wstring& caption, BoxIcon icon) {
    if (g_boxHook) {
        g_boxHook(text, caption, icon);
        return;
    }
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectVisible, reinterpret_cast<LPARAM>(&windows));
    const HWND foreground = GetForegroundWindow();
    std::vector<SavedWindow> saved;
    for (HWND w : windows) {
        SavedWindow s{w, (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, false};
        if (s.wasTopmost) SetWindowPos(w, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (w != foreground && IsWindowEnabled(w)) {
            EnableWindow(w, FALSE);
            s.disabled = true;
        }
        saved.push_back(s);
    }
    const UINT iconFlag = icon == BoxIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION;
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | iconFlag | MB_SETFOREGROUND);
    for (const SavedWindow& s : saved) {
        if (!IsWindow(s.window)) continue;
        if (s.disabled) EnableWindow(s.window, TRUE);
        if (s.wasTopmost) SetWindowPos(s.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void ShowErrorBox(const std::wstring& text) { ShowProgramBox(text, ProgramFileName(), BoxIcon::Error); }
