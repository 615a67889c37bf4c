// The info window shown for real on the test's main thread and looked at from a second
// thread while its wait runs: layout, styles, texts, the logo, and the ways it closes.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "ui/info_window.h"

namespace {

enum class CloseBy { OkButton, SentClose, PostedClose, SystemMenu };

struct Seen {
    bool found = false;
    HWND window = nullptr;
    bool visible = false;
    bool foreground = false;
    bool hasIcon = false;
    RECT outer{}, client{};
    LONG_PTR style = 0, exStyle = 0;
    int children = 0;
    HWND picture = nullptr, text = nullptr, button = nullptr;
    RECT pictureRect{}, pictureClient{}, textRect{}, buttonRect{};
    LONG_PTR pictureStyle = 0, pictureExStyle = 0, textStyle = 0;
    std::wstring textValue, buttonText;
    bool defaultFonts = false;
    bool hasBitmap = false;
    int bitmapWidth = 0, bitmapHeight = 0;
    bool openAfterOtherEvents = false;
    bool otherWindowKept = false;
    bool closed = false;
};

template <typename Ready>
bool WaitUntil(Ready ready, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::wstring TextOf(HWND window) {
    wchar_t buf[256] = {};
    GetWindowTextW(window, buf, 256);
    return buf;
}

std::wstring ClassOf(HWND window) {
    wchar_t buf[64] = {};
    GetClassNameW(window, buf, 64);
    return buf;
}

RECT RectInParent(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool SameRect(const RECT& r, int x, int y, int w, int h) {
    return r.left == x && r.top == y && r.right - r.left == w && r.bottom - r.top == h;
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    auto* seen = reinterpret_cast<Seen*>(param);
    ++seen->children;
    const std::wstring cls = ClassOf(child);
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    if (_wcsicmp(cls.c_str(), L"Button") == 0) {
        seen->button = child;
    } else if (_wcsicmp(cls.c_str(), L"Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_BITMAP) {
            seen->picture = child;
        } else {
            seen->text = child;
        }
    }
    return TRUE;
}

void LookAt(HWND window, Seen& seen) {
    seen.found = true;
    seen.window = window;
    seen.visible = IsWindowVisible(window) != FALSE;
    // Activation follows showing a moment later.
    seen.foreground = WaitUntil([&] { return GetForegroundWindow() == window; }, 2000);
    seen.hasIcon = GetClassLongPtrW(window, GCLP_HICON) != 0 && GetClassLongPtrW(window, GCLP_HICONSM) != 0;
    GetWindowRect(window, &seen.outer);
    GetClientRect(window, &seen.client);
    seen.style = GetWindowLongPtrW(window, GWL_STYLE);
    seen.exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&seen));
    const auto defaultFont = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    seen.defaultFonts = true;
    // A bitmap static keeps no font, so only the text and the button can show theirs.
    for (HWND control : {seen.text, seen.button}) {
        if (!control || static_cast<WPARAM>(SendMessageW(control, WM_GETFONT, 0, 0)) != defaultFont)
            seen.defaultFonts = false;
    }
    if (seen.picture) {
        seen.pictureRect = RectInParent(seen.picture);
        GetClientRect(seen.picture, &seen.pictureClient);
        seen.pictureStyle = GetWindowLongPtrW(seen.picture, GWL_STYLE);
        seen.pictureExStyle = GetWindowLongPtrW(seen.picture, GWL_EXSTYLE);
        auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(seen.picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP info{};
        if (bitmap && GetObjectW(bitmap, sizeof info, &info)) {
            seen.hasBitmap = true;
            seen.bitmapWidth = info.bmWidth;
            seen.bitmapHeight = info.bmHeight;
        }
    }
    if (seen.text) {
        seen.textRect = RectInParent(seen.text);
        seen.textStyle = GetWindowLongPtrW(seen.text, GWL_STYLE);
        seen.textValue = TextOf(seen.text);
    }
    if (seen.button) {
        seen.buttonRect = RectInParent(seen.button);
        seen.buttonText = TextOf(seen.button);
    }
}

void Close(HWND window, HWND button, CloseBy how) {
    switch (how) {
    case CloseBy::OkButton:
        if (button) SendMessageW(button, BM_CLICK, 0, 0);
        break;
    case CloseBy::SentClose:
        SendMessageW(window, WM_CLOSE, 0, 0);
        break;
    case CloseBy::PostedClose:
        PostMessageW(window, WM_CLOSE, 0, 0);
        break;
    case CloseBy::SystemMenu:
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

BOOL CALLBACK CloseAny(HWND window, LPARAM) {
    SendMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// Opens the window on this thread; a second thread looks at it, sends it events that must
// not close it, then closes it the given way. Should anything go wrong the helper thread
// still ends the window, so that the test cannot hang.
Seen OpenAndLook(CloseBy how) {
    Seen seen;
    const DWORD mainThread = GetCurrentThreadId();
    // Another window of this thread: a close request to it must neither close the info
    // window nor reach this window.
    HWND other = CreateWindowExW(0, L"Static", L"other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    std::thread helper([&] {
        HWND window = nullptr;
        if (!WaitUntil([&] { return (window = FindWindowW(nullptr, kInfoWindowTitle)) && IsWindowVisible(window); },
                       10000)) {
            EnumThreadWindows(mainThread, CloseAny, 0);
            return;
        }
        LookAt(window, seen);
        if (seen.picture) {
            PostMessageW(seen.picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            PostMessageW(seen.picture, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        }
        if (other) PostMessageW(other, WM_CLOSE, 0, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        seen.openAfterOtherEvents = IsWindow(window) && IsWindowVisible(window);
        seen.otherWindowKept = other && IsWindow(other);

        Close(window, seen.button, how);
        seen.closed = WaitUntil([&] { return !IsWindow(window); }, 5000);
        if (!seen.closed) {
            SendMessageW(window, WM_CLOSE, 0, 0);
            if (!WaitUntil([&] { return !IsWindow(window); }, 5000)) PostThreadMessageW(mainThread, WM_QUIT, 0, 0);
        }
    });
    ShowInfoWindow();
    helper.join();
    if (other) DestroyWindow(other);
    return seen;
}

class InfoWindowTest : public ::testing::TestWithParam<CloseBy> {};

TEST_P(InfoWindowTest, ShowsLogoVersionAndOkAndClosesOnRequest) {
    const Seen seen = OpenAndLook(GetParam());
    ASSERT_TRUE(seen.found) << "no visible window titled \"\xC3\x9C" "ber ... \"";
    EXPECT_TRUE(seen.visible);
    EXPECT_TRUE(seen.foreground);
    EXPECT_TRUE(seen.hasIcon);

    EXPECT_EQ(seen.client.right, 196);
    EXPECT_EQ(seen.client.bottom, 179);
    const int width = seen.outer.right - seen.outer.left;
    const int height = seen.outer.bottom - seen.outer.top;
    EXPECT_EQ(seen.outer.left, std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2));
    EXPECT_EQ(seen.outer.top, std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2));

    EXPECT_TRUE(seen.style & WS_POPUP);
    EXPECT_EQ(seen.style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(seen.style & WS_SYSMENU);
    EXPECT_TRUE(seen.style & WS_THICKFRAME);
    EXPECT_TRUE(seen.style & WS_MINIMIZEBOX);
    EXPECT_FALSE(seen.style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(seen.exStyle & WS_EX_TOPMOST);

    EXPECT_EQ(seen.children, 3);
    ASSERT_NE(seen.picture, nullptr);
    ASSERT_NE(seen.text, nullptr);
    ASSERT_NE(seen.button, nullptr);
    EXPECT_TRUE(SameRect(seen.pictureRect, 23, 10, 153, 114)) << Describe(seen.pictureRect);
    EXPECT_TRUE(SameRect(seen.textRect, 38, 125, 120, 20)) << Describe(seen.textRect);
    EXPECT_TRUE(SameRect(seen.buttonRect, 38, 147, 120, 25)) << Describe(seen.buttonRect);
    EXPECT_TRUE(seen.defaultFonts);

    // The logo fills the sunken frame exactly.
    EXPECT_TRUE(seen.pictureExStyle & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(seen.pictureStyle & SS_NOTIFY);
    EXPECT_TRUE(seen.hasBitmap);
    EXPECT_EQ(seen.bitmapWidth, 149);
    EXPECT_EQ(seen.bitmapHeight, 110);
    EXPECT_TRUE(SameRect(seen.pictureClient, 0, 0, 149, 110)) << Describe(seen.pictureClient);

    EXPECT_EQ(seen.textValue, L"Version  2018.09.11.01");
    EXPECT_EQ(seen.textStyle & SS_TYPEMASK, SS_CENTER);
    EXPECT_EQ(seen.buttonText, L"Ok");

    EXPECT_TRUE(seen.openAfterOtherEvents) << "a click on the picture or a close request elsewhere closed it";
    EXPECT_TRUE(seen.otherWindowKept) << "the close request for another window was handed on";
    EXPECT_TRUE(seen.closed);
    EXPECT_FALSE(IsWindow(seen.window));
}

INSTANTIATE_TEST_SUITE_P(CloseWays, InfoWindowTest,
                         ::testing::Values(CloseBy::OkButton, CloseBy::SentClose, CloseBy::PostedClose,
                                           CloseBy::SystemMenu),
                         [](const ::testing::TestParamInfo<CloseBy>& info) -> std::string {
                             switch (info.param) {
                             case CloseBy::OkButton: return "OkButton";
                             case CloseBy::SentClose: return "SentClose";
                             case CloseBy::PostedClose: return "PostedClose";
                             case CloseBy::SystemMenu: return "SystemMenu";
                             }
                             return "Unknown";
                         });

struct TestLogo {
    explicit TestLogo(const std::string* bytes) { SetInfoLogoForTesting(bytes); }
    ~TestLogo() { SetInfoLogoForTesting(nullptr); }
};

TEST(InfoWindowLogo, IsDecodedAtEveryOpeningAndADamagedOneLeavesTheFrameEmpty) {
    {
        const std::string damaged("\xFF\xD8\xFF\xE0 this is no picture", 24);
        TestLogo logo(&damaged);
        const Seen seen = OpenAndLook(CloseBy::OkButton);
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.children, 3);
        ASSERT_NE(seen.picture, nullptr);
        EXPECT_FALSE(seen.hasBitmap);
        EXPECT_TRUE(SameRect(seen.pictureRect, 23, 10, 153, 114)) << Describe(seen.pictureRect);
        EXPECT_EQ(seen.textValue, L"Version  2018.09.11.01");
        EXPECT_TRUE(seen.closed);
    }
    // With the program's own logo again the next opening shows it.
    const Seen seen = OpenAndLook(CloseBy::OkButton);
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.hasBitmap);
}

}  // namespace
