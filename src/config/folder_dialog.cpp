// The folder-browse dialog that asks for the watch directory, starting at C:\.
#include "config/folder_dialog.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "app/program_state.h"

namespace {
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM) {
    if (message == BFFM_INITIALIZED) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(L"C:\\"));
    }
    return 0;
}

// The foreground window, when it belongs to this thread: the dialog is then modal to it.
HWND OwnForegroundWindow() {
    HWND fg = GetForegroundWindow();
    if (fg && GetWindowThreadProcessId(fg, nullptr) == GetCurrentThreadId()) return fg;
    return nullptr;
}
}  // namespace

std::wstring BrowseForWatchDir() {
    // S_FALSE means COM was set up already; both need the matching CoUninitialize.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    const std::wstring prompt = ProgramTitle() + L"\r Geben Sie den Pfad zu den Nachrichten-Dateien an:";
    wchar_t displayName[MAX_PATH] = L"";
    BROWSEINFOW info = {};
    info.hwndOwner = OwnForegroundWindow();
    info.pszDisplayName = displayName;
    info.lpszTitle = prompt.c_str();
    info.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowseCallback;

    std::wstring result;
    if (PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&info)) {
        wchar_t path[MAX_PATH] = L"";
        if (SHGetPathFromIDListW(pidl, path)) result = path;
        CoTaskMemFree(pidl);
    }
    if (!result.empty() && result.back() != L'\\') result += L'\\';

    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}
