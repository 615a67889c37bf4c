// The message window: one message in a topmost window beside the message picture, shown
// until the user presses "Ok", with every other event of the program dropped meanwhile.
#include "ui/message_window.h"

#include <windows.h>

#include <algorithm>

#include "app/program_state.h"
#include "log/log_writer.h"
#include "ui/event_wait.h"
#include "ui/program_resources.h"

namespace {
MessageWindowHook g_hook = nullptr;

constexpr wchar_t kClassName[] = L"NotiwellMessageWindow";
constexpr int kTextId = 1;
constexpr int kPictureId = 2;
constexpr int kOkId = 0;
constexpr COLORREF kTextColour = RGB(62, 62, 62);
constexpr COLORREF kBackground = RGB(255, 255, 255);

class GdiOwner {
public:
    explicit GdiOwner(HGDIOBJ object) : object_(object) {}
    ~GdiOwner() {
        if (object_) DeleteObject(object_);
    }
    GdiOwner(const GdiOwner&) = delete;
    GdiOwner& operator=(const GdiOwner&) = delete;
    HGDIOBJ get() const { return object_; }

private:
    HGDIOBJ object_;
};

// What the window procedure needs of one open window; lives on the caller's stack.
struct OpenMessage {
    HWND okButton = nullptr;
    bool okPressed = false;
};

LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* open = reinterpret_cast<OpenMessage*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kTextColour);
        SetBkColor(dc, kBackground);
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    case WM_COMMAND:
        // Only the "Ok" button ends the wait; the picture's clicks and anything else are ignored.
        if (open && LOWORD(wParam) == kOkId && HIWORD(wParam) == BN_CLICKED &&
            reinterpret_cast<HWND>(lParam) == open->okButton && open->okButton)
            open->okPressed = true;
        return 0;
    case WM_GETMINMAXINFO: {
        // The window is as large as its message needs, even beyond the screen; the system
        // would otherwise cut it to the screen's size. It has no sizing border, so only the
        // program sets its size.
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMaxTrackSize.x = 32767;
        limits->ptMaxTrackSize.y = 32767;
        return 0;
    }
    case WM_CLOSE:
        // Alt+F4 and every other close request leave the window open: only "Ok" closes it.
        return 0;
    case WM_KEYDOWN:
        // The wait does not run dialog navigation, so Tab is handled here: the focus starts on
        // the window itself and Tab moves it to the only tab stop.
        if (wParam == VK_TAB && open && open->okButton) {
            SetFocus(open->okButton);
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterMessageWindowClass(HINSTANCE instance) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = MessageWindowProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    cls.lpszClassName = kClassName;
    return RegisterClassExW(&cls) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// A window larger than the screen in one dimension starts at 0 in it.
int CentredStart(int screen, int outer) { return (screen - std::min(screen, outer)) / 2; }

int ScreenDpiY() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi;
}
}  // namespace

void SetMessageWindowHookForTesting(MessageWindowHook hook) { g_hook = hook; }

void ShowMessageWindow(const std::wstring& text, const std::wstring& fileName, int32_t extraHeight,
                       int32_t extraWidth) {
    if (g_hook) {
        g_hook(text, fileName, extraHeight, extraWidth);
        return;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);

    // Declared before the window so that it outlives it.
    GdiOwner font(CreateFontW(-MulDiv(10, ScreenDpiY(), 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                              DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_DONTCARE, L"Verdana"));

    const std::wstring title = ProgramTitle() + L" (Nachricht:" + fileName + L")";
    if (!RegisterMessageWindowClass(instance)) return;

    const DWORD style = WS_CAPTION;
    RECT outer{0, 0, 400 + extraWidth, 100 + extraHeight};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    const int outerWidth = outer.right - outer.left;
    const int outerHeight = outer.bottom - outer.top;
    const int left = CentredStart(GetSystemMetrics(SM_CXSCREEN), outerWidth);
    const int top = CentredStart(GetSystemMetrics(SM_CYSCREEN), outerHeight);

    OpenMessage open;
    HWND window = CreateWindowExW(0, kClassName, title.c_str(), style, left, top, outerWidth, outerHeight,
                                  nullptr, nullptr, instance, &open);
    if (!window) return;
    // Shown before any control exists, so activation puts the focus on the window itself
    // and no control has it at first.
    ShowWindow(window, SW_SHOWNORMAL);

    HWND textControl = CreateWindowExW(0, L"Static", text.c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX,
                                       50, 10, 380 + extraWidth, 90 + extraHeight, window,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), instance, nullptr);
    if (textControl && font.get()) SendMessageW(textControl, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);

    HBITMAP bitmap = LoadMessagePicture();
    GdiOwner pictureOwner(bitmap);  // deleted after the window, which is destroyed below
    if (bitmap) {
        HWND pictureControl =
            CreateWindowExW(0, L"Static", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_NOTIFY, 7, 5, 48, 48,
                            window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPictureId)), instance, nullptr);
        if (pictureControl)
            SendMessageW(pictureControl, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    }

    open.okButton = CreateWindowExW(0, L"Button", L"Ok", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 5, 65,
                                    60, 25, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOkId)), instance,
                                    nullptr);
    if (!open.okButton) {
        // Without its button the window could never be closed and would hold up the program.
        DestroyWindow(window);
        return;
    }
    SendMessageW(open.okButton, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);

    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    RunNestedWait(
        nullptr,
        [](const MSG&) {
            if (DebugOn()) WriteDebugLog(L"Warte auf OK der angezeigten Nachricht");
        },
        // A window destroyed from outside (the session ending) cannot be answered any more.
        [&] { return open.okPressed || !IsWindow(window); });

    if (IsWindow(window)) DestroyWindow(window);
}
