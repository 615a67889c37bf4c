// Classification and query of the running Windows version.
#include "app/os_version.h"

#include <windows.h>

namespace {
constexpr int32_t kUnknown = 200;

int32_t ClassifyNt(uint32_t major, uint32_t minor, uint32_t productType) {
    const bool workstation = productType == VER_NT_WORKSTATION;
    switch (major) {
        case 3: return 5;
        case 4: return 20;
        case 5:
            if (minor == 0) return 50;
            if (minor == 1) return 60;
            if (minor == 2) return workstation ? 60 : 65;  // XP x64 or Server 2003
            return kUnknown;
        case 6:
            if (minor > 3) return kUnknown;
            return static_cast<int32_t>(70 + 10 * minor) + (workstation ? 0 : 5);
        case 10: return minor == 0 ? 110 : kUnknown;
        default: return kUnknown;
    }
}

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
}  // namespace

int32_t OsVersionCodeFor(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t productType) {
    if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
        switch (minor) {
            case 0: return 10;
            case 10: return 30;
            case 90: return 40;
            default: return kUnknown;
        }
    }
    if (platformId == VER_PLATFORM_WIN32_NT) return ClassifyNt(major, minor, productType);
    return kUnknown;
}

int32_t OsVersionCode() {
    OSVERSIONINFOW basic{};
    basic.dwOSVersionInfoSize = sizeof(basic);
    if (!GetVersionExW(&basic)) return kUnknown;
    if (basic.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return OsVersionCodeFor(basic.dwPlatformId, basic.dwMajorVersion, basic.dwMinorVersion, 0);

    // GetVersionExW may report an older version to programs without a compatibility manifest,
    // so the kernel's own answer comes first.
    OSVERSIONINFOEXW ex{};
    ex.dwOSVersionInfoSize = sizeof(ex);
    bool known = false;
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
        auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(GetProcAddress(ntdll, "RtlGetVersion"));
        known = rtlGetVersion && rtlGetVersion(&ex) == 0;
    }
    if (!known) {
        ex = OSVERSIONINFOEXW{};
        ex.dwOSVersionInfoSize = sizeof(ex);
        known = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex)) != 0;
    }
    if (!known) return OsVersionCodeFor(VER_PLATFORM_WIN32_NT, 0, 0, 0);
    return OsVersionCodeFor(VER_PLATFORM_WIN32_NT, ex.dwMajorVersion, ex.dwMinorVersion, ex.wProductType);
}
