// Reading and writing message files on disk, each held open shared with nobody while it
// is read or written.
#include "watch/message_file.h"

#include <windows.h>

#include <algorithm>

#include "log/log_writer.h"
#include "util/text.h"
#include "util/unique_handle.h"

namespace {
using FileHandle = UniqueFileHandle;

// Closes the file and tells whether the close, which may write out cached data, succeeded.
bool CloseChecked(FileHandle& file) {
    const HANDLE h = file.release();
    return h == INVALID_HANDLE_VALUE || CloseHandle(h) != 0;
}

// Reads at most limit bytes; a read error ends the data there, like the end of the file.
std::string ReadUpTo(HANDLE file, std::size_t limit) {
    std::string data;
    char buffer[8192];
    while (data.size() < limit) {
        const std::size_t want = std::min(sizeof buffer, limit - data.size());
        DWORD got = 0;
        if (!ReadFile(file, buffer, static_cast<DWORD>(want), &got, nullptr) || got == 0) break;
        data.append(buffer, got);
    }
    return data;
}

// A file that a writer still has open (or that another instance is reading this moment) fails
// to open with a sharing violation. Its key is already recorded, so giving up at once would
// lose the message for good: such an open is tried again for a short, bounded time.
HANDLE OpenForReading(const std::wstring& path, unsigned& waitedMs) {
    const DWORD start = GetTickCount();
    waitedMs = 0;
    for (;;) {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) return h;
        if (GetTickCount() - start >= kSharingRetryMs) return h;
        Sleep(kSharingRetryStepMs);
        waitedMs = GetTickCount() - start;
    }
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return FlushFileBuffers(file) != 0;
}
}  // namespace

std::optional<MessageFileContent> ReadMessageFileBounded(const std::wstring& path) {
    unsigned waitedMs = 0;
    FileHandle file(OpenForReading(path, waitedMs));
    if (!file.valid()) return std::nullopt;
    // One byte beyond the limit tells whether there is more than the limit.
    std::string data = ReadUpTo(file.get(), kMessageReadLimit + 1);
    file.reset();
    MessageFileContent content;
    content.waitedMs = waitedMs;
    if (data.size() > kMessageReadLimit) {
        content.cut = true;
        data.resize(kMessageReadLimit);
    }
    content.lines = SplitMessageLines(data);
    return content;
}

std::optional<std::vector<std::wstring>> ReadMessageFile(const std::wstring& path) {
    std::optional<MessageFileContent> content = ReadMessageFileBounded(path);
    if (!content) return std::nullopt;
    return std::move(content->lines);
}

bool WriteMessageFile(const std::wstring& directory, const std::wstring& text) {
    const DateValue now = LocalSeconds();
    const std::string bytes = WideToUtf8(text) + "\r\n";
    // A name that is taken belongs to another message: never replace it, take the next
    // second instead, so the name keeps its form and its key still orders it after the other.
    for (int i = 0; i < kMessageNameAttempts; ++i) {
        const std::wstring name = MessageFileName(AddSeconds(now, i));
        const std::wstring path = directory + name;
        SetLastError(0);
        FileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
            break;
        }
        WriteLog(0, L"Erstelle Adhoc Nachricht:" + name);
        bool ok = WriteAll(file.get(), bytes);
        ok = CloseChecked(file) && ok;
        if (ok) return true;
        // A half-written file would be shown as a broken message; the composer keeps the text.
        DeleteFileW(path.c_str());
        break;
    }
    WriteLog(1, L"Adhoc Nachricht konnte nicht erstellt werden");
    return false;
}
