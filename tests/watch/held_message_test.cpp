// Message files that another process holds open when the poll meets them: a writer that
// finishes within the retry bound loses nothing; one that holds on takes the read-failure
// path within the bound; a file that is gone fails at once.
#include <windows.h>

#include "config/conf_file.h"
#include "ui/message_window.h"
#include "watch/message_file.h"
#include "watch/watch_scanner.h"
#include "watch_env.h"

namespace {
struct Release {
    HANDLE file;
    DWORD afterMs;
};

DWORD WINAPI ReleaseLater(void* arg) {
    Release* r = static_cast<Release*>(arg);
    Sleep(r->afterMs);
    CloseHandle(r->file);
    return 0;
}

class HeldMessageTest : public WatchEnv {
protected:
    // Holds the file open without sharing, as a writer mid-write does.
    HANDLE Hold(const std::wstring& path) {
        return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    }
};

TEST_F(HeldMessageTest, WriterThatFinishesSoonIsWaitedFor) {
    const std::wstring path = root / L"20180911_150000.msg";
    Put(L"20180911_150000.msg", "fertig\r\n");
    Release release{Hold(path), 300};
    ASSERT_NE(release.file, INVALID_HANDLE_VALUE);
    HANDLE thread = CreateThread(nullptr, 0, ReleaseLater, &release, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ScanDirectory(root.path(), L"LastMessage");
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);

    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_EQ(g_shown[0].text, L"fertig\r");
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_FALSE(Logged("[ERR]", "Fehler beim Lesen der Message:"));
    EXPECT_TRUE(Logged("[LOG]", "Nachrichtendatei war noch in Benutzung, gelesen nach "));
}

TEST_F(HeldMessageTest, OpenFailuresEndWithinTheBound) {
    struct Case {
        const char* label;
        bool held;  // held by another handle; otherwise the file is missing
        DWORD minMs, maxMs;
    } cases[] = {
        {"held beyond the bound", true, kSharingRetryMs - 100, kSharingRetryMs + 1500},
        {"missing: no retry", false, 0, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::wstring path = root / L"20180911_150000.msg";
        HANDLE lock = INVALID_HANDLE_VALUE;
        if (c.held) {
            Put(L"20180911_150000.msg", "gesperrt\r\n");
            lock = Hold(path);
            ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        } else {
            DeleteFileW(path.c_str());
        }
        const DWORD start = GetTickCount();
        const auto read = ReadMessageFile(path);
        const DWORD elapsed = GetTickCount() - start;
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        EXPECT_FALSE(read.has_value());
        EXPECT_GE(elapsed, c.minMs);
        EXPECT_LE(elapsed, c.maxMs);
    }
}

TEST_F(HeldMessageTest, FileDeletedBetweenListingAndReading) {
    // While the first message is "open", the second one, already in the listing, is deleted.
    struct Deleter {
        static void Show(const std::wstring& text, const std::wstring& fileName, int32_t, int32_t) {
            g_shown.push_back({text, fileName, 0, 0, L""});
            DeleteFileW((g_paths.ProgramDir + L"20180911_150001.msg").c_str());
        }
    };
    SetMessageWindowHookForTesting(Deleter::Show);
    Put(L"20180911_150000.msg", "erste\r\n");
    Put(L"20180911_150001.msg", "zweite\r\n");
    ASSERT_EQ(ListedNames(root.path()), (std::vector<std::wstring>{L"20180911_150000.msg", L"20180911_150001.msg"}));
    ScanDirectory(root.path(), L"LastMessage");
    ASSERT_EQ(g_shown.size(), 1u);
    const std::string second = Narrow(root / L"20180911_150001.msg");
    if (!Logged("[LOG]", "Neue Message:" + second))
        GTEST_SKIP() << "the listing no longer returned the deleted file";
    EXPECT_TRUE(Logged("[ERR]", "Fehler beim Lesen der Message:" + second));
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(ReadGlobalKey(L"LastMessage", L""), L"20180911150001");
}
}  // namespace
