// The nested waits of the message window, the composer and the info window: one mechanism
// that takes and drops every event of the main loop while such a window is open.
#pragma once
#include <windows.h>

#include <functional>

// Private message through which the tray icon reports mouse actions to the main window.
constexpr UINT kTrayCallback = 12501;

// The invisible main window whose events belong to the main loop alone.
void SetMainWindow(HWND window);
HWND MainWindow();

// True for the events that only the main loop handles: timer ticks, anything addressed to
// the main window (tray-icon actions, menu commands, close requests), close requests.
bool IsMainLoopEvent(const MSG& msg);

// Waits for events on this thread until afterEvent returns true. beforeWait runs before
// every wait, onEvent for every event received; main-loop events are dropped, all other
// events are dispatched to their windows before afterEvent is asked.
void RunNestedWait(const std::function<void()>& beforeWait, const std::function<void(const MSG&)>& onEvent,
                   const std::function<bool()>& afterEvent);
