// Selection of message files, the window factors and the subdirectory list: plain functions
// over texts and numbers.
#include "watch/selection.h"

#include <algorithm>

#include "util/number.h"
#include "util/text.h"

EntryTimes EntryTimesOf(const std::wstring& fileName, DateValue now) {
    EntryTimes t;
    t.today = FormatDateMask(L"%yyyy%mm%dd", now);
    t.sTime = FormatDateMask(L"%hh%ii%ss", now);
    t.datePart = Substring(fileName, 1, 8);
    t.fileTime = Substring(fileName, 10, 6);
    return t;
}

bool RecentEnough(const std::wstring& sTime, const std::wstring& fileTime) {
    // hhiiss read as decimal numbers, so the difference is not a number of seconds.
    return TextToInt64(sTime) - TextToInt64(fileTime) < 4501;
}

SelectionRule FindSelectionRule(const std::wstring& notifyActDay, const std::wstring& notifyActTime,
                                const EntryTimes& times) {
    if (notifyActDay == L"1" && notifyActTime == L"0")
        return times.datePart == times.today ? SelectionRule::Today : SelectionRule::None;
    if (notifyActDay == L"1" && notifyActTime == L"1")
        return times.datePart == times.today && RecentEnough(times.sTime, times.fileTime) ? SelectionRule::TodayRecent
                                                                                         : SelectionRule::None;
    if (notifyActDay == L"0") return SelectionRule::AnyDate;
    return SelectionRule::None;
}

namespace {
int32_t Saturate(int64_t v) { return static_cast<int32_t>(std::min<int64_t>(v, INT32_MAX)); }
}  // namespace

MessageLayout LayoutOf(const std::vector<std::wstring>& lines) {
    MessageLayout layout;
    int64_t maxColumn = 0;
    for (const std::wstring& line : lines) {
        const int64_t length = static_cast<int64_t>(line.size());
        if (length > 44 && length > maxColumn) maxColumn = length;
    }
    const int64_t count = static_cast<int64_t>(lines.size());
    layout.lineCount = Saturate(count);
    layout.maxColumn = Saturate(maxColumn);
    layout.extraWidth = maxColumn > 40 ? Saturate((maxColumn - 40) * 9) : 0;
    layout.extraHeight = count > 5 ? Saturate((count - 5) * 17) : 0;
    return layout;
}

DisplayFit FitToDisplay(int32_t extraHeight, int32_t extraWidth, int32_t displayWidth, int32_t displayHeight) {
    DisplayFit fit{extraHeight, extraWidth, false, false};
    if (int64_t{extraHeight} + 100 > displayHeight) {
        fit.extraHeight = displayHeight;
        fit.heightClamped = true;
    }
    if (int64_t{extraWidth} + 100 > displayWidth) {
        fit.extraWidth = displayWidth;
        fit.widthClamped = true;
    }
    return fit;
}

bool DropTrailingComma(std::wstring& list) {
    if (list.empty() || list.back() != L',') return false;
    list.pop_back();
    return true;
}

std::vector<std::wstring> SubdirPaths(const std::wstring& base, const std::wstring& list) {
    std::vector<std::wstring> paths;
    const int32_t separators = CountOccurrences(list, L",");
    for (int64_t i = 1; i <= int64_t{separators} + 1; ++i) {
        const std::wstring field = ListField(list, i, L",");
        // One-character names are not scanned: the shortest name that counts has 2 characters.
        if (field.size() < 2) continue;
        std::wstring path = base + TrimBlanks(field);
        if (path.empty() || path.back() != L'\\') path += L'\\';
        paths.push_back(path);
    }
    return paths;
}
