// The poll of one directory against one stored key, and the poll of the watch directory.
#include "watch/watch_scanner.h"

#include <windows.h>

#include "app/program_state.h"
#include "log/log_writer.h"
#include "ui/message_box.h"
#include "ui/message_window.h"
#include "util/dir_listing.h"
#include "util/number.h"
#include "watch/message_file.h"
#include "watch/selection.h"
#include "watch/stored_key.h"

namespace {
// Reads, measures and shows one selected message; its key has already been recorded.
void ShowMessageFile(const std::wstring& directory, const std::wstring& name, SelectionRule rule) {
    const std::wstring path = directory + name;
    WriteLog(0, L"Neue Message:" + path);
    const std::optional<MessageFileContent> content = ReadMessageFileBounded(path);
    if (!content) {
        // Missing by now, locked by another reader, or no permission: reported whatever the
        // rule; the recorded key keeps the file from being tried again.
        WriteLog(1, L"Fehler beim Lesen der Message:" + path);
        ShowErrorBox(L"Fehler beim Lesen der Nachrichtendatei :-(");
        return;
    }
    if (content->waitedMs > 0)
        WriteLog(0, L"Nachrichtendatei war noch in Benutzung, gelesen nach " +
                        Int64ToText(static_cast<int64_t>(content->waitedMs)) + L" ms:" + path);
    if (content->cut)
        WriteLog(0, L"Nachricht wurde nach " + Int64ToText(static_cast<int64_t>(kMessageReadLimit)) +
                        L" Bytes abgeschnitten:" + path);

    const std::vector<std::wstring>& lines = content->lines;
    if (DebugOn()) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            WriteLog(0, L"Zeile " + Int64ToText(static_cast<int64_t>(i) + 1) + L":" + lines[i]);
    }
    const std::wstring text = MessageText(lines);
    const MessageLayout layout = LayoutOf(lines);
    if (layout.maxColumn > 40 && rule != SelectionRule::AnyDate)
        WriteDebugLog(L"FaktorW:" + Int64ToText(layout.extraWidth) + L";iMaxSpalte:" + Int64ToText(layout.maxColumn));

    // Asked for every message: the display may have changed while an earlier one was open.
    const DisplayFit fit = FitToDisplay(layout.extraHeight, layout.extraWidth, GetSystemMetrics(SM_CXSCREEN),
                                        GetSystemMetrics(SM_CYSCREEN));
    if (fit.heightClamped) {
        WriteLog(1, L"FaktorHeight der Nachricht ist gr\u00f6\u00dfer als Desktop");
        ShowErrorBox(L"FaktorHeight: Fehler beim Lesen der Nachrichtendatei :-(");
    }
    if (fit.widthClamped) {
        WriteLog(1, L"FaktorWidth der Nachricht ist gr\u00f6\u00dfer als Desktop");
        ShowErrorBox(L"FaktorWidth: Fehler beim Lesen der Nachrichtendatei :-(");
    }
    WriteLog(0, L"Zeige Message:" + path + L";FaktorH:" + Int64ToText(fit.extraHeight) + L";FaktorW:" +
                    Int64ToText(fit.extraWidth));
    WriteLog(0, L"Inhalt Message:\r" + text);
    ShowMessageWindow(text, name, fit.extraHeight, fit.extraWidth);
    WriteLog(0, L"Beende Message:" + path);
}
}  // namespace

void ScanDirectory(const std::wstring& directory, const std::wstring& keyName) {
    DirListingPtr listing = OpenListing(directory, L"*.msg");
    if (!listing) return;
    while (NextEntry(*listing)) {
        if (EntryKind(*listing) == 2) continue;
        const std::wstring name = EntryName(*listing);
        // The clock is read per entry: a message window may have been open for a while.
        const EntryTimes times = EntryTimesOf(name, LocalSeconds());
        if (DebugOn())  // the only per-entry text of a poll where nothing is new: built only when logged
            WriteDebugLog(L"NotifyActDay=" + g_settings.NotifyActDay + L",NotifyActTime=" + g_settings.NotifyActTime +
                          L",Gefundene Datei:" + times.datePart + L", Today:" + times.today);
        const SelectionRule rule = FindSelectionRule(g_settings.NotifyActDay, g_settings.NotifyActTime, times);
        if (rule == SelectionRule::None) continue;
        if (rule == SelectionRule::TodayRecent) WriteDebugLog(L"sTime:" + times.sTime + L",FileTime:" + times.fileTime);

        // The stored key is read afresh for every entry, so another writer of the
        // configuration file and earlier messages of this poll both count.
        const MessageKey key = MessageKeyOf(name);
        if (key <= CurrentKeyToBeat(keyName)) continue;
        // Recorded before it is shown, so that it is shown once even if reading fails.
        RecordKey(keyName, key);
        ShowMessageFile(directory, name, rule);
    }
    CloseListing(listing);
}

namespace WatchScanner {
void Poll() {
    WriteDebugLog(L"Search:WatchDir:" + g_settings.WatchDir);
    if (g_settings.WatchDir.empty() || g_settings.WatchDir.back() != L'\\') g_settings.WatchDir += L'\\';
    ScanDirectory(g_settings.WatchDir, L"LastMessage");
    WriteDebugLog(L"Search:WatchDir:Ende");
}
}  // namespace WatchScanner
