// A test fixture that points the program's paths into a temporary folder and gives the
// settings and the state their first values, and reads back the log it wrote.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program_state.h"
#include "support/temp_dir.h"
#include "util/text.h"

class SettingsEnv : public ::testing::Test {
protected:
    void SetUp() override {
        savedPaths_ = g_paths;
        savedSettings_ = g_settings;
        savedState_ = g_state;
        g_paths.ProgramPath = dir_ / L"notify.exe";
        g_paths.ProgramDir = dir_.path();
        g_paths.DataRoot = dir_.path();
        g_paths.LogDir = dir_.path();
        g_paths.LogFilePath = dir_ / L"notify.log";
        g_paths.ConfFilePath = dir_ / L"notify.conf";
        ResetRecords();
    }
    void TearDown() override {
        g_paths = savedPaths_;
        g_settings = savedSettings_;
        g_state = savedState_;
    }
    // The first values the process entry gives the records.
    static void ResetRecords() {
        g_settings = Settings{};
        g_settings.WatchDir = g_paths.ProgramDir;
        g_state = AppState{};
    }
    void WriteConf(const std::string& bytes) { ASSERT_TRUE(WriteFileBytes(g_paths.ConfFilePath, bytes)); }
    void ClearLog() { DeleteFileW(g_paths.LogFilePath.c_str()); }

    // Each log line from its level marker on ("[LOG] text" or "[ERR] text"), in ANSI bytes.
    std::vector<std::string> LogLines() const {
        const std::string bytes = ReadFileBytes(g_paths.LogFilePath);
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find("\r\n", start);
            if (end == std::string::npos) end = bytes.size();
            const std::string line = bytes.substr(start, end - start);
            size_t marker = line.find(" [LOG] ");
            if (marker == std::string::npos) marker = line.find(" [ERR] ");
            lines.push_back(marker == std::string::npos ? line : line.substr(marker + 1));
            start = end + 2;
        }
        return lines;
    }
    static std::string Info(const std::wstring& text) { return "[LOG] " + WideToAnsi(text); }
    static std::string Error(const std::wstring& text) { return "[ERR] " + WideToAnsi(text); }

    TempDir dir_;

private:
    AppPaths savedPaths_;
    Settings savedSettings_;
    AppState savedState_;
};
