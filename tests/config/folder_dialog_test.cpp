// The folder dialog that an empty WatchDir opens, driven from a second thread: cancelled,
// and with a folder chosen.
#include "config/folder_dialog.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <thread>

#include "config/settings.h"
#include "settings_env.h"

namespace {
const std::string kBom = "\xEF\xBB\xBF\r\n";

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND h, LPARAM param) {
    Search* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    wchar_t cls[64] = L"";
    GetClassNameW(h, cls, 64);
    if (pid == s->pid && IsWindowVisible(h) && lstrcmpW(cls, L"#32770") == 0) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

// The text of the tree item that is selected, "" when none is.
std::wstring SelectedTreeText(HWND tree) {
    const HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return L"";
    wchar_t text[MAX_PATH] = L"";
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return text;
}

struct Children {
    std::wstring staticTexts;  // the texts of all static controls, one after another
    HWND edit = nullptr;
    HWND tree = nullptr;
};

BOOL CALLBACK CollectChild(HWND h, LPARAM param) {
    Children* c = reinterpret_cast<Children*>(param);
    wchar_t cls[64] = L"";
    GetClassNameW(h, cls, 64);
    if (lstrcmpiW(cls, L"Static") == 0) {
        wchar_t text[512] = L"";
        GetWindowTextW(h, text, 512);
        c->staticTexts += text;
        c->staticTexts += L'\n';
    } else if (lstrcmpiW(cls, L"Edit") == 0 && !c->edit) {
        c->edit = h;
    } else if (lstrcmpiW(cls, WC_TREEVIEWW) == 0 && !c->tree) {
        c->tree = h;
    }
    return TRUE;
}

// Waits up to 20 seconds for the dialog, notes what it shows, then answers it. (Text typed
// into the dialog's edit box is not taken by OK under Wine, so a folder is chosen by moving
// the dialog's selection to it.)
struct DialogDriver {
    enum Answer { Cancel, OkAsOpened, OkOnFolder } answer = Cancel;
    std::wstring folder;  // for OkOnFolder
    bool found = false;
    bool hasEdit = false;
    std::wstring staticTexts;

    void Run() {
        Search s{GetCurrentProcessId(), nullptr};
        for (int i = 0; i < 400 && !s.found; ++i) {
            Sleep(50);
            EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&s));
        }
        if (!s.found) return;
        found = true;
        Sleep(300);  // let the dialog fill its tree and take the first selection
        Children c;
        EnumChildWindows(s.found, CollectChild, reinterpret_cast<LPARAM>(&c));
        staticTexts = c.staticTexts;
        hasEdit = c.edit != nullptr;
        if (answer == Cancel) {
            PostMessageW(s.found, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        }
        if (answer == OkOnFolder && c.tree) {
            // Ask again until the tree shows the folder selected (at most 10 seconds).
            const std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
            for (int i = 0; i < 20 && SelectedTreeText(c.tree) != name; ++i) {
                SendMessageW(s.found, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
                Sleep(500);
            }
        }
        PostMessageW(s.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
};

class FolderDialogTest : public SettingsEnv {
protected:
    void LoadWithDialog(DialogDriver& driver) {
        WriteConf("[Global]\r\nWatchDir =\r\nPollintervall=5\r\n");
        std::thread t([&driver] { driver.Run(); });
        LoadSettings();
        t.join();
        ASSERT_TRUE(driver.found) << "no folder dialog appeared";
        EXPECT_TRUE(driver.hasEdit);
        EXPECT_NE(driver.staticTexts.find(L"notify\r Geben Sie den Pfad zu den Nachrichten-Dateien an:"),
                  std::wstring::npos)
            << Narrow(driver.staticTexts);
    }
    void ExpectStored(const std::wstring& watchDir, const std::wstring& logLine) {
        EXPECT_EQ(g_settings.WatchDir, watchDir);
        const std::vector<std::string> lines = LogLines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[1], Info(logLine));  // right after "Lese Conf File"
        EXPECT_EQ(ReadFileBytes(g_paths.ConfFilePath),
                  kBom + "[Global]\r\nWatchDir = " + WideToUtf8(watchDir) + "\r\nPollintervall = 5\r\n");
    }
};

TEST_F(FolderDialogTest, CancelStoresTheDriveRoot) {
    DialogDriver driver;
    LoadWithDialog(driver);
    ExpectStored(L"C:\\", L"WatchDir Dialog wurde abgebrochen. Standardpfad C: wird gesetzt");
}

TEST_F(FolderDialogTest, OkOnTheFirstSelectionGivesTheDriveRoot) {
    DialogDriver driver;
    driver.answer = DialogDriver::OkAsOpened;
    LoadWithDialog(driver);
    ExpectStored(L"C:\\", L"WatchDir wurde per Dialog gesetzt");  // no second backslash
}

TEST_F(FolderDialogTest, ChosenFolderIsStoredWithABackslash) {
    const std::wstring folder = dir_ / L"Nachrichten";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    DialogDriver driver;
    driver.answer = DialogDriver::OkOnFolder;
    driver.folder = folder;
    LoadWithDialog(driver);
    ExpectStored(folder + L"\\", L"WatchDir wurde per Dialog gesetzt");
}
}  // namespace
