// The tray program: the invisible main window with the poll timer, the notification-area
// icon with its menu, and the program's main loop.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace TrayApp {
// Runs the start-up, then the main loop until "Beenden" or a close request for the main
// window; returns when the program is to end.
void Run();
}  // namespace TrayApp

// Title of the invisible main window, by which other programs find it.
constexpr wchar_t kMainWindowTitle[] = L"Notiwell - SysTray Invisible Window";

// The tray icon's tooltip holds at most this many characters.
constexpr size_t kTooltipMaxLength = 63;
// title + " - aktiv" while monitoring is 1, else title + " - gestoppt"; cut to 63 characters.
std::wstring TrayTooltip(const std::wstring& title, int32_t monitoring);

// The menu's command ids.
enum TrayCommand : UINT { kCmdStart = 0, kCmdStop = 1, kCmdAdhoc = 2, kCmdInfo = 3, kCmdQuit = 4 };

struct TrayMenuEntry {
    bool separator = false;
    UINT id = 0;
    std::wstring text;
};
// The popup menu in its order; the ad hoc item and its separator only when both switches are "1".
std::vector<TrayMenuEntry> TrayMenuLayout(const std::wstring& allowAdhoc, const std::wstring& adhocPossible);

// What one event means to the main loop.
enum class MainEventKind { Other, Tick, TrayAction, MenuCommand, CloseRequest };
struct MainEvent {
    MainEventKind kind = MainEventKind::Other;
    UINT value = 0;  // the mouse action of a tray action, the item id of a menu command
};
// Classifies a message the main loop received. Only a WM_COMMAND to the main window without a
// control handle and with notification 0 is a menu command: a control with id 0 sends
// wParam 0 as well, but with its handle in lParam.
MainEvent ClassifyMainEvent(const MSG& msg, HWND mainWindow);
