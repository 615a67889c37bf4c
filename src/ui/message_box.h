// The program's one way to show a message box: modal, one OK button. While it is open,
// every visible top-level window of the program loses its topmost state and all but the
// foreground one are disabled; both are restored when it closes.
#pragma once
#include <string>

enum class BoxIcon { Error, Information };

void ShowProgramBox(const std::wstring& text, const std::wstring& caption, BoxIcon icon);
// Error box captioned with ProgramFileName.
void ShowErrorBox(const std::wstring& text);

// Tests may take the boxes instead of showing them; nullptr shows them again.
using BoxHook = void (*)(const std::wstring& text, const std::wstring& caption, BoxIcon icon);
void SetBoxHookForTesting(BoxHook hook);
