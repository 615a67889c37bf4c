// The shared nested wait.
#include "ui/event_wait.h"

namespace {
HWND g_mainWindow = nullptr;
}

void SetMainWindow(HWND window) { g_mainWindow = window; }

HWND MainWindow() { return g_mainWindow; }

bool IsMainLoopEvent(const MSG& msg) {
    if (msg.message == WM_TIMER || msg.message == WM_CLOSE || msg.message == kTrayCallback) return true;
    return g_mainWindow != nullptr && msg.hwnd == g_mainWindow;
}

void RunNestedWait(const std::function<void()>& beforeWait, const std::function<void(const MSG&)>& onEvent,
                   const std::function<bool()>& afterEvent) {
    for (;;) {
        if (beforeWait) beforeWait();
        MSG msg{};
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            // Nobody posts a quit message; should one come, hand it on to the outer loop.
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (onEvent) onEvent(msg);
        if (!IsMainLoopEvent(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (afterEvent && afterEvent()) return;
    }
}
