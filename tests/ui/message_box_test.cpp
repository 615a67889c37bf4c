// Message boxes take the program's windows out of the topmost band and disable all but the
// foreground one while they are open, and give both back afterwards.
#include "ui/message_box.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "ui/window_watch.h"

namespace {

struct WindowState {
    bool topmost = false;
    bool enabled = false;
};

WindowState StateOf(HWND w) {
    return {(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, IsWindowEnabled(w) != FALSE};
}

TEST(ProgramBoxTest, OtherWindowsLoseTopmostAndAllButTheForegroundAreDisabledWhileOpen) {
    const wchar_t* cls = L"Static";
    auto make = [&](const wchar_t* title, bool visible) {
        HWND w = CreateWindowExW(WS_EX_TOPMOST, cls, title, WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 50, 50,
                                 200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        return w;
    };
    HWND front = make(L"front", true);
    HWND back = make(L"back", true);
    HWND hidden = make(L"hidden", false);
    HWND disabled = make(L"disabled", true);
    ASSERT_TRUE(front && back && hidden && disabled);
    EnableWindow(disabled, FALSE);
    SetForegroundWindow(front);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == front; }, 5000));

    const DWORD threadId = GetCurrentThreadId();
    const std::wstring caption = L"notiwell-box-test";
    std::atomic<bool> returned{false};
    bool boxFound = false;
    WindowState frontOpen, backOpen, hiddenOpen, disabledOpen;
    std::thread watcher([&] {
        HWND box = nullptr;
        boxFound = WaitUntil([&] {
            box = FindThreadWindow(threadId, L"#32770", caption);
            return box != nullptr || returned.load();
        }) && box != nullptr;
        if (!boxFound) return;
        frontOpen = StateOf(front);
        backOpen = StateOf(back);
        hiddenOpen = StateOf(hidden);
        disabledOpen = StateOf(disabled);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    ShowProgramBox(L"Text", caption, BoxIcon::Information);
    returned = true;
    watcher.join();

    ASSERT_TRUE(boxFound);
    EXPECT_FALSE(frontOpen.topmost);
    EXPECT_TRUE(frontOpen.enabled);
    EXPECT_FALSE(backOpen.topmost);
    EXPECT_FALSE(backOpen.enabled);
    EXPECT_TRUE(hiddenOpen.topmost) << "invisible windows are left alone";
    EXPECT_TRUE(hiddenOpen.enabled);
    EXPECT_FALSE(disabledOpen.topmost);
    EXPECT_FALSE(disabledOpen.enabled);
    for (HWND w : {front, back, hidden, disabled}) {
        const WindowState after = StateOf(w);
        EXPECT_TRUE(after.topmost);
        EXPECT_EQ(after.enabled, w != disabled) << "a window disabled before the box stays disabled";
    }
    DestroyWindow(disabled);
    DestroyWindow(hidden);
    DestroyWindow(back);
    DestroyWindow(front);
}

}  // namespace
