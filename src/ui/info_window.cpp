// The info window: a popup with the logo, the version text and "Ok", and its nested wait.
#include "ui/info_window.h"

#include <windows.h>

#include <algorithm>

#include "ui/event_wait.h"
#include "ui/jpeg_image.h"
#include "ui/program_resources.h"
#include "version.h"

namespace {

constexpr wchar_t kClassName[] = L"NotiwellInfoWindow";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
constexpr int kClientWidth = 196;
constexpr int kClientHeight = 179;
constexpr int kOkButtonId = 1;
constexpr int kPictureId = 2;
constexpr int kVersionId = 3;

const std::string* g_testLogo = nullptr;

struct InfoWindow {
    bool finished = false;
};

void Finish(HWND window, InfoWindow* self) {
    self->finished = true;
    // The request may have come inside a sent message, which does not end the wait for
    // the next event: a posted no-op wakes the wait so that it sees the flag.
    PostMessageW(window, WM_NULL, 0, 0);
}

LRESULT CALLBACK InfoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcW(window, message, wParam, lParam);
    }
    auto* self = reinterpret_cast<InfoWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
        switch (message) {
        case WM_CLOSE:
            // The wait destroys the window once it sees the flag.
            Finish(window, self);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kOkButtonId && HIWORD(wParam) == BN_CLICKED) {
                Finish(window, self);
                return 0;
            }
            break;
        default:
            break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterInfoWindowClass(HINSTANCE instance) {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = InfoWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    // Shared icons belong to the system's cache and are never destroyed by the program.
    wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_SHARED));
    registered = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

GdiBitmap LoadLogo() {
    if (g_testLogo) return DecodeJpeg(g_testLogo->data(), g_testLogo->size());
    size_t size = 0;
    const void* bytes = FindProgramData(IDR_INFO_LOGO, &size);
    return bytes ? DecodeJpeg(bytes, size) : GdiBitmap();
}

HWND AddControl(HWND parent, DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y,
                int w, int h, int id, HINSTANCE instance) {
    HWND control = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return control;
}

}  // namespace

void SetInfoLogoForTesting(const std::string* jpegBytes) { g_testLogo = jpegBytes; }

void ShowInfoWindow() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterInfoWindowClass(instance)) return;

    RECT outer{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const int left = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    const int top = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);

    InfoWindow self;
    HWND window = CreateWindowExW(0, kClassName, kInfoWindowTitle, kStyle, left, top, width, height, nullptr,
                                  nullptr, instance, &self);
    if (!window) return;

    // Decoded anew at every opening; a logo that does not decode leaves the frame empty.
    GdiBitmap logo = LoadLogo();
    HWND picture = AddControl(window, WS_EX_CLIENTEDGE, L"Static", nullptr, SS_BITMAP, 23, 10, 153, 114, kPictureId,
                              instance);
    if (picture && logo) {
        SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo.get()));
        // A bitmap static resizes itself to its image; the frame keeps its own size.
        SetWindowPos(picture, nullptr, 0, 0, 153, 114, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const std::wstring version = std::wstring(L"Version  ") + NOTIWELL_VERSION_WTEXT;
    AddControl(window, 0, L"Static", version.c_str(), SS_CENTER, 38, 125, 120, 20, kVersionId, instance);
    AddControl(window, 0, L"Button", L"Ok", WS_TABSTOP | BS_PUSHBUTTON, 38, 147, 120, 25, kOkButtonId, instance);

    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    UpdateWindow(window);

    // A close request posted to this window would be dropped with the main loop's events;
    // it ends this window's wait instead.
    const auto closeRequest = [&](const MSG& msg) {
        if (msg.message == WM_CLOSE && msg.hwnd == window) self.finished = true;
    };
    RunNestedWait(nullptr, closeRequest, [&] { return self.finished || !IsWindow(window); });
    if (IsWindow(window)) DestroyWindow(window);
    // The logo is deleted here, after the control that showed it has gone.
}
