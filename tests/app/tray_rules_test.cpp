// The tray program's window-free rules: the tooltip text, the menu's layout and how the main
// loop tells its events apart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tray_app.h"
#include "ui/event_wait.h"

namespace {

TEST(TrayTooltip, FollowsMonitoringAndIsCutTo63Characters) {
    struct Case {
        std::wstring title;
        int32_t monitoring;
        std::wstring expected;
    };
    const std::wstring long60(60, L'n');
    const Case cases[] = {
        {L"notify", 1, L"notify - aktiv"},
        {L"notify", 0, L"notify - gestoppt"},
        {L"notify", 2, L"notify - gestoppt"},  // only 1 counts as started
        {long60, 1, long60 + L" - "},
        {std::wstring(55, L'x'), 0, std::wstring(55, L'x') + L" - gesto"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.monitoring);
        const std::wstring tip = TrayTooltip(c.title, c.monitoring);
        EXPECT_EQ(tip, c.expected);
        EXPECT_LE(tip.size(), 63u);
    }
}

std::wstring Describe(const std::vector<TrayMenuEntry>& items) {
    std::wstring out;
    for (const TrayMenuEntry& item : items) out += item.separator ? L"-|" : std::to_wstring(item.id) + L":" + item.text + L"|";
    return out;
}

TEST(TrayMenuLayout, HoldsTheAdhocItemOnlyWhenBothSwitchesAreExactlyOne) {
    const std::wstring without = L"0:Start|1:Stop|-|3:Info|-|4:Beenden|";
    const std::wstring with = L"0:Start|1:Stop|-|2:Adhoc Meldung an alle erstellen|-|3:Info|-|4:Beenden|";
    struct Case {
        const wchar_t* allow;
        const wchar_t* possible;
        const std::wstring& expected;
    };
    const Case cases[] = {
        {L"1", L"1", with},   {L"1", L"0", without}, {L"0", L"1", without},
        {L"yes", L"1", without}, {L" 1", L"1", without}, {L"", L"", without},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.allow, c.allow + wcslen(c.allow)));
        EXPECT_EQ(Describe(TrayMenuLayout(c.allow, c.possible)), c.expected);
    }
}

TEST(ClassifyMainEvent, TellsTicksTrayActionsMenuCommandsAndCloseRequestsApart) {
    const HWND main = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234));
    const HWND control = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x5678));
    struct Case {
        const char* name;
        MSG msg;
        MainEventKind kind;
        UINT value;
    };
    const Case cases[] = {
        {"tick of the main window", {main, WM_TIMER, 0, 0}, MainEventKind::Tick, 0},
        {"tick of another id", {main, WM_TIMER, 7, 0}, MainEventKind::Tick, 0},
        {"right button on the icon", {main, kTrayCallback, 1, WM_RBUTTONDOWN}, MainEventKind::TrayAction, WM_RBUTTONDOWN},
        {"left double click on the icon", {main, kTrayCallback, 1, WM_LBUTTONDBLCLK}, MainEventKind::TrayAction,
         WM_LBUTTONDBLCLK},
        {"menu item 0 (Start)", {main, WM_COMMAND, 0, 0}, MainEventKind::MenuCommand, 0},
        {"menu item 4 (Beenden)", {main, WM_COMMAND, 4, 0}, MainEventKind::MenuCommand, 4},
        {"a control with id 0 clicked", {main, WM_COMMAND, 0, reinterpret_cast<LPARAM>(control)}, MainEventKind::Other,
         0},
        {"an accelerator with id 0", {main, WM_COMMAND, MAKEWPARAM(0, 1), 0}, MainEventKind::Other, 0},
        {"a command for another window", {control, WM_COMMAND, 0, 0}, MainEventKind::Other, 0},
        {"close request", {main, WM_CLOSE, 0, 0}, MainEventKind::CloseRequest, 0},
        {"anything else", {main, WM_NULL, 0, 0}, MainEventKind::Other, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MainEvent event = ClassifyMainEvent(c.msg, main);
        EXPECT_EQ(event.kind, c.kind);
        EXPECT_EQ(event.value, c.value);
    }
}

}  // namespace
