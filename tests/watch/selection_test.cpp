// The decisions of a poll without a window: the selection rules against a given clock, the
// window factors and their clamp to the display, and the subdirectory list.
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "watch/selection.h"

namespace {
DateValue At(int hour, int minute, int second) { return DateFromCivil({2018, 9, 11, hour, minute, second}); }

TEST(SelectionRule, DayAndTimeSettings) {
    struct Case {
        const wchar_t* day;
        const wchar_t* time;
        const wchar_t* file;
        DateValue now;
        SelectionRule rule;
    } cases[] = {
        // Today only.
        {L"1", L"0", L"20180911_080000.msg", At(15, 30, 0), SelectionRule::Today},
        {L"1", L"0", L"20180910_153000.msg", At(15, 30, 0), SelectionRule::None},
        {L"1", L"0", L"Hinweis.msg", At(15, 30, 0), SelectionRule::None},
        // Today and recent: hhiiss subtracted as numbers, below 4501 passes.
        {L"1", L"1", L"20180911_100000.msg", At(10, 30, 0), SelectionRule::TodayRecent},  // 3000
        {L"1", L"1", L"20180911_095000.msg", At(10, 30, 0), SelectionRule::None},         // 8000
        {L"1", L"1", L"20180911_095959.msg", At(10, 5, 0), SelectionRule::None},          // 4541
        {L"1", L"1", L"20180911_095959.msg", At(10, 4, 0), SelectionRule::TodayRecent},   // 4441
        {L"1", L"1", L"20180911_100000.msg", At(10, 45, 0), SelectionRule::TodayRecent},  // 4500
        {L"1", L"1", L"20180911_100000.msg", At(10, 45, 1), SelectionRule::None},         // 4501
        {L"1", L"1", L"20180911_120000.msg", At(10, 45, 0), SelectionRule::TodayRecent},  // later than now
        {L"1", L"1", L"20180910_103000.msg", At(10, 30, 0), SelectionRule::None},         // yesterday
        // Any date, whatever NotifyActTime holds.
        {L"0", L"0", L"20100101_000000.msg", At(15, 30, 0), SelectionRule::AnyDate},
        {L"0", L"1", L"20100101_000000.msg", At(15, 30, 0), SelectionRule::AnyDate},
        {L"0", L"", L"Hinweis.msg", At(15, 30, 0), SelectionRule::AnyDate},
        // Every other combination admits nothing.
        {L"", L"0", L"20180911_153000.msg", At(15, 30, 0), SelectionRule::None},
        {L"2", L"0", L"20180911_153000.msg", At(15, 30, 0), SelectionRule::None},
        {L"1 ", L"0", L"20180911_153000.msg", At(15, 30, 0), SelectionRule::None},
        {L"1", L"2", L"20180911_153000.msg", At(15, 30, 0), SelectionRule::None},
        {L"1", L"", L"20180911_153000.msg", At(15, 30, 0), SelectionRule::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(std::wstring(L"day '") + c.day + L"' time '" + c.time + L"' file " + c.file));
        EXPECT_EQ(FindSelectionRule(c.day, c.time, EntryTimesOf(c.file, c.now)), c.rule);
    }
}

TEST(SelectionRule, EntryTimesOfAName) {
    const EntryTimes t = EntryTimesOf(L"20180911_095959.msg", At(7, 5, 9));
    EXPECT_EQ(t.today, L"20180911");
    EXPECT_EQ(t.sTime, L"070509");
    EXPECT_EQ(t.datePart, L"20180911");
    EXPECT_EQ(t.fileTime, L"095959");
    const EntryTimes shortName = EntryTimesOf(L"x.msg", At(7, 5, 9));
    EXPECT_EQ(shortName.datePart, L"x.msg");
    EXPECT_EQ(shortName.fileTime, L"");
    EXPECT_TRUE(RecentEnough(L"004500", shortName.fileTime));  // an empty time reads as 0
    EXPECT_FALSE(RecentEnough(L"004501", shortName.fileTime));
}

std::vector<std::wstring> Lines(int count, int length) {
    return std::vector<std::wstring>(static_cast<size_t>(count), std::wstring(static_cast<size_t>(length), L'x'));
}

TEST(MessageLayout, FactorsFromLines) {
    struct Case {
        const char* label;
        std::vector<std::wstring> lines;
        MessageLayout layout;
    } cases[] = {
        {"no lines", {}, {0, 0, 0, 0}},
        {"5 short lines", Lines(5, 10), {5, 0, 0, 0}},
        {"6 short lines", Lines(6, 10), {6, 0, 0, 17}},
        {"longest line 44", {L"a", std::wstring(44, L'x')}, {2, 0, 0, 0}},
        {"longest line 45", {std::wstring(45, L'x'), L"a"}, {2, 45, 45, 0}},
        {"longest line 100", {std::wstring(50, L'x'), std::wstring(100, L'y'), std::wstring(60, L'z')}, {3, 100, 540, 0}},
        {"70 lines", Lines(70, 3), {70, 0, 0, 1105}},
        // Lengths count UTF-16 code units: 45 characters beyond U+FFFF are 90 units.
        {"surrogate pairs", {[] {
             std::wstring s;
             for (int i = 0; i < 45; ++i) s += L"\U0001F600";
             return s;
         }()},
         {1, 90, 450, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const MessageLayout got = LayoutOf(c.lines);
        EXPECT_EQ(got.lineCount, c.layout.lineCount);
        EXPECT_EQ(got.maxColumn, c.layout.maxColumn);
        EXPECT_EQ(got.extraWidth, c.layout.extraWidth);
        EXPECT_EQ(got.extraHeight, c.layout.extraHeight);
    }
}

TEST(MessageLayout, ClampToDisplay) {
    struct Case {
        const char* label;
        int32_t height, width, displayWidth, displayHeight;
        DisplayFit fit;
    } cases[] = {
        {"fits", 17, 45, 1920, 1080, {17, 45, false, false}},
        {"70 lines on 1080 pixels", 1105, 0, 1920, 1080, {1080, 0, true, false}},
        {"height exactly fills", 980, 0, 1920, 1080, {980, 0, false, false}},
        {"height one beyond", 981, 0, 1920, 1080, {1080, 0, true, false}},
        {"too wide", 0, 1827, 1920, 1080, {0, 1920, false, true}},
        {"both", 2000, 5000, 1280, 1024, {1024, 1280, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const DisplayFit got = FitToDisplay(c.height, c.width, c.displayWidth, c.displayHeight);
        EXPECT_EQ(got.extraHeight, c.fit.extraHeight);
        EXPECT_EQ(got.extraWidth, c.fit.extraWidth);
        EXPECT_EQ(got.heightClamped, c.fit.heightClamped);
        EXPECT_EQ(got.widthClamped, c.fit.widthClamped);
    }
}

TEST(SubdirList, FieldsToPaths) {
    struct Case {
        const wchar_t* list;
        std::vector<std::wstring> paths;
    } cases[] = {
        {L"Vertrieb, Technik", {L"D:\\Daten\\Vertrieb\\", L"D:\\Daten\\Technik\\"}},
        {L"A,IT", {L"D:\\Daten\\IT\\"}},      // one character is too short
        {L" A", {L"D:\\Daten\\A\\"}},         // two characters with the blank
        {L"  ", {L"D:\\Daten\\"}},            // trims to nothing: the watch directory itself
        {L",Technik", {L"D:\\Daten\\Technik\\"}},
        {L"Technik", {L"D:\\Daten\\Technik\\"}},
        {L"Sub\\Tief\\", {L"D:\\Daten\\Sub\\Tief\\"}},
        {L"\tIT\t", {L"D:\\Daten\\\tIT\t\\"}},  // tabs are not blanks
        {L"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(std::wstring(L"'") + c.list + L"'"));
        EXPECT_EQ(SubdirPaths(L"D:\\Daten\\", c.list), c.paths);
    }
}

TEST(SubdirList, OneTrailingCommaPerCall) {
    struct Case {
        const wchar_t* before;
        const wchar_t* after;
        bool dropped;
    } cases[] = {
        {L"Technik,", L"Technik", true},
        {L",", L"", true},
        {L"A,,", L"A,", true},
        {L"Technik", L"Technik", false},
        {L"", L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.before));
        std::wstring list = c.before;
        EXPECT_EQ(DropTrailingComma(list), c.dropped);
        EXPECT_EQ(list, c.after);
    }
}
}  // namespace
