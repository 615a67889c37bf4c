// The ad hoc composer shown for real: its layout and tooltip, the ways it ends with their log
// lines, "Senden" with empty, blank and real text, a failed write that keeps the text, and
// the keyboard in its field.
#include "ui/adhoc_composer.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "support/temp_dir.h"
#include "ui/event_wait.h"
#include "ui/message_box.h"
#include "ui/window_watch.h"

namespace {

struct Box {
    std::wstring text, caption;
    BoxIcon icon;
    bool composerOpen;
    std::wstring fieldText;  // the field's text while the box was up
};
std::vector<Box> g_boxes;
HWND g_composerWindow = nullptr;
std::function<void(HWND)> g_onOpened;
std::function<void()> g_onBox;

HWND Child(int id) { return GetDlgItem(g_composerWindow, id); }

void RecordBox(const std::wstring& text, const std::wstring& caption, BoxIcon icon) {
    const bool open = g_composerWindow && IsWindow(g_composerWindow);
    g_boxes.push_back({text, caption, icon, open, open ? WindowText(Child(kComposerEditId)) : L""});
    if (g_onBox) g_onBox();
}

void OnOpened(HWND composer) {
    g_composerWindow = composer;
    if (g_onOpened) g_onOpened(composer);
}

void Press(int id) { PostMessageW(Child(id), BM_CLICK, 0, 0); }

// Runs steps one after the other inside the composer's wait: each step is posted behind what
// the previous one posted, and behind the characters the wait makes of posted key presses.
class Steps {
public:
    explicit Steps(std::vector<std::function<void()>> steps) : steps_(std::move(steps)) {
        WNDCLASSW cls{};
        cls.lpfnWndProc = Proc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"ComposerTestSteps";
        RegisterClassW(&cls);
        window_ = CreateWindowW(L"ComposerTestSteps", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Steps() { DestroyWindow(window_); }
    void Start() { PostMessageW(window_, WM_APP, 0, 0); }
    size_t done() const { return next_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Steps*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_APP && self) {
            if (wParam == 0) {  // one more hop first
                PostMessageW(window, WM_APP, 1, 0);
            } else if (self->next_ < self->steps_.size()) {
                self->steps_[self->next_++]();
                PostMessageW(window, WM_APP, 0, 0);
            }
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
    HWND window_ = nullptr;
};

class AdhocComposerTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedPaths_ = g_paths;
        savedSettings_ = g_settings;
        g_paths.ProgramPath = L"C:\\x\\notify.exe";
        g_paths.LogFilePath = log_ / L"notify.log";
        g_settings.Debug = L"1";
        g_settings.WatchDir = watch_.path();
        g_boxes.clear();
        g_composerWindow = nullptr;
        g_onOpened = nullptr;
        g_onBox = nullptr;
        SetBoxHookForTesting(RecordBox);
        SetComposerOpenedHookForTesting(OnOpened);
    }
    void TearDown() override {
        SetBoxHookForTesting(nullptr);
        SetComposerOpenedHookForTesting(nullptr);
        g_onOpened = nullptr;
        g_onBox = nullptr;
        g_paths = savedPaths_;
        g_settings = savedSettings_;
    }
    std::string Log() const { return ReadFileBytes(g_paths.LogFilePath); }
    bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }
    std::vector<std::wstring> MessageFiles() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((watch_.path() + L"*.msg").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return names;
        do names.push_back(data.cFileName);
        while (FindNextFileW(find, &data));
        FindClose(find);
        return names;
    }
    // Shows the composer; fails the test if it does not return (the steps never ended it).
    void Show() {
        ShowAdhocComposer();
        EXPECT_FALSE(IsWindow(g_composerWindow)) << "the composer window outlived its call";
    }

    TempDir log_;
    TempDir watch_;
    AppPaths savedPaths_;
    Settings savedSettings_;
};

struct ToolSeen {
    HWND window = nullptr;
    LONG style = 0;
    LONG exStyle = 0;
    LRESULT count = 0;
    TOOLINFOW info{};
    std::wstring text;
    COLORREF textColour = 0, backColour = 0;
    LRESULT maxWidth = 0;
};

BOOL CALLBACK FindTooltip(HWND window, LPARAM param) {
    auto* seen = reinterpret_cast<ToolSeen*>(param);
    if (ClassOf(window) == TOOLTIPS_CLASSW && GetWindow(window, GW_OWNER) == g_composerWindow) {
        seen->window = window;
        return FALSE;
    }
    return TRUE;
}

TEST_F(AdhocComposerTest, IsLaidOutWithItsControlsTooltipAndNoFocus) {
    struct Seen {
        RECT client{}, outer{};
        LONG style = 0, exStyle = 0;
        HWND owner = nullptr;
        ULONG_PTR background = 0;
        std::wstring title;
        std::vector<int> ids;
        RECT edit{}, cancel{}, send{};
        LONG editStyle = 0, editExStyle = 0;
        std::wstring cancelText, sendText, editClass, buttonClass;
        HFONT editFont = nullptr, cancelFont = nullptr, sendFont = nullptr;
        HWND focus = reinterpret_cast<HWND>(-1);
        RECT editAfterResize{}, sendAfterResize{};
        ToolSeen tool;
    } seen;
    g_onOpened = [&](HWND w) {
        GetClientRect(w, &seen.client);
        GetWindowRect(w, &seen.outer);
        seen.style = GetWindowLongW(w, GWL_STYLE);
        seen.exStyle = GetWindowLongW(w, GWL_EXSTYLE);
        seen.owner = GetWindow(w, GW_OWNER);
        seen.background = GetClassLongPtrW(w, GCLP_HBRBACKGROUND);
        seen.title = WindowText(w);
        for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) seen.ids.push_back(GetDlgCtrlID(c));
        seen.edit = ChildRect(Child(kComposerEditId));
        seen.cancel = ChildRect(Child(kComposerCancelId));
        seen.send = ChildRect(Child(kComposerSendId));
        seen.editStyle = GetWindowLongW(Child(kComposerEditId), GWL_STYLE);
        seen.editExStyle = GetWindowLongW(Child(kComposerEditId), GWL_EXSTYLE);
        seen.editClass = ClassOf(Child(kComposerEditId));
        seen.buttonClass = ClassOf(Child(kComposerSendId));
        seen.cancelText = WindowText(Child(kComposerCancelId));
        seen.sendText = WindowText(Child(kComposerSendId));
        seen.editFont = reinterpret_cast<HFONT>(SendMessageW(Child(kComposerEditId), WM_GETFONT, 0, 0));
        seen.cancelFont = reinterpret_cast<HFONT>(SendMessageW(Child(kComposerCancelId), WM_GETFONT, 0, 0));
        seen.sendFont = reinterpret_cast<HFONT>(SendMessageW(Child(kComposerSendId), WM_GETFONT, 0, 0));
        seen.focus = GetFocus();

        ToolSeen& t = seen.tool;
        EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&t));
        if (t.window) {
            t.style = GetWindowLongW(t.window, GWL_STYLE);
            t.exStyle = GetWindowLongW(t.window, GWL_EXSTYLE);
            t.count = SendMessageW(t.window, TTM_GETTOOLCOUNT, 0, 0);
            wchar_t buffer[256] = {};
            t.info.cbSize = sizeof(TOOLINFOW);
            t.info.lpszText = buffer;
            if (SendMessageW(t.window, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&t.info))) t.text = buffer;
            t.textColour = static_cast<COLORREF>(SendMessageW(t.window, TTM_GETTIPTEXTCOLOR, 0, 0));
            t.backColour = static_cast<COLORREF>(SendMessageW(t.window, TTM_GETTIPBKCOLOR, 0, 0));
            t.maxWidth = SendMessageW(t.window, TTM_GETMAXTIPWIDTH, 0, 0);
        }
        // The user may resize the window; the controls stay where they are.
        SetWindowPos(w, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        seen.editAfterResize = ChildRect(Child(kComposerEditId));
        seen.sendAfterResize = ChildRect(Child(kComposerSendId));
        Press(kComposerCancelId);
    };
    Show();

    EXPECT_EQ(seen.title, kComposerTitle);
    EXPECT_EQ(seen.client.right, 383);
    EXPECT_EQ(seen.client.bottom, 168);
    const LONG frame = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    EXPECT_EQ(seen.style & frame, frame);
    EXPECT_EQ(seen.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    // The system adds the window edge to every captioned frame; nothing else may be there.
    EXPECT_EQ(seen.exStyle & ~WS_EX_WINDOWEDGE, 0);
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_EQ(seen.background, static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    const int ow = seen.outer.right - seen.outer.left, oh = seen.outer.bottom - seen.outer.top;
    EXPECT_EQ(seen.outer.left, (sw - std::min(sw, ow)) / 2);
    EXPECT_EQ(seen.outer.top, (sh - std::min(sh, oh)) / 2);

    EXPECT_EQ(seen.ids, (std::vector<int>{kComposerEditId, kComposerCancelId, kComposerSendId}));
    EXPECT_EQ(seen.editClass, L"Edit");
    EXPECT_EQ(seen.buttonClass, L"Button");
    auto same = [](const RECT& r, LONG l, LONG t, LONG w, LONG h) {
        return r.left == l && r.top == t && r.right - r.left == w && r.bottom - r.top == h;
    };
    EXPECT_TRUE(same(seen.edit, 10, 5, 365, 120));
    EXPECT_TRUE(same(seen.cancel, 5, 135, 80, 30));
    EXPECT_TRUE(same(seen.send, 295, 130, 80, 30));
    EXPECT_TRUE(same(seen.editAfterResize, 10, 5, 365, 120));
    EXPECT_TRUE(same(seen.sendAfterResize, 295, 130, 80, 30));
    EXPECT_EQ(seen.editStyle & (ES_MULTILINE | ES_AUTOHSCROLL | WS_TABSTOP), ES_MULTILINE | ES_AUTOHSCROLL | WS_TABSTOP);
    EXPECT_EQ(seen.editStyle & (ES_AUTOVSCROLL | WS_VSCROLL | WS_HSCROLL), 0);
    EXPECT_NE(seen.editExStyle & WS_EX_CLIENTEDGE, 0);
    EXPECT_EQ(seen.cancelText, L"Abbruch");
    EXPECT_EQ(seen.sendText, L"Senden");
    const HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(seen.editFont, gui);
    EXPECT_EQ(seen.cancelFont, gui);
    EXPECT_EQ(seen.sendFont, gui);
    EXPECT_TRUE(seen.focus == nullptr || seen.focus == g_composerWindow) << "a control has the focus at open";

    const ToolSeen& t = seen.tool;
    ASSERT_NE(t.window, nullptr) << "no tooltip owned by the composer";
    EXPECT_EQ(t.style & (WS_POPUP | TTS_BALLOON | TTS_NOPREFIX), static_cast<LONG>(WS_POPUP | TTS_BALLOON | TTS_NOPREFIX));
    EXPECT_EQ(t.style & TTS_ALWAYSTIP, 0);
    // The tooltip control makes itself a topmost tool window; nothing else is asked of it.
    EXPECT_EQ(t.exStyle & ~(WS_EX_TOPMOST | WS_EX_TOOLWINDOW), 0);
    EXPECT_EQ(t.count, 1);
    EXPECT_EQ(t.info.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), static_cast<UINT>(TTF_IDISHWND | TTF_SUBCLASS));
    EXPECT_EQ(t.text, L"Schreiben Sie hier Ihre Nachricht ");
    EXPECT_EQ(t.textColour, GetSysColor(COLOR_INFOTEXT));
    EXPECT_EQ(t.backColour, GetSysColor(COLOR_INFOBK));
    EXPECT_EQ(t.maxWidth, 180);
}

TEST(AddBalloonTooltip, AddsOneToolForTheControlWithTheVersion2Record) {
    HWND parent = CreateWindowW(L"Static", L"parent", WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    HWND field = CreateWindowW(L"Edit", L"", WS_CHILD, 0, 0, 100, 20, parent, nullptr, nullptr, nullptr);
    const HWND tip = AddBalloonTooltip(parent, field, L"A & B");
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(GetWindow(tip, GW_OWNER), parent);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    // The tool is found by the control's handle as both window and id.
    wchar_t buffer[64] = {};
    TOOLINFOW query{};
    query.cbSize = TTTOOLINFOW_V2_SIZE;
    query.hwnd = field;
    query.uId = reinterpret_cast<UINT_PTR>(field);
    query.lpszText = buffer;
    EXPECT_TRUE(SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&query)));
    EXPECT_STREQ(buffer, L"A & B");
    DestroyWindow(parent);
    EXPECT_FALSE(IsWindow(tip)) << "the tooltip must go with its owner";
}

TEST_F(AdhocComposerTest, EndsByAbbruchOrCloseRequestWithTheirLogLines) {
    struct Case {
        const char* name;
        std::function<void(HWND)> end;
        bool cancelLine;
    };
    const Case cases[] = {
        {"Abbruch", [](HWND) { Press(kComposerCancelId); }, true},
        {"close box", [](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }, false},
        {"posted close request", [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(g_paths.LogFilePath.c_str());
        g_onOpened = [&](HWND w) {
            SetWindowTextW(Child(kComposerEditId), L"nicht gesendet");
            c.end(w);
        };
        Show();
        const std::string log = Log();
        const size_t opened = log.find("Adhoc Nachricht soll erstellt werden");
        const size_t loop = log.find("CreateMessage Schleife>");
        ASSERT_NE(opened, std::string::npos);
        ASSERT_NE(loop, std::string::npos);
        EXPECT_LT(opened, loop);
        const size_t cancelled = log.find("Adhoc Nachricht wurde abgebrochen");
        if (c.cancelLine) {
            ASSERT_NE(cancelled, std::string::npos);
            EXPECT_LT(loop, cancelled);
        } else {
            EXPECT_EQ(cancelled, std::string::npos);
        }
        EXPECT_TRUE(MessageFiles().empty());
        EXPECT_TRUE(g_boxes.empty());
    }
}

TEST_F(AdhocComposerTest, LoopLinesAreDebugLines) {
    g_settings.Debug = L"0";
    g_onOpened = [](HWND) { Press(kComposerCancelId); };
    Show();
    EXPECT_TRUE(Logged("Adhoc Nachricht soll erstellt werden"));
    EXPECT_TRUE(Logged("Adhoc Nachricht wurde abgebrochen"));
    EXPECT_FALSE(Logged("CreateMessage Schleife>"));
}

TEST_F(AdhocComposerTest, SendenWritesEveryNonEmptyTextAndRefusesAnEmptyOne) {
    struct Case {
        const char* name;
        std::wstring text;
        bool refused;
        std::string fileBytes;
    };
    const Case cases[] = {
        {"empty", L"", true, ""},
        {"blanks and empty lines", L"  \r\n\r\n ", false, "  \r\n\r\n \r\n"},
        {"two lines with umlauts", L"Grüße\r\nan alle", false, "Gr\xc3\xbc\xc3\x9f" "e\r\nan alle\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(g_paths.LogFilePath.c_str());
        for (const std::wstring& name : MessageFiles()) DeleteFileW((watch_.path() + name).c_str());
        g_boxes.clear();
        g_onOpened = [&](HWND) {
            SetWindowTextW(Child(kComposerEditId), c.text.c_str());
            Press(kComposerSendId);
        };
        // After the refusal the composer is still there; the user gives up.
        g_onBox = [] { Press(kComposerCancelId); };
        Show();
        const std::vector<std::wstring> files = MessageFiles();
        if (c.refused) {
            ASSERT_EQ(g_boxes.size(), 1u);
            EXPECT_EQ(g_boxes[0].text, L"Leerer Textinhalt wird nicht als Meldung angezeigt.");
            EXPECT_EQ(g_boxes[0].caption, L"notify.exe");
            EXPECT_EQ(g_boxes[0].icon, BoxIcon::Error);
            EXPECT_TRUE(g_boxes[0].composerOpen);
            EXPECT_TRUE(files.empty());
            EXPECT_FALSE(Logged("Erstelle Adhoc Nachricht"));
            EXPECT_FALSE(Logged("[ERR]"));
        } else {
            EXPECT_TRUE(g_boxes.empty());
            ASSERT_EQ(files.size(), 1u);
            EXPECT_EQ(ReadFileBytes(watch_.path() + files[0]), c.fileBytes);
            EXPECT_TRUE(Logged("Erstelle Adhoc Nachricht:" + Narrow(files[0])));
            EXPECT_FALSE(Logged("Adhoc Nachricht wurde abgebrochen")) << "a sent message closes without the cancel line";
        }
    }
}

TEST_F(AdhocComposerTest, AFailedWriteKeepsTheComposerAndTheTextForAnotherTry) {
    const std::wstring missing = watch_.path() + L"fehlt\\";
    g_settings.WatchDir = missing;
    const std::wstring text = L"Wichtig\r\nbitte lesen";
    g_onOpened = [&](HWND) {
        SetWindowTextW(Child(kComposerEditId), text.c_str());
        Press(kComposerSendId);
    };
    // At the box the user makes the folder usable again and sends once more.
    g_onBox = [&] {
        g_onBox = nullptr;
        CreateDirectoryW(missing.c_str(), nullptr);
        Press(kComposerSendId);
    };
    Show();
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text, L"Adhoc Nachricht konnte nicht erstellt werden");
    EXPECT_EQ(g_boxes[0].caption, L"notify.exe");
    EXPECT_EQ(g_boxes[0].icon, BoxIcon::Error);
    EXPECT_TRUE(g_boxes[0].composerOpen);
    EXPECT_EQ(g_boxes[0].fieldText, text);
    EXPECT_TRUE(Logged("[ERR] Adhoc Nachricht konnte nicht erstellt werden"));
    // The second try wrote the kept text.
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((missing + L"*.msg").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    EXPECT_EQ(ReadFileBytes(missing + data.cFileName), "Wichtig\r\nbitte lesen\r\n");
}

TEST_F(AdhocComposerTest, TabMovesTheFocusAndEnterStartsANewLine) {
    std::vector<int> focus;  // control ids
    std::wstring textAfterTab, textAfterEnter;
    auto key = [](HWND target, WPARAM vk) {
        PostMessageW(target, WM_KEYDOWN, vk, 1);
        PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
    };
    auto shift = [](bool down) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    };
    Steps run({
        [&] {
            SetFocus(Child(kComposerEditId));
            SetWindowTextW(Child(kComposerEditId), L"ab");
            SendMessageW(Child(kComposerEditId), EM_SETSEL, 2, 2);
            key(Child(kComposerEditId), VK_RETURN);
        },
        [&] {
            textAfterEnter = WindowText(Child(kComposerEditId));
            key(Child(kComposerEditId), VK_TAB);
        },
        [&] {
            focus.push_back(GetDlgCtrlID(GetFocus()));
            textAfterTab = WindowText(Child(kComposerEditId));
            key(GetFocus(), VK_TAB);
        },
        [&] {
            focus.push_back(GetDlgCtrlID(GetFocus()));
            key(GetFocus(), VK_TAB);
        },
        [&] {
            focus.push_back(GetDlgCtrlID(GetFocus()));
            shift(true);
            key(GetFocus(), VK_TAB);
        },
        [&] {
            shift(false);
            focus.push_back(GetDlgCtrlID(GetFocus()));
            Press(kComposerCancelId);
        },
    });
    g_onOpened = [&](HWND) { run.Start(); };
    Show();
    ASSERT_EQ(run.done(), 6u);
    EXPECT_EQ(textAfterEnter, L"ab\r\n");
    EXPECT_EQ(textAfterTab, L"ab\r\n") << "Tab must not type into the field";
    // Tab: field, Abbruch, Senden, field again; Shift+Tab from the field goes back to Senden.
    EXPECT_EQ(focus, (std::vector<int>{kComposerCancelId, kComposerSendId, kComposerEditId, kComposerSendId}));
}

}  // namespace
