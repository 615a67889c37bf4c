// A test folder with the program's configuration and log file in it, a fixed clock, and
// recorders in place of the message window and the message boxes.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program_state.h"
#include "support/temp_dir.h"
#include "ui/message_box.h"
#include "util/date.h"

struct ShownMessage {
    std::wstring text;
    std::wstring fileName;
    int32_t extraHeight;
    int32_t extraWidth;
    std::wstring storedKey;  // the watched key in the configuration file while the window was open
};

struct ShownBox {
    std::wstring text;
    std::wstring caption;
    BoxIcon icon;
};

class WatchEnv : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A file in the test folder (or below it) with exactly these bytes.
    void Put(const std::wstring& relativePath, const std::string& bytes);
    // The names a "*.msg" listing of dir returns, in its order.
    static std::vector<std::wstring> ListedNames(const std::wstring& dir);
    // True if some log line carries the marker ("[LOG]" or "[ERR]") and contains text (ASCII).
    bool Logged(const std::string& marker, const std::string& text) const;
    std::string LogText() const;
    static void SetNow(const CivilTime& t);

    TempDir root;
};

// What the recorders saw since the fixture's SetUp.
extern std::vector<ShownMessage> g_shown;
extern std::vector<ShownBox> g_boxes;
// The configuration key the message recorder reads while a window "is open".
extern std::wstring g_watchedKey;
