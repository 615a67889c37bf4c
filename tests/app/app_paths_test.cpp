// The paths derived from the program's location and the names taken from its file name.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/app_paths.h"
#include "app/program_state.h"
#include "support/temp_dir.h"

namespace {
TEST(AppPaths, DataRootFollowsTheVersionCode) {
    const std::wstring appData = L"C:\\Users\\u\\AppData\\Roaming";
    const std::wstring roaming = appData + L"\\Notiwell\\";
    struct Case {
        int32_t code;
        std::wstring dataRoot;
    };
    const Case cases[] = {
        {110, roaming}, {200, roaming}, {65, roaming}, {61, roaming},
        {60, L"C:\\Tools\\"}, {50, L"C:\\Tools\\"}, {10, L"C:\\Tools\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const AppPaths p = DeriveAppPaths(L"C:\\Tools\\notify.exe", c.code, appData);
        EXPECT_EQ(p.ProgramPath, L"C:\\Tools\\notify.exe");
        EXPECT_EQ(p.ProgramDir, L"C:\\Tools\\");
        EXPECT_EQ(p.DataRoot, c.dataRoot);
        EXPECT_EQ(p.LogDir, c.dataRoot + L"log\\");
        EXPECT_EQ(p.LogFilePath, c.dataRoot + L"log\\notify.log");
        EXPECT_EQ(p.ConfFilePath, c.dataRoot + L"notify.conf");
    }
}

TEST(AppPaths, UnsetAppDataGivesTheRootOfTheCurrentDrive) {
    EXPECT_EQ(DeriveAppPaths(L"C:\\Tools\\notify.exe", 110, L"").DataRoot, L"\\Notiwell\\");
}

TEST(AppPaths, EveryExeInTheFileNameIsReplaced) {
    const AppPaths p = DeriveAppPaths(L"C:\\Tools\\my.exe.tool.exe", 110, L"D:\\R");
    EXPECT_EQ(p.LogFilePath, L"D:\\R\\Notiwell\\log\\my.log.tool.log");
    EXPECT_EQ(p.ConfFilePath, L"D:\\R\\Notiwell\\my.conf.tool.conf");
    // Only the file name changes, not a folder that happens to contain ".exe".
    EXPECT_EQ(DeriveAppPaths(L"C:\\a.exe\\n.exe", 60, L"").ConfFilePath, L"C:\\a.exe\\n.conf");
    // Upper case ".EXE" is left alone.
    EXPECT_EQ(DeriveAppPaths(L"C:\\Tools\\NOTIFY.EXE", 60, L"").LogFilePath, L"C:\\Tools\\log\\NOTIFY.EXE");
}

TEST(AppPaths, ProgramFileNameAndTitle) {
    const AppPaths saved = g_paths;
    struct Case {
        const wchar_t* path;
        const wchar_t* fileName;
        const wchar_t* title;
    };
    const Case cases[] = {
        {L"C:\\Tools\\notify.exe", L"notify.exe", L"notify"},
        {L"C:\\Tools\\my.exe.tool.exe", L"my.exe.tool.exe", L"my.tool"},
        {L"C:/Tools/x.exe", L"x.exe", L"x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        g_paths.ProgramPath = c.path;
        EXPECT_EQ(ProgramFileName(), c.fileName);
        EXPECT_EQ(ProgramTitle(), c.title);
    }
    g_paths = saved;
}

TEST(AppPaths, LocalPlacementKeepsProgramDirAndDataRoot) {
    AppPaths p = DeriveAppPaths(L"C:\\Tools\\notify.exe", 110, L"C:\\R");
    PlaceFilesUnder(p, p.ProgramDir);
    EXPECT_EQ(p.DataRoot, L"C:\\R\\Notiwell\\");
    EXPECT_EQ(p.LogDir, L"C:\\Tools\\log\\");
    EXPECT_EQ(p.LogFilePath, L"C:\\Tools\\log\\notify.log");
    EXPECT_EQ(p.ConfFilePath, L"C:\\Tools\\notify.conf");
}

TEST(AppPaths, LongPathPrefixIsRemoved) {
    EXPECT_EQ(StripLongPathPrefix(L"\\\\?\\C:\\Tools\\notify.exe"), L"C:\\Tools\\notify.exe");
    EXPECT_EQ(StripLongPathPrefix(L"C:\\Tools\\notify.exe"), L"C:\\Tools\\notify.exe");
    EXPECT_EQ(StripLongPathPrefix(L"\\\\server\\share\\notify.exe"), L"\\\\server\\share\\notify.exe");
}

TEST(AppPaths, ProgramPathIsThisExecutable) {
    const std::wstring path = QueryProgramPath();
    EXPECT_TRUE(FileExists(path)) << Narrow(path);
    EXPECT_NE(path.find(L"app_tests.exe"), std::wstring::npos) << Narrow(path);
}
TEST(AppPaths, DataAndLogFoldersAreCreatedOneLevelEach) {
    struct Case {
        const char* name;
        int32_t code;
        bool parentExists;
        bool dataRootCreated, logDirCreated;
    };
    const Case cases[] = {
        {"APPDATA data root", 110, true, true, true},
        {"Server 2003", 65, true, true, true},
        {"XP keeps the data in the program folder", 60, true, false, false},
        {"parent of the data root missing", 110, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::wstring appData = c.parentExists ? dir / L"Roaming" : dir / L"fehlt\\Roaming";
        if (c.parentExists) {
            ASSERT_TRUE(CreateDirectoryW(appData.c_str(), nullptr));
        }
        const AppPaths p = DeriveAppPaths(dir / L"notify.exe", c.code, appData);
        CreateDataDirectories(p, c.code);
        const DWORD dataAttributes = GetFileAttributesW((appData + L"\\Notiwell").c_str());
        EXPECT_EQ(dataAttributes != INVALID_FILE_ATTRIBUTES, c.dataRootCreated);
        EXPECT_EQ(GetFileAttributesW((appData + L"\\Notiwell\\log").c_str()) != INVALID_FILE_ATTRIBUTES,
                  c.logDirCreated);
        // Below 61 the log folder lies in the program folder instead.
        EXPECT_EQ(GetFileAttributesW((dir / L"log").c_str()) != INVALID_FILE_ATTRIBUTES, c.code <= 60);
        RemoveDirectoryW((dir / L"log").c_str());
        RemoveDirectoryW((appData + L"\\Notiwell\\log").c_str());
        RemoveDirectoryW((appData + L"\\Notiwell").c_str());
        RemoveDirectoryW(appData.c_str());
    }
}
}  // namespace
