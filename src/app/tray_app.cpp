// The tray program: main window, poll timer, tray icon and menu, and the main loop that
// handles every event itself.
#include "app/tray_app.h"

#include <shellapi.h>

#include <cwchar>

#include "app/exit_program.h"
#include "app/program_state.h"
#include "app/startup.h"
#include "log/log_writer.h"
#include "ui/adhoc_composer.h"
#include "ui/event_wait.h"
#include "ui/icon_loader.h"
#include "ui/info_window.h"
#include "ui/message_box.h"
#include "watch/watch_scanner.h"

std::wstring TrayTooltip(const std::wstring& title, int32_t monitoring) {
    std::wstring tip = title + (monitoring == 1 ? L" - aktiv" : L" - gestoppt");
    if (tip.size() > kTooltipMaxLength) tip.resize(kTooltipMaxLength);
    return tip;
}

std::vector<TrayMenuEntry> TrayMenuLayout(const std::wstring& allowAdhoc, const std::wstring& adhocPossible) {
    std::vector<TrayMenuEntry> items;
    items.push_back({false, kCmdStart, L"Start"});
    items.push_back({false, kCmdStop, L"Stop"});
    items.push_back({true, 0, L""});
    if (allowAdhoc == L"1" && adhocPossible == L"1") {
        items.push_back({false, kCmdAdhoc, L"Adhoc Meldung an alle erstellen"});
        items.push_back({true, 0, L""});
    }
    items.push_back({false, kCmdInfo, L"Info"});
    items.push_back({true, 0, L""});
    items.push_back({false, kCmdQuit, L"Beenden"});
    return items;
}

MainEvent ClassifyMainEvent(const MSG& msg, HWND mainWindow) {
    switch (msg.message) {
    case WM_TIMER:
        return {MainEventKind::Tick, 0};
    case kTrayCallback:
        if (msg.hwnd == mainWindow) return {MainEventKind::TrayAction, LOWORD(msg.lParam)};
        break;
    case WM_COMMAND:
        if (msg.hwnd == mainWindow && msg.lParam == 0 && HIWORD(msg.wParam) == 0)
            return {MainEventKind::MenuCommand, LOWORD(msg.wParam)};
        break;
    case WM_CLOSE:
        return {MainEventKind::CloseRequest, 0};
    default:
        break;
    }
    return {MainEventKind::Other, 0};
}

namespace {

constexpr wchar_t kMainWindowClass[] = L"NotiwellTrayWindow";
constexpr UINT kTrayIconId = 1;

struct TrayState {
    HWND window = nullptr;
    NOTIFYICONDATAW icon{};
    bool iconAdded = false;
    HICON activeIcon = nullptr;
    HICON stoppedIcon = nullptr;
    HMENU menu = nullptr;
    UINT taskbarCreated = 0;
    bool quit = false;
    // While the main loop itself sits in a message box or the popup menu, that foreign loop
    // dispatches our posted events to the window procedure; ticks and close requests seen
    // there are kept for the main loop instead of being lost.
    bool inForeignLoop = false;
    bool pendingTick = false;
    bool pendingClose = false;
};
TrayState g_tray;

HICON IconOrDefault(IconKind kind) {
    HICON icon = LoadProgramIcon(kind);
    return icon ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

// The record always holds the current image and tooltip, so that a re-added icon shows them.
void SetTrayIconImage(HICON image) {
    g_tray.icon.hIcon = image;
    if (!g_tray.iconAdded) return;
    g_tray.icon.uFlags = NIF_ICON;
    Shell_NotifyIconW(NIM_MODIFY, &g_tray.icon);
}

void SetTrayTooltip(const std::wstring& tip) {
    wcsncpy(g_tray.icon.szTip, tip.c_str(), ARRAYSIZE(g_tray.icon.szTip) - 1);
    g_tray.icon.szTip[ARRAYSIZE(g_tray.icon.szTip) - 1] = L'\0';
    if (!g_tray.iconAdded) return;
    g_tray.icon.uFlags = NIF_TIP;
    Shell_NotifyIconW(NIM_MODIFY, &g_tray.icon);
}

void RemoveTrayIcon() {
    if (!g_tray.iconAdded) return;
    Shell_NotifyIconW(NIM_DELETE, &g_tray.icon);
    g_tray.iconAdded = false;
}

// Adds the icon with its current image and tooltip (at start and after the notification
// area was re-created).
bool AddTrayIcon() {
    g_tray.icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    return Shell_NotifyIconW(NIM_ADD, &g_tray.icon) != FALSE;
}

// After the notification area was re-created: the icon comes back with its current image and
// tooltip, also when the first add at start-up found no notification area.
void ReAddTrayIcon() {
    if (g_tray.icon.cbSize == 0) return;  // hidden: no icon at all
    // An add that fails for an icon we had still leaves it ours to change and remove.
    if (AddTrayIcon() && !g_tray.iconAdded) {
        g_tray.iconAdded = true;
        AddExitAction(RemoveTrayIcon);
    }
}

void CreateTrayIcon() {
    g_tray.activeIcon = IconOrDefault(IconKind::Active);
    g_tray.icon.cbSize = sizeof(g_tray.icon);
    g_tray.icon.hWnd = g_tray.window;
    g_tray.icon.uID = kTrayIconId;
    g_tray.icon.uCallbackMessage = kTrayCallback;
    g_tray.icon.hIcon = g_tray.activeIcon;
    const std::wstring tip = TrayTooltip(ProgramTitle(), g_state.Monitoring);
    wcsncpy(g_tray.icon.szTip, tip.c_str(), ARRAYSIZE(g_tray.icon.szTip) - 1);
    g_tray.iconAdded = AddTrayIcon();
    if (g_tray.iconAdded) AddExitAction(RemoveTrayIcon);
}

void BuildMenu() {
    g_tray.menu = CreatePopupMenu();
    if (!g_tray.menu) return;
    for (const TrayMenuEntry& item : TrayMenuLayout(g_settings.AllowAdhoc, g_state.AdhocPossible)) {
        if (item.separator)
            AppendMenuW(g_tray.menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(g_tray.menu, MF_STRING, item.id, item.text.c_str());
    }
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTrayCallback) {
        // The shell sends its mouse reports; hand them to the main loop as a posted event.
        // A report dispatched to us by some other loop is one we posted ourselves: drop it.
        if (InSendMessage()) PostMessageW(window, message, wParam, lParam);
        return 0;
    }
    if (g_tray.taskbarCreated != 0 && message == g_tray.taskbarCreated) {
        ReAddTrayIcon();
        return 0;
    }
    switch (message) {
    case WM_CLOSE:
        // Never destroy the main window here: a close request is the main loop's to handle.
        if (InSendMessage())
            PostMessageW(window, WM_CLOSE, 0, 0);
        else if (g_tray.inForeignLoop)
            g_tray.pendingClose = true;
        return 0;
    case WM_TIMER:
        if (g_tray.inForeignLoop) g_tray.pendingTick = true;
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND CreateMainWindow() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = MainWindowProc;
    cls.hInstance = instance;
    cls.lpszClassName = kMainWindowClass;
    RegisterClassExW(&cls);
    const DWORD style = WS_CAPTION | WS_SYSMENU;
    RECT outer{0, 0, 300, 100};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    return CreateWindowExW(0, kMainWindowClass, kMainWindowTitle, style, 100, 150, outer.right - outer.left,
                           outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
}

// Ticks that queued up behind the one being handled, with nothing in between, count as one.
void DropQueuedTicks() {
    MSG next{};
    while (PeekMessageW(&next, nullptr, 0, 0, PM_NOREMOVE) && next.message == WM_TIMER)
        PeekMessageW(&next, next.hwnd, WM_TIMER, WM_TIMER, PM_REMOVE);
}

void HandleTick() {
    DropQueuedTicks();
    WriteDebugLog(L"Main>Event_Timer");
    if (g_state.Monitoring == 1) {
        SetTrayTooltip(TrayTooltip(ProgramTitle(), 1));
        WriteDebugLog(L"Suche nach MSG Datei");
        WatchScanner::Poll();
        SubdirScanner::Poll();
    } else {
        SetTrayTooltip(TrayTooltip(ProgramTitle(), 0));
    }
}

void OpenMenu() {
    if (!g_tray.menu) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    // The menu closes when the user clicks elsewhere only while our window is in front.
    SetForegroundWindow(g_tray.window);
    g_tray.inForeignLoop = true;
    TrackPopupMenu(g_tray.menu, TPM_RIGHTBUTTON, cursor.x - 1, cursor.y - 1, 0, g_tray.window, nullptr);
    g_tray.inForeignLoop = false;
    PostMessageW(g_tray.window, WM_NULL, 0, 0);
}

void ShowStateBox(const std::wstring& text) {
    g_tray.inForeignLoop = true;
    ShowProgramBox(text, ProgramTitle(), BoxIcon::Information);
    g_tray.inForeignLoop = false;
}

// Start and Stop: the icon changes at once, monitoring only once the box has been closed.
void SwitchMonitoring(const wchar_t* logLine, HICON& icon, IconKind kind, const wchar_t* boxText,
                      int32_t monitoring) {
    WriteLog(0, logLine);
    if (!icon) icon = IconOrDefault(kind);
    SetTrayIconImage(icon);
    ShowStateBox(ProgramTitle() + boxText);
    g_state.Monitoring = monitoring;
}

void HandleCommand(UINT id) {
    switch (id) {
    case kCmdStart:
        SwitchMonitoring(L"Start per SysTray", g_tray.activeIcon, IconKind::Active, L" wird gestartet...", 1);
        break;
    case kCmdStop:
        SwitchMonitoring(L"Stop per SysTray", g_tray.stoppedIcon, IconKind::Stopped, L" wird gestoppt.", 0);
        break;
    case kCmdAdhoc:
        ShowAdhocComposer();
        break;
    case kCmdInfo:
        WriteLog(0, L"Manuelle Infoabfrage per SysTray");
        ShowInfoWindow();
        break;
    case kCmdQuit:
        WriteLog(0, L" Programm wird beendet <<<<<<<");
        g_tray.quit = true;
        break;
    default:
        break;
    }
}

void HandleEvent(const MSG& msg) {
    if (g_tray.taskbarCreated != 0 && msg.message == g_tray.taskbarCreated) {
        ReAddTrayIcon();
        return;
    }
    const MainEvent event = ClassifyMainEvent(msg, g_tray.window);
    switch (event.kind) {
    case MainEventKind::Tick:
        HandleTick();
        break;
    case MainEventKind::TrayAction:
        if (event.value == WM_RBUTTONDOWN) OpenMenu();
        break;
    case MainEventKind::MenuCommand:
        HandleCommand(event.value);
        break;
    case MainEventKind::CloseRequest:
        g_tray.quit = true;
        break;
    case MainEventKind::Other:
        // Housekeeping of other windows of the thread (none is open while this loop waits).
        if (msg.hwnd != nullptr && msg.hwnd != g_tray.window) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        break;
    }
}

void MainLoop() {
    while (!g_tray.quit) {
        WriteDebugLog(L">Repeat");
        if (g_tray.pendingClose) {
            g_tray.pendingClose = false;
            g_tray.quit = true;
            break;
        }
        if (g_tray.pendingTick) {
            g_tray.pendingTick = false;
            HandleTick();
            continue;
        }
        MSG msg{};
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        HandleEvent(msg);
    }
}

}  // namespace

namespace TrayApp {

void Run() {
    RunStartup();
    g_tray.window = CreateMainWindow();
    if (!g_tray.window) return;
    SetMainWindow(g_tray.window);
    g_tray.taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    // An interval of 0 (no configuration file) takes the system's shortest interval.
    const UINT interval = g_state.PollIntervalMs > 0 ? static_cast<UINT>(g_state.PollIntervalMs) : USER_TIMER_MINIMUM;
    SetTimer(g_tray.window, 0, interval, nullptr);
    if (g_state.HiddenMode == L"no") {
        CreateTrayIcon();
        BuildMenu();
    }
    MainLoop();
}

}  // namespace TrayApp
