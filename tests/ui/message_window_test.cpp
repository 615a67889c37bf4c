// The message window shown for real: geometry, looks, focus, the close requests it ignores,
// the debug lines of its wait and the events the wait drops.
#include "ui/message_window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/program_state.h"
#include "support/temp_dir.h"
#include "ui/event_wait.h"
#include "ui/program_resources.h"
#include "ui/window_watch.h"

namespace {

struct Control {
    HWND window = nullptr;
    RECT rect{};
    LONG style = 0;
    std::wstring className;
    std::wstring text;
};

// What the second thread saw of the open window.
struct Seen {
    HWND window = nullptr;
    bool ready = false;  // found and already topmost
    std::wstring title;
    RECT client{};
    RECT outer{};
    LONG style = 0;
    LONG exStyle = 0;
    HWND owner = nullptr;
    std::vector<int> childIds;  // in the order of the window's child list
    Control text, picture, ok;
    LOGFONTW textFont{};
    bool textFontRead = false;
    HFONT okFont = nullptr;
    bool pictureHasBitmap = false;
    HWND focusAtOpen = reinterpret_cast<HWND>(-1);
    COLORREF ctlTextColour = 0;
    COLORREF ctlBackColour = 0;
    HBRUSH ctlBrush = nullptr;
    COLORREF cornerPixel = CLR_INVALID;  // a client pixel above everything
    int textColourPixels = 0;            // pixels of exactly the text colour inside the text control
};

Control ReadControl(HWND parent, int id) {
    Control c;
    c.window = GetDlgItem(parent, id);
    if (!c.window) return c;
    c.rect = ChildRect(c.window);
    c.style = GetWindowLongW(c.window, GWL_STYLE);
    c.className = ClassOf(c.window);
    c.text = WindowText(c.window);
    return c;
}

void ReadPixels(HWND window, Seen& seen) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
    HDC dc = GetDC(window);
    if (!dc) return;
    const int w = seen.client.right, h = seen.client.bottom;
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, dc, 0, 0, SRCCOPY);
    seen.cornerPixel = GetPixel(mem, w - 3, 3);
    const RECT& t = seen.text.rect;
    for (int y = std::max<LONG>(t.top, 0); y < std::min<LONG>(t.bottom, h); ++y)
        for (int x = std::max<LONG>(t.left, 0); x < std::min<LONG>(t.right, w); ++x)
            if (GetPixel(mem, x, y) == RGB(62, 62, 62)) ++seen.textColourPixels;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(window, dc);
}

void ReadWindow(HWND window, DWORD threadId, Seen& seen) {
    seen.title = WindowText(window);
    GetClientRect(window, &seen.client);
    GetWindowRect(window, &seen.outer);
    seen.style = GetWindowLongW(window, GWL_STYLE);
    seen.exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    seen.owner = GetWindow(window, GW_OWNER);
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) seen.childIds.push_back(GetDlgCtrlID(c));
    seen.text = ReadControl(window, 1);
    seen.picture = ReadControl(window, 2);
    seen.ok = ReadControl(window, 0);
    if (seen.text.window) {
        auto font = reinterpret_cast<HFONT>(SendMessageW(seen.text.window, WM_GETFONT, 0, 0));
        seen.textFontRead = font && GetObjectW(font, sizeof seen.textFont, &seen.textFont) == sizeof seen.textFont;
        HDC mem = CreateCompatibleDC(nullptr);
        seen.ctlBrush = reinterpret_cast<HBRUSH>(
            SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(mem), reinterpret_cast<LPARAM>(seen.text.window)));
        seen.ctlTextColour = GetTextColor(mem);
        seen.ctlBackColour = GetBkColor(mem);
        DeleteDC(mem);
    }
    if (seen.picture.window)
        seen.pictureHasBitmap = SendMessageW(seen.picture.window, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
    if (seen.ok.window) seen.okFont = reinterpret_cast<HFONT>(SendMessageW(seen.ok.window, WM_GETFONT, 0, 0));
    seen.focusAtOpen = FocusOfThread(threadId);
    ReadPixels(window, seen);
}

// Shows the message window on this thread while a second thread waits for it (by title),
// reads it, runs `poke` and presses "Ok". Returns what the second thread saw; `closed`
// tells whether the window was gone once ShowMessageWindow had returned.
Seen ShowAndWatch(const std::wstring& text, const std::wstring& fileName, int32_t extraHeight, int32_t extraWidth,
                  const std::wstring& title, const std::function<void(Seen&)>& poke = nullptr,
                  bool* closed = nullptr) {
    const DWORD threadId = GetCurrentThreadId();
    std::atomic<bool> returned{false};
    std::atomic<bool> rescued{false};
    Seen seen;
    std::thread watcher([&] {
        WaitUntil([&] {
            seen.window = FindThreadWindow(threadId, nullptr, title);
            return returned.load() ||
                   (seen.window && (GetWindowLongW(seen.window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
        });
        if (returned.load() || !seen.window) return;
        seen.ready = (GetWindowLongW(seen.window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        ReadWindow(seen.window, threadId, seen);
        if (poke) poke(seen);
        if (seen.ok.window && IsWindow(seen.ok.window)) PostMessageW(seen.ok.window, BM_CLICK, 0, 0);
        // Should "Ok" not end the call, a quit request ends the wait so that the test fails
        // instead of hanging.
        if (!WaitUntil([&] { return returned.load(); }, 10000)) {
            rescued = true;
            PostThreadMessageW(threadId, WM_QUIT, 0, 0);
        }
    });
    ShowMessageWindow(text, fileName, extraHeight, extraWidth);
    returned = true;
    watcher.join();
    EXPECT_FALSE(rescued) << "pressing Ok did not end the call";
    if (closed) *closed = seen.window == nullptr || !IsWindow(seen.window);
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return seen;
}

class MessageWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedPaths_ = g_paths;
        savedSettings_ = g_settings;
        g_paths.ProgramPath = L"C:\\x\\notiwell.exe";
        g_paths.LogFilePath = log_ / L"notiwell.log";
        g_settings.Debug = L"0";
    }
    void TearDown() override {
        g_paths = savedPaths_;
        g_settings = savedSettings_;
        SetMainWindow(nullptr);
    }
    TempDir log_;
    AppPaths savedPaths_;
    Settings savedSettings_;
};

const std::wstring kFile = L"20180911_153000.msg";
const std::wstring kTitle = L"notiwell (Nachricht:20180911_153000.msg)";

TEST_F(MessageWindowTest, LooksAsDescribedAndCloseRequestsLeaveItOpen) {
    const std::wstring text = L"Server wird um 16 Uhr neu gestartet\rBitte speichern\r";
    bool openAfterCloseRequests = false;
    bool focusOnOkAfterTab = false;
    bool closed = false;
    const Seen seen = ShowAndWatch(
        text, kFile, 0, 0, kTitle,
        [&](Seen& s) {
            // Alt+F4 as a key, as a system command and as plain close requests, sent and posted.
            PostMessageW(s.window, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29));
            SendMessageW(s.window, WM_SYSCOMMAND, SC_CLOSE, 0);
            SendMessageW(s.window, WM_CLOSE, 0, 0);
            PostMessageW(s.window, WM_CLOSE, 0, 0);
            // Clicks on the picture and other control events are not "Ok".
            if (s.picture.window) {
                PostMessageW(s.picture.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
                PostMessageW(s.picture.window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
            }
            SendMessageW(s.window, WM_COMMAND, MAKEWPARAM(2, STN_CLICKED), reinterpret_cast<LPARAM>(s.picture.window));
            SendMessageW(s.window, WM_COMMAND, MAKEWPARAM(1, STN_CLICKED), reinterpret_cast<LPARAM>(s.text.window));
            // Posted after them, so the focus reaching "Ok" shows the requests have been handled.
            PostMessageW(s.window, WM_KEYDOWN, VK_TAB, 1);
            focusOnOkAfterTab = WaitUntil([&] { return FocusOfThread(GetWindowThreadProcessId(s.window, nullptr)) == s.ok.window; }, 5000);
            Sleep(300);
            openAfterCloseRequests = IsWindow(s.window) && IsWindowVisible(s.window);
        },
        &closed);
    ASSERT_TRUE(seen.window) << "no window titled " << Narrow(kTitle);
    EXPECT_TRUE(seen.ready) << "window never became topmost";
    EXPECT_EQ(Narrow(seen.title), Narrow(kTitle));

    // Frame: caption and thin border only, no system menu, no owner, topmost.
    EXPECT_EQ(seen.style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_POPUP),
              WS_CAPTION);
    EXPECT_EQ(seen.exStyle & ~WS_EX_TOPMOST & ~WS_EX_WINDOWEDGE, 0);
    EXPECT_NE(seen.exStyle & WS_EX_TOPMOST, 0);
    EXPECT_EQ(seen.owner, nullptr);

    // Controls in the order of creation: text, picture (where the program carries it), "Ok".
    HBITMAP carried = LoadMessagePicture();
    if (carried) {
        DeleteObject(carried);
        EXPECT_EQ(seen.childIds, (std::vector<int>{1, 2, 0}));
        ASSERT_TRUE(seen.picture.window);
        EXPECT_EQ(seen.picture.className, L"Static");
        EXPECT_EQ(seen.picture.style & SS_TYPEMASK, SS_BITMAP);
        EXPECT_NE(seen.picture.style & SS_NOTIFY, 0);
        EXPECT_EQ(seen.picture.rect.left, 7);
        EXPECT_EQ(seen.picture.rect.top, 5);
        EXPECT_EQ(seen.picture.rect.right - seen.picture.rect.left, 48);
        EXPECT_EQ(seen.picture.rect.bottom - seen.picture.rect.top, 48);
        EXPECT_TRUE(seen.pictureHasBitmap);
    } else {
        EXPECT_EQ(seen.childIds, (std::vector<int>{1, 0}));
        EXPECT_EQ(seen.picture.window, nullptr);
    }
    EXPECT_EQ(seen.text.className, L"Static");
    EXPECT_EQ(Narrow(seen.text.text), Narrow(text));
    EXPECT_EQ(seen.text.style & (SS_TYPEMASK | SS_NOPREFIX), SS_CENTER | SS_NOPREFIX);
    EXPECT_EQ(seen.text.style & (WS_TABSTOP | SS_NOTIFY), 0);
    EXPECT_EQ(seen.ok.className, L"Button");
    EXPECT_EQ(Narrow(seen.ok.text), "Ok");
    EXPECT_NE(seen.ok.style & WS_TABSTOP, 0);
    EXPECT_EQ(seen.ok.rect.left, 5);
    EXPECT_EQ(seen.ok.rect.top, 65);
    EXPECT_EQ(seen.ok.rect.right - seen.ok.rect.left, 60);
    EXPECT_EQ(seen.ok.rect.bottom - seen.ok.rect.top, 25);
    EXPECT_EQ(seen.okFont, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));

    // Verdana 10 pt bold at the screen's vertical resolution.
    ASSERT_TRUE(seen.textFontRead);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(Narrow(seen.textFont.lfFaceName), "Verdana");
    EXPECT_EQ(seen.textFont.lfHeight, -MulDiv(10, dpi, 72));
    EXPECT_EQ(seen.textFont.lfWeight, FW_BOLD);
    EXPECT_FALSE(seen.textFont.lfItalic || seen.textFont.lfUnderline || seen.textFont.lfStrikeOut);
    EXPECT_EQ(seen.textFont.lfCharSet, DEFAULT_CHARSET);

    // Dark grey text on white, white client area, and the text really drawn in that grey.
    EXPECT_EQ(seen.ctlTextColour, RGB(62, 62, 62));
    EXPECT_EQ(seen.ctlBackColour, RGB(255, 255, 255));
    LOGBRUSH brush{};
    ASSERT_TRUE(GetObjectW(seen.ctlBrush, sizeof brush, &brush));
    EXPECT_EQ(brush.lbColor, RGB(255, 255, 255));
    EXPECT_EQ(seen.cornerPixel, RGB(255, 255, 255));
    EXPECT_GT(seen.textColourPixels, 20);

    // Focus: on no control at first, Tab takes it to "Ok"; only "Ok" closes the window.
    EXPECT_NE(seen.focusAtOpen, seen.ok.window);
    EXPECT_NE(seen.focusAtOpen, seen.text.window);
    EXPECT_TRUE(focusOnOkAfterTab);
    EXPECT_TRUE(openAfterCloseRequests);
    EXPECT_TRUE(closed);
}

TEST_F(MessageWindowTest, SizeAndPositionFollowTheExtraSpace) {
    struct Case {
        const char* name;
        int32_t extraHeight, extraWidth;
        bool atTop, atLeft;  // larger than the screen in that dimension
    };
    const Case cases[] = {
        {"base size", 0, 0, false, false},
        {"more lines and a longer line", 45, 120, false, false},
        {"taller than the screen", 2000, 0, true, false},
        {"wider than the screen", 0, 3000, false, true},
    };
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Seen seen = ShowAndWatch(L"Zeile\r", kFile, c.extraHeight, c.extraWidth, kTitle);
        ASSERT_TRUE(seen.window);
        EXPECT_EQ(seen.client.right, 400 + c.extraWidth);
        EXPECT_EQ(seen.client.bottom, 100 + c.extraHeight);
        RECT expectOuter{0, 0, 400 + c.extraWidth, 100 + c.extraHeight};
        AdjustWindowRectEx(&expectOuter, WS_CAPTION, FALSE, 0);
        const int outerW = seen.outer.right - seen.outer.left, outerH = seen.outer.bottom - seen.outer.top;
        EXPECT_EQ(outerW, expectOuter.right - expectOuter.left);
        EXPECT_EQ(outerH, expectOuter.bottom - expectOuter.top);
        if (c.atLeft) {
            EXPECT_EQ(seen.outer.left, 0);
        } else {
            EXPECT_EQ(seen.outer.left, (sw - outerW) / 2);
        }
        if (c.atTop) {
            EXPECT_EQ(seen.outer.top, 0);
        } else {
            EXPECT_EQ(seen.outer.top, (sh - outerH) / 2);
        }
        // The text control keeps its fixed place and reaches 30 pixels past the right edge.
        EXPECT_EQ(seen.text.rect.left, 50);
        EXPECT_EQ(seen.text.rect.top, 10);
        EXPECT_EQ(seen.text.rect.right - seen.text.rect.left, 380 + c.extraWidth);
        EXPECT_EQ(seen.text.rect.bottom - seen.text.rect.top, 90 + c.extraHeight);
    }
}

TEST_F(MessageWindowTest, TitleAndTextAreShownAsGiven) {
    struct Case {
        const char* name;
        std::wstring programPath, fileName, text, title;
    };
    const Case cases[] = {
        {"ampersand", L"C:\\x\\notiwell.exe", kFile, L"Tom & Jerry && Co\r", kTitle},
        {"empty message", L"C:\\x\\notiwell.exe", kFile, L"", kTitle},
        {"other program name", L"D:\\tools\\notify.exe", L"20200101_000001.msg", L"Hallo\r",
         L"notify (Nachricht:20200101_000001.msg)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_paths.ProgramPath = c.programPath;
        const Seen seen = ShowAndWatch(c.text, c.fileName, 0, 0, c.title);
        ASSERT_TRUE(seen.window) << "no window titled " << Narrow(c.title);
        EXPECT_EQ(Narrow(seen.text.text), Narrow(c.text));
        EXPECT_NE(seen.text.style & SS_NOPREFIX, 0);
        EXPECT_TRUE(seen.ok.window);
    }
}

// Counts the events the thread's waits take from the queue.
std::atomic<int> g_eventsTaken{0};
LRESULT CALLBACK CountTaken(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) ++g_eventsTaken;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

int CountOccurrences(const std::string& hay, const std::string& needle) {
    int n = 0;
    for (size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + needle.size())) ++n;
    return n;
}

TEST_F(MessageWindowTest, WaitWritesOneDebugLinePerEventOnlyWithDebugOn) {
    struct Case {
        const wchar_t* debug;
        bool lines;
    };
    const Case cases[] = {{L"1", true}, {L"0", false}, {L"yes", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.debug));
        DeleteFileW(g_paths.LogFilePath.c_str());
        g_settings.Debug = c.debug;
        g_eventsTaken = 0;
        HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, CountTaken, nullptr, GetCurrentThreadId());
        ASSERT_TRUE(hook);
        const Seen seen = ShowAndWatch(L"Text\r", kFile, 0, 0, kTitle);
        UnhookWindowsHookEx(hook);
        ASSERT_TRUE(seen.window);
        const int lines = CountOccurrences(ReadFileBytes(g_paths.LogFilePath), "Warte auf OK der angezeigten Nachricht");
        if (c.lines) {
            EXPECT_GE(g_eventsTaken.load(), 1);  // at least the click on "Ok"
            EXPECT_EQ(lines, g_eventsTaken.load());
        } else {
            EXPECT_EQ(lines, 0);
        }
    }
}

// A stand-in for the tray program's invisible main window that records what reaches it.
std::vector<UINT> g_mainSaw;
LRESULT CALLBACK FakeMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER || message == kTrayCallback || message == WM_COMMAND || message == WM_CLOSE)
        g_mainSaw.push_back(message);
    if (message == WM_CLOSE) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(MessageWindowTest, MainLoopEventsArrivingMeanwhileAreDropped) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = FakeMainProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"NotiwellTestFakeMain";
    RegisterClassW(&cls);
    HWND main = CreateWindowExW(0, cls.lpszClassName, L"fake main", 0, 0, 0, 0, 0, nullptr, nullptr,
                                cls.hInstance, nullptr);
    ASSERT_TRUE(main);
    SetMainWindow(main);
    g_mainSaw.clear();
    SetTimer(main, 7, 20, nullptr);
    const Seen seen = ShowAndWatch(L"Text\r", kFile, 0, 0, kTitle, [&](Seen&) {
        PostMessageW(main, WM_TIMER, 7, 0);
        PostMessageW(main, kTrayCallback, 0, WM_RBUTTONUP);
        PostMessageW(main, WM_COMMAND, 1, 0);
        PostMessageW(main, WM_CLOSE, 0, 0);
        Sleep(100);  // real timer ticks too
    });
    KillTimer(main, 7);
    EXPECT_TRUE(seen.window);
    // Whatever was left in the queue would reach the main window now.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_TRUE(g_mainSaw.empty()) << g_mainSaw.size() << " main-loop events reached the main window";
    DestroyWindow(main);
}

}  // namespace
