// Finds top-level windows by title and prints their properties and child controls, or acts
// on them, for the end-to-end tests. Output is UTF-8 on stdout, one record per line.
//
//   winprobe.exe find TITLE [--wait MS] [--image PATH]
//                                         windows titled exactly TITLE, with their children;
//                                         waits up to MS milliseconds (default 0) for one
//   winprobe.exe list                     every top-level window that has a title
//   winprobe.exe click TITLE BUTTON [--wait MS] [--image PATH]
//                                         BM_CLICK to the child button whose text, without
//                                         "&", is BUTTON, in the first window titled TITLE
//   winprobe.exe close TITLE [--wait MS] [--image PATH]
//                                         WM_CLOSE to every window titled TITLE
//   --wait waits up to MS milliseconds for a window of that title (default 0).
//   --image keeps only windows of processes whose executable is PATH (case-insensitive).
//
// Records:
//   window hwnd=0x.. pid=N class=C visible=0|1 enabled=0|1 topmost=0|1 rect=L,T,R,B title=T
//   child hwnd=0x.. class=C id=N visible=0|1 rect=L,T,R,B text=T
// Texts come last on their line, with "\" written as "\\", CR as "\r", LF as "\n", tab as "\t".
// Exit code: 0 done, 3 no such window (or button), 1 bad command line.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
void Out(const std::wstring& line) {
    const std::wstring withEnd = line + L"\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, withEnd.data(), static_cast<int>(withEnd.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, withEnd.data(), static_cast<int>(withEnd.size()), bytes.data(), size,
                            nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring Escaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\\') out += L"\\\\";
        else if (c == L'\r') out += L"\\r";
        else if (c == L'\n') out += L"\\n";
        else if (c == L'\t') out += L"\\t";
        else out += c;
    }
    return out;
}

std::wstring Hex(HWND w) {
    wchar_t buf[32];
    swprintf(buf, 32, L"0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(w)));
    return buf;
}

std::wstring ClassOf(HWND w) {
    wchar_t buf[256] = {};
    GetClassNameW(w, buf, 256);
    return buf;
}

// WM_GETTEXT reaches controls of other processes too; bounded so a hung window cannot stall us.
std::wstring TextOf(HWND w) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return L"";
    std::vector<wchar_t> buf(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 2000,
                             &copied))
        return L"";
    return std::wstring(buf.data(), copied);
}

std::wstring RectOf(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," + std::to_wstring(r.right) + L"," +
           std::to_wstring(r.bottom);
}

std::wstring ImageOf(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return L"";
    wchar_t buf[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    const bool ok = QueryFullProcessImageNameW(process, 0, buf, &size) != 0;
    CloseHandle(process);
    return ok ? std::wstring(buf, size) : L"";
}

struct Search {
    std::wstring title;
    std::wstring image;  // empty: any process
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTitled(HWND w, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    if (TextOf(w) == s->title && (s->image.empty() || lstrcmpiW(ImageOf(w).c_str(), s->image.c_str()) == 0))
        s->found.push_back(w);
    return TRUE;
}

BOOL CALLBACK CollectAll(HWND w, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(w);
    return TRUE;
}

std::vector<HWND> FindTitled(const std::wstring& title, const std::wstring& image, DWORD waitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        Search s{title, image, {}};
        EnumWindows(CollectTitled, reinterpret_cast<LPARAM>(&s));
        if (!s.found.empty() || GetTickCount() - start >= waitMs) return s.found;
        Sleep(100);
    }
}

std::vector<HWND> ChildrenOf(HWND w) {
    std::vector<HWND> children;
    EnumChildWindows(w, CollectAll, reinterpret_cast<LPARAM>(&children));
    return children;
}

void PrintWindow(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    const bool topmost = (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    Out(L"window hwnd=" + Hex(w) + L" pid=" + std::to_wstring(pid) + L" class=" + ClassOf(w) +
        L" visible=" + (IsWindowVisible(w) ? L"1" : L"0") + L" enabled=" + (IsWindowEnabled(w) ? L"1" : L"0") +
        L" topmost=" + (topmost ? L"1" : L"0") + L" rect=" + RectOf(w) + L" title=" + Escaped(TextOf(w)));
}

void PrintChild(HWND c) {
    Out(L"child hwnd=" + Hex(c) + L" class=" + ClassOf(c) + L" id=" + std::to_wstring(GetDlgCtrlID(c)) +
        L" visible=" + (IsWindowVisible(c) ? L"1" : L"0") + L" rect=" + RectOf(c) + L" text=" + Escaped(TextOf(c)));
}

std::wstring WithoutAmpersands(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text)
        if (c != L'&') out += c;
    return out;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 1;
    const std::wstring command = argv[1];
    if (command == L"list") {
        std::vector<HWND> all;
        EnumWindows(CollectAll, reinterpret_cast<LPARAM>(&all));
        for (HWND w : all)
            if (!TextOf(w).empty()) PrintWindow(w);
        return 0;
    }
    if (argc < 3) return 1;
    const std::wstring title = argv[2];
    std::vector<std::wstring> positional;
    DWORD waitMs = 0;
    std::wstring image;
    for (int i = 3; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--wait" && i + 1 < argc) waitMs = static_cast<DWORD>(_wtoi(argv[++i]));
        else if (arg == L"--image" && i + 1 < argc) image = argv[++i];
        else positional.push_back(arg);
    }
    if (command == L"find" && positional.empty()) {
        const std::vector<HWND> found = FindTitled(title, image, waitMs);
        for (HWND w : found) {
            PrintWindow(w);
            for (HWND c : ChildrenOf(w)) PrintChild(c);
        }
        return found.empty() ? 3 : 0;
    }
    if (command == L"click" && positional.size() == 1) {
        const std::wstring button = WithoutAmpersands(positional[0]);
        for (HWND w : FindTitled(title, image, waitMs))
            for (HWND c : ChildrenOf(w))
                if (WithoutAmpersands(TextOf(c)) == button) {
                    PostMessageW(c, BM_CLICK, 0, 0);
                    return 0;
                }
        return 3;
    }
    if (command == L"close" && positional.empty()) {
        const std::vector<HWND> found = FindTitled(title, image, waitMs);
        for (HWND w : found) PostMessageW(w, WM_CLOSE, 0, 0);
        return found.empty() ? 3 : 0;
    }
    return 1;
}
