// The info window: the logo, the program's version and an "Ok" button.
#pragma once
#include <string>

// Opens the window, waits until "Ok" or a close request ends it, and returns. Every event of
// the main loop that arrives meanwhile is dropped.
void ShowInfoWindow();

// Tests may hand in other logo bytes (e.g. a damaged picture); nullptr uses the program's
// own logo again. The bytes must live while the window opens.
void SetInfoLogoForTesting(const std::string* jpegBytes);

// The window's title, by which tests find it.
constexpr wchar_t kInfoWindowTitle[] = L"\u00dcber ... ";
