// The ad hoc composer window with its text field, "Abbruch" and "Senden", its nested wait,
// and the balloon tooltip on the field.
#include "ui/adhoc_composer.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "app/program_state.h"
#include "log/log_writer.h"
#include "ui/event_wait.h"
#include "ui/message_box.h"
#include "watch/message_file.h"

// The version-2 record (without the reserved pointer) is 44 bytes on 32-bit Windows.
constexpr UINT kToolInfoSize = static_cast<UINT>(offsetof(TOOLINFOW, lParam) + sizeof(LPARAM));
static_assert(sizeof(void*) != 4 || kToolInfoSize == 44, "TOOLINFOW version 2 is 44 bytes on 32-bit");

HWND AddBalloonTooltip(HWND window, HWND control, const std::wstring& text) {
    const HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_BALLOON | TTS_NOPREFIX, 0, 0, 0, 0,
                                     window, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tip) return nullptr;
    SendMessageW(tip, TTM_SETTIPTEXTCOLOR, GetSysColor(COLOR_INFOTEXT), 0);
    SendMessageW(tip, TTM_SETTIPBKCOLOR, GetSysColor(COLOR_INFOBK), 0);
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 180);
    std::wstring buffer = text;  // the record wants a writable text; the tooltip copies it
    TOOLINFOW info{};
    info.cbSize = kToolInfoSize;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = control;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = buffer.data();
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    return tip;
}

namespace {

constexpr wchar_t kComposerClass[] = L"NotiwellAdhocComposer";
constexpr int kClientWidth = 383;
constexpr int kClientHeight = 168;

ComposerOpenedHook g_openedHook = nullptr;

enum class Request { None, Cancel, Send, Close };

struct Composer {
    HWND window = nullptr;
    HWND edit = nullptr;
    HWND tooltip = nullptr;
    HWND cancel = nullptr;
    HWND send = nullptr;
    Request request = Request::None;
};
Composer* g_composer = nullptr;

LRESULT CALLBACK ComposerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (g_composer && window == g_composer->window && HIWORD(wParam) == BN_CLICKED) {
            if (LOWORD(wParam) == kComposerCancelId) g_composer->request = Request::Cancel;
            if (LOWORD(wParam) == kComposerSendId) g_composer->request = Request::Send;
        }
        return 0;
    case WM_CLOSE:
        // Closing is the composer loop's decision; the window stays until it returns.
        if (g_composer && window == g_composer->window) g_composer->request = Request::Close;
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Tab and Shift+Tab move the focus between the field and the two buttons; the field never
// receives a tab character.
LRESULT CALLBACK TabOrderProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_KEYDOWN && wParam == VK_TAB && g_composer) {
        const HWND order[] = {g_composer->edit, g_composer->cancel, g_composer->send};
        const int count = 3;
        int at = 0;
        while (at < count && order[at] != control) ++at;
        const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        const int next = back ? (at + count - 1) % count : (at + 1) % count;
        SetFocus(order[next]);
        return 0;
    }
    if (message == WM_CHAR && wParam == L'\t') return 0;
    return DefSubclassProc(control, message, wParam, lParam);
}

bool RegisterComposerClass(HINSTANCE instance) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = ComposerProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = kComposerClass;
    return RegisterClassExW(&cls) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateChild(HWND parent, DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y,
                 int width, int height, int id) {
    const HWND child = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                       nullptr);
    if (child) {
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        SetWindowSubclass(child, TabOrderProc, 1, 0);
    }
    return child;
}

std::wstring FieldText(HWND edit) {
    const int length = GetWindowTextLengthW(edit);
    if (length <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int got = GetWindowTextW(edit, buffer.data(), length + 1);
    return std::wstring(buffer.data(), static_cast<size_t>(std::max(got, 0)));
}

// Handles a pending request; true when it ends the composer.
bool HandleRequest(Composer& composer) {
    while (composer.request != Request::None) {
        const Request request = composer.request;
        composer.request = Request::None;
        switch (request) {
        case Request::Cancel:
            DestroyWindow(composer.window);
            WriteLog(0, L"Adhoc Nachricht wurde abgebrochen");
            return true;
        case Request::Close:
            DestroyWindow(composer.window);
            return true;
        case Request::Send: {
            const std::wstring text = FieldText(composer.edit);
            if (text.empty()) {
                ShowErrorBox(L"Leerer Textinhalt wird nicht als Meldung angezeigt.");
                break;
            }
            if (WriteMessageFile(g_settings.WatchDir, text)) {
                DestroyWindow(composer.window);
                return true;
            }
            // Keep the window and the text so that the user can try again or copy it.
            ShowErrorBox(L"Adhoc Nachricht konnte nicht erstellt werden");
            break;
        }
        case Request::None:
            break;
        }
    }
    return false;
}

}  // namespace

void SetComposerOpenedHookForTesting(ComposerOpenedHook hook) { g_openedHook = hook; }

void ShowAdhocComposer() {
    WriteLog(0, L"Adhoc Nachricht soll erstellt werden");
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterComposerClass(instance)) return;

    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    RECT outer{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int left = (screenWidth - std::min(screenWidth, width)) / 2;
    const int top = (screenHeight - std::min(screenHeight, height)) / 2;

    Composer composer;
    composer.window =
        CreateWindowExW(0, kComposerClass, kComposerTitle, style, left, top, width, height, nullptr, nullptr, instance, nullptr);
    if (!composer.window) return;
    Composer* const outerComposer = g_composer;
    g_composer = &composer;
    ShowWindow(composer.window, SW_SHOWNORMAL);
    SetForegroundWindow(composer.window);

    composer.edit = CreateChild(composer.window, WS_EX_CLIENTEDGE, L"Edit", L"", WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL,
                                10, 5, 365, 120, kComposerEditId);
    composer.tooltip = AddBalloonTooltip(composer.window, composer.edit, L"Schreiben Sie hier Ihre Nachricht ");
    composer.cancel = CreateChild(composer.window, 0, L"Button", L"Abbruch", WS_TABSTOP | BS_PUSHBUTTON, 5, 135, 80, 30,
                                  kComposerCancelId);
    composer.send = CreateChild(composer.window, 0, L"Button", L"Senden", WS_TABSTOP | BS_PUSHBUTTON, 295, 130, 80, 30,
                                kComposerSendId);
    if (g_openedHook) g_openedHook(composer.window);

    bool done = false;
    RunNestedWait([] { WriteDebugLog(L"CreateMessage Schleife>"); },
                  [&composer](const MSG& msg) {
                      // A posted close request never reaches the window: the wait drops it.
                      if (msg.message == WM_CLOSE && msg.hwnd == composer.window) composer.request = Request::Close;
                  },
                  [&composer, &done] {
                      done = HandleRequest(composer);
                      return done;
                  });
    if (!done && IsWindow(composer.window)) DestroyWindow(composer.window);
    g_composer = outerComposer;
}
