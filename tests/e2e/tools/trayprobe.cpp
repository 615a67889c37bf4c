// Looks at and pokes the tray side of the program for the end-to-end tests. Output is UTF-8
// on stdout, one record per line.
//
//   trayprobe.exe menus              every visible popup menu window: "menu rect=L,T,R,B"
//   trayprobe.exe tooltips           every visible tooltip window: "tooltip text=T"
//   trayprobe.exe sendclose TITLE    WM_CLOSE sent (not posted) to the first window titled
//                                    TITLE, as the system does when it asks a program to close
//
// Exit code: 0 done, 3 no such window, 1 bad command line.
#include <windows.h>

#include <string>
#include <vector>

namespace {
void Out(const std::wstring& line) {
    const std::wstring withEnd = line + L"\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, withEnd.data(), static_cast<int>(withEnd.size()), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0) return;
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, withEnd.data(), static_cast<int>(withEnd.size()), bytes.data(), size, nullptr,
                        nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring ClassOf(HWND w) {
    wchar_t buf[256] = {};
    GetClassNameW(w, buf, 256);
    return buf;
}

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

struct Listing {
    std::wstring cls;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND w, LPARAM param) {
    auto* listing = reinterpret_cast<Listing*>(param);
    if (IsWindowVisible(w) && lstrcmpiW(ClassOf(w).c_str(), listing->cls.c_str()) == 0) listing->found.push_back(w);
    return TRUE;
}

std::vector<HWND> VisibleOfClass(const wchar_t* cls) {
    Listing listing{cls, {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&listing));
    return listing.found;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 1;
    const std::wstring command = argv[1];
    if (command == L"menus") {
        for (HWND w : VisibleOfClass(L"#32768")) {
            RECT r{};
            GetWindowRect(w, &r);
            Out(L"menu rect=" + std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," +
                std::to_wstring(r.right) + L"," + std::to_wstring(r.bottom));
        }
        return 0;
    }
    if (command == L"tooltips") {
        for (HWND w : VisibleOfClass(L"tooltips_class32")) Out(L"tooltip text=" + TextOf(w));
        return 0;
    }
    if (command == L"sendclose" && argc == 3) {
        const HWND w = FindWindowW(nullptr, argv[2]);
        if (!w) return 3;
        DWORD_PTR result = 0;
        SendMessageTimeoutW(w, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
        return 0;
    }
    return 1;
}
