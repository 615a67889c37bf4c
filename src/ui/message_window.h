// The topmost window that shows one message until the user presses "Ok".
#pragma once
#include <cstdint>
#include <string>

void ShowMessageWindow(const std::wstring& text, const std::wstring& fileName, int32_t extraHeight,
                       int32_t extraWidth);

// Tests of the polls may take the messages instead of showing them; nullptr shows them again.
using MessageWindowHook = void (*)(const std::wstring& text, const std::wstring& fileName,
                                   int32_t extraHeight, int32_t extraWidth);
void SetMessageWindowHookForTesting(MessageWindowHook hook);
