// The single-instance guard and the way out of the program, run in this process: the boxes
// are taken by a hook and the end of the process by an exit hook that throws back here.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/exit_program.h"
#include "app/instance_guard.h"
#include "app/program_state.h"
#include "support/temp_dir.h"
#include "ui/message_box.h"

namespace {
struct ProgramEnded {};

struct Box {
    std::wstring text, caption;
    BoxIcon icon;
};
std::vector<Box> g_boxes;
std::vector<int> g_actionsRun;

void TakeBox(const std::wstring& text, const std::wstring& caption, BoxIcon icon) {
    g_boxes.push_back({text, caption, icon});
}
void EndHere() { throw ProgramEnded{}; }

class ExitFixture : public ::testing::Test {
protected:
    void SetUp() override {
        saved_paths = g_paths;
        saved_settings = g_settings;
        g_boxes.clear();
        g_actionsRun.clear();
        SetBoxHookForTesting(TakeBox);
        SetExitHookForTesting(EndHere);
        g_paths.ProgramPath = dir / L"notify.exe";
        g_paths.LogDir = dir.path();
        g_paths.LogFilePath = dir / L"notify.log";
    }
    void TearDown() override {
        SetBoxHookForTesting(nullptr);
        SetExitHookForTesting(nullptr);
        g_paths = saved_paths;
        g_settings = saved_settings;
    }
    // A name no other test or process uses.
    static std::wstring FreshName(const char* tag) {
        return L"nw_guard_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
               std::wstring(tag, tag + strlen(tag)) + L"_" + std::to_wstring(GetTickCount());
    }
    TempDir dir;
    AppPaths saved_paths;
    Settings saved_settings;
};

TEST_F(ExitFixture, ReleaseActionsRunLastFirstOnceEach) {
    AddExitAction([] { g_actionsRun.push_back(1); });
    AddExitAction([] { g_actionsRun.push_back(2); });
    // An action that itself ends the program does not run the others twice.
    AddExitAction([] {
        g_actionsRun.push_back(3);
        ExitProgram();
    });
    EXPECT_THROW(ExitProgram(), ProgramEnded);
    EXPECT_EQ(g_actionsRun, (std::vector<int>{3, 2, 1}));
    g_actionsRun.clear();
    EXPECT_THROW(ExitProgram(), ProgramEnded);
    EXPECT_TRUE(g_actionsRun.empty());
}

TEST_F(ExitFixture, FirstClaimReturnsAndHoldsTheName) {
    const std::wstring name = FreshName("first");
    GuardSingleInstance(name);
    EXPECT_TRUE(g_boxes.empty());
    // The name is now taken by this process.
    HANDLE other = CreateSemaphoreW(nullptr, 0, 1, name.c_str());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(other);
    EXPECT_FALSE(FileExists(g_paths.LogFilePath)) << "nothing is logged for the first instance";
}

TEST_F(ExitFixture, SecondClaimEndsTheProgram) {
    struct Case {
        const char* quitMode;
        bool box;
    };
    const Case cases[] = {{"0", true}, {"1", false}, {"00", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quitMode);
        g_boxes.clear();
        DeleteFileW(g_paths.LogFilePath.c_str());
        g_settings.QuitMode = std::wstring(c.quitMode, c.quitMode + strlen(c.quitMode));
        const std::wstring name = FreshName(c.quitMode);
        GuardSingleInstance(name);
        EXPECT_THROW(GuardSingleInstance(name), ProgramEnded);
        if (c.box) {
            ASSERT_EQ(g_boxes.size(), 1u);
            EXPECT_EQ(g_boxes[0].caption, L"notify.exe-Error");
            EXPECT_EQ(g_boxes[0].text, L"Das Programm läuft schon und darf nur einmal gestartet werden!");
            EXPECT_EQ(g_boxes[0].icon, BoxIcon::Error);
        } else {
            EXPECT_TRUE(g_boxes.empty());
        }
        const std::string log = ReadFileBytes(g_paths.LogFilePath);
        EXPECT_NE(log.find(" [ERR] Das Programm l\xE4uft schon und wurde erneut gestartet!\r\n"), std::string::npos)
            << log;
    }
}

TEST_F(ExitFixture, NameOfAnotherKindOfObjectLeavesTheProgramRunning) {
    // An event already holds the name: no semaphore can be created, so there is no guard.
    const std::wstring name = FreshName("event");
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, name.c_str());
    ASSERT_NE(event, nullptr);
    GuardSingleInstance(name);
    GuardSingleInstance(name);
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_FALSE(FileExists(g_paths.LogFilePath));
    CloseHandle(event);
}
}  // namespace
