// The ad hoc composer: a small window in which the user writes a message to everybody who
// watches the same directory, and the balloon tooltip it puts on its text field.
#pragma once
#include <windows.h>

#include <string>

// Opens the composer, runs it until it is closed, and returns. Every event of the main loop
// that arrives meanwhile is dropped.
void ShowAdhocComposer();

// Puts a balloon tooltip with text on control (a child of window) and returns the tooltip's
// handle. The tooltip is owned by window and destroyed with it.
HWND AddBalloonTooltip(HWND window, HWND control, const std::wstring& text);

// The composer's title, by which tests find it, and the ids of its controls.
constexpr wchar_t kComposerTitle[] = L"Adhoc Meldung erstellen";
constexpr int kComposerEditId = 1;
constexpr int kComposerCancelId = 2;
constexpr int kComposerSendId = 3;

// Tests may look at the composer once it is built, before it waits for its first event;
// nullptr removes the hook.
using ComposerOpenedHook = void (*)(HWND composer);
void SetComposerOpenedHookForTesting(ComposerOpenedHook hook);
