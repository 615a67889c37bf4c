// The Windows version classification, row by row.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/os_version.h"

namespace {
constexpr uint32_t k9x = VER_PLATFORM_WIN32_WINDOWS;
constexpr uint32_t kNt = VER_PLATFORM_WIN32_NT;
constexpr uint32_t kWorkstation = VER_NT_WORKSTATION;
constexpr uint32_t kServer = VER_NT_SERVER;
constexpr uint32_t kDomainController = VER_NT_DOMAIN_CONTROLLER;

struct Case {
    const char* name;
    uint32_t platform, major, minor, productType;
    int32_t code;
};

const Case kCases[] = {
    {"Windows 95", k9x, 4, 0, 0, 10},
    {"Windows 98", k9x, 4, 10, 0, 30},
    {"Windows Me", k9x, 4, 90, 0, 40},
    {"9x unknown minor", k9x, 4, 3, 0, 200},
    {"NT 3.51", kNt, 3, 51, kWorkstation, 5},
    {"NT 3.1", kNt, 3, 1, kServer, 5},
    {"NT 4.0", kNt, 4, 0, kWorkstation, 20},
    {"Windows 2000", kNt, 5, 0, kServer, 50},
    {"Windows XP", kNt, 5, 1, kWorkstation, 60},
    {"XP x64", kNt, 5, 2, kWorkstation, 60},
    {"Server 2003", kNt, 5, 2, kServer, 65},
    {"Server 2003 domain controller", kNt, 5, 2, kDomainController, 65},
    {"5.3", kNt, 5, 3, kWorkstation, 200},
    {"Vista", kNt, 6, 0, kWorkstation, 70},
    {"Server 2008", kNt, 6, 0, kServer, 75},
    {"Windows 7", kNt, 6, 1, kWorkstation, 80},
    {"Server 2008 R2", kNt, 6, 1, kServer, 85},
    {"Windows 8", kNt, 6, 2, kWorkstation, 90},
    {"Server 2012", kNt, 6, 2, kServer, 95},
    {"Windows 8.1", kNt, 6, 3, kWorkstation, 100},
    {"Server 2012 R2", kNt, 6, 3, kServer, 105},
    {"6.4", kNt, 6, 4, kWorkstation, 200},
    {"Windows 10", kNt, 10, 0, kWorkstation, 110},
    {"Server 2019", kNt, 10, 0, kServer, 110},
    {"10.1", kNt, 10, 1, kWorkstation, 200},
    {"11.0", kNt, 11, 0, kWorkstation, 200},
    {"7.0", kNt, 7, 0, kWorkstation, 200},
    {"failed query on NT", kNt, 0, 0, 0, 200},
    {"Win32s", VER_PLATFORM_WIN32s, 3, 10, 0, 200},
    {"unknown platform", 7, 10, 0, kWorkstation, 200},
};
}  // namespace

TEST(OsVersionCode, ClassifiesEveryRowOfTheTable) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OsVersionCodeFor(c.platform, c.major, c.minor, c.productType), c.code);
    }
}

