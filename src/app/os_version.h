// The running Windows version classified as one number: more than 60 puts the data root
// under APPDATA, 50 or more takes the boot time from the performance counter.
#pragma once
#include <cstdint>

// The classification of platform id (VER_PLATFORM_WIN32_*), major and minor version and
// product type (VER_NT_WORKSTATION is 1, anything else counts as server). Unknown gives 200.
int32_t OsVersionCodeFor(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t productType);

// Asks the system: GetVersionExW first; on NT the numbers come from RtlGetVersion, else from
// the extended GetVersionExW. A failed query gives 200.
int32_t OsVersionCode();
