// The decisions of a poll that need no window: which entries are admitted, how much larger
// the message window grows for a message, and which subdirectories are polled.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "util/date.h"

// The clock and name texts that the selection of one entry compares.
struct EntryTimes {
    std::wstring today;     // yyyymmdd of now
    std::wstring sTime;     // hhiiss of now
    std::wstring datePart;  // characters 1-8 of the name
    std::wstring fileTime;  // characters 10-15 of the name
};
EntryTimes EntryTimesOf(const std::wstring& fileName, DateValue now);

enum class SelectionRule {
    None,         // the entry is passed over
    Today,        // NotifyActDay "1", NotifyActTime "0": dated today
    TodayRecent,  // NotifyActDay "1", NotifyActTime "1": dated today and not much older than now
    AnyDate,      // NotifyActDay "0"
};

// hhiiss of now minus hhiiss of the file, as plain numbers, below 4501 (a file time later
// than now passes too).
bool RecentEnough(const std::wstring& sTime, const std::wstring& fileTime);
// The rule that admits the entry; None also when rule 2's time test fails.
SelectionRule FindSelectionRule(const std::wstring& notifyActDay, const std::wstring& notifyActTime,
                                const EntryTimes& times);

// How much larger than its base size the message window grows for these lines.
struct MessageLayout {
    int32_t lineCount = 0;
    int32_t maxColumn = 0;    // iMaxSpalte: longest line above 44 code units, else 0
    int32_t extraWidth = 0;   // FaktorWidth
    int32_t extraHeight = 0;  // FaktorHeight
};
MessageLayout LayoutOf(const std::vector<std::wstring>& lines);

// The factors after the clamp to the primary display: a factor that with 100 more exceeds
// the display's size becomes that size.
struct DisplayFit {
    int32_t extraHeight = 0;
    int32_t extraWidth = 0;
    bool heightClamped = false;
    bool widthClamped = false;
};
DisplayFit FitToDisplay(int32_t extraHeight, int32_t extraWidth, int32_t displayWidth, int32_t displayHeight);

// Removes one trailing "," from the subdirectory list; true if there was one.
bool DropTrailingComma(std::wstring& list);
// The directories the subdirectory poll scans, in list order: base + each trimmed field of
// at least 2 untrimmed characters, ending with "\".
std::vector<std::wstring> SubdirPaths(const std::wstring& base, const std::wstring& list);
