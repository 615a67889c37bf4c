// The polls of the watch directory and of its subdirectories.
#pragma once
#include <string>

// One poll of one directory (ending with "\") against the stored key keyName.
void ScanDirectory(const std::wstring& directory, const std::wstring& keyName);

namespace WatchScanner {
void Poll();
}
namespace SubdirScanner {
void Poll();
}
