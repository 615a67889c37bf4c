// The system's folder-browse dialog that asks for the watch directory.
#pragma once
#include <string>

// The chosen folder with a trailing "\", or "" when the user cancels.
std::wstring BrowseForWatchDir();
