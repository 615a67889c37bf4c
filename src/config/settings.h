// Loading the settings of group "Global" into Settings, and the poll interval.
#pragma once
#include <cstdint>
#include <string>

void LoadSettings();
// Not empty and only the digits 0 to 9.
bool IsNumericText(const std::wstring& text);
// Seconds (digits only) to milliseconds: 64-bit product, low 32 bits signed, at least 1000.
int32_t PollIntervalMsFromSeconds(const std::wstring& digits);
