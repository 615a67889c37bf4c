// The shared nested wait: main-loop events are taken and dropped, everything else reaches
// its window, and a quit request is handed back to the outer loop.
#include "ui/event_wait.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <utility>
#include <vector>

namespace {

constexpr UINT kEnd = WM_APP + 99;

// Which messages reached which window, in order.
std::vector<std::pair<HWND, UINT>> g_reached;
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER || message == WM_CLOSE || message == kTrayCallback || message == WM_COMMAND ||
        message == WM_PAINT || message >= WM_APP)
        g_reached.emplace_back(window, message);
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        return 0;
    }
    if (message == WM_CLOSE) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

class EventWaitTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW cls{};
        cls.lpfnWndProc = RecordingProc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"NotiwellTestRecording";
        RegisterClassW(&cls);
        main_ = CreateWindowExW(0, cls.lpszClassName, L"main", 0, 0, 0, 0, 0, nullptr, nullptr, cls.hInstance, nullptr);
        other_ = CreateWindowExW(0, cls.lpszClassName, L"other", WS_OVERLAPPED | WS_VISIBLE, 10, 10, 100, 100, nullptr,
                                 nullptr, cls.hInstance, nullptr);
        ASSERT_TRUE(main_ && other_);
        SetMainWindow(main_);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        g_reached.clear();
    }
    void TearDown() override {
        SetMainWindow(nullptr);
        DestroyWindow(other_);
        DestroyWindow(main_);
    }
    bool Reached(HWND window, UINT message) const {
        for (const auto& r : g_reached)
            if (r.first == window && r.second == message) return true;
        return false;
    }
    HWND main_ = nullptr;
    HWND other_ = nullptr;
};

TEST_F(EventWaitTest, DropsMainLoopEventsAndDispatchesTheRest) {
    struct Case {
        const char* name;
        bool toMain;
        UINT message;
        bool dispatched;
    };
    const Case cases[] = {
        {"timer tick of the main window", true, WM_TIMER, false},
        {"tray-icon action", true, kTrayCallback, false},
        {"menu command", true, WM_COMMAND, false},
        {"close request of the main window", true, WM_CLOSE, false},
        {"private message of the main window", true, WM_APP + 1, false},
        {"timer tick of another window", false, WM_TIMER, false},
        {"close request of another window", false, WM_CLOSE, false},
        {"tray callback sent to another window", false, kTrayCallback, false},
        {"private message of another window", false, WM_APP + 2, true},
        {"command of another window", false, WM_COMMAND, true},
    };
    for (const Case& c : cases) PostMessageW(c.toMain ? main_ : other_, c.message, 0, 0);
    SetTimer(main_, 1, 10, nullptr);
    InvalidateRect(other_, nullptr, TRUE);
    PostMessageW(other_, kEnd, 0, 0);

    std::map<UINT, int> taken;
    int waits = 0;
    RunNestedWait([&] { ++waits; }, [&](const MSG& msg) { ++taken[msg.message]; },
                  // Paint comes only once the posted events are gone; a few real ticks go by meanwhile.
                  [&] { return Reached(other_, kEnd) && Reached(other_, WM_PAINT) && taken[WM_TIMER] >= 3; });
    KillTimer(main_, 1);
    const auto duringWait = g_reached;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HWND target = c.toMain ? main_ : other_;
        EXPECT_EQ(Reached(target, c.message), c.dispatched);
        EXPECT_GE(taken[c.message], 1) << "the wait never saw it";
    }
    EXPECT_EQ(g_reached.size(), duringWait.size()) << "dropped events were left in the queue";
    EXPECT_GE(waits, 3);
}

TEST_F(EventWaitTest, QuitRequestEndsTheWaitAndIsHandedOn) {
    PostQuitMessage(5);
    bool askedToEnd = false;
    RunNestedWait(nullptr, nullptr, [&] {
        askedToEnd = true;
        return false;
    });
    EXPECT_FALSE(askedToEnd);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

}  // namespace
