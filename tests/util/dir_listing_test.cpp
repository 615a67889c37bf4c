// Tests of directory listings with wildcard patterns.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <vector>

#include "support/temp_dir.h"
#include "util/dir_listing.h"

namespace {
// Every entry of a listing with its kind, sorted by name (the file system decides the order).
std::map<std::wstring, int> Entries(DirListing& listing) {
    std::map<std::wstring, int> out;
    for (int guard = 0; guard < 100 && NextEntry(listing); ++guard) out[EntryName(listing)] = EntryKind(listing);
    return out;
}
}  // namespace

class DirListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteFileBytes(dir / L"20240101_120000.msg", "a"));
        ASSERT_TRUE(WriteFileBytes(dir / L"B.MSG", "b"));
        ASSERT_TRUE(WriteFileBytes(dir / L"note.txt", "c"));
        ASSERT_TRUE(CreateDirectoryW((dir / L"folder.msg").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((dir / L"empty").c_str(), nullptr));
    }
    TempDir dir;
};

TEST_F(DirListingTest, MatchesThePatternWithoutCase) {
    const std::wstring noSlash = dir.path().substr(0, dir.path().size() - 1);
    for (const std::wstring& directory : {dir.path(), noSlash}) {
        SCOPED_TRACE(Narrow(directory));
        DirListingPtr listing = OpenListing(directory, L"*.msg");
        ASSERT_TRUE(listing);
        const std::map<std::wstring, int> expected = {{L"20240101_120000.msg", 1}, {L"B.MSG", 1}, {L"folder.msg", 2}};
        EXPECT_EQ(Entries(*listing), expected);
        EXPECT_FALSE(NextEntry(*listing)) << "stays at the end";
        CloseListing(listing);
        EXPECT_FALSE(listing);
    }
}

TEST_F(DirListingTest, EmptyPatternListsEverything) {
    DirListingPtr listing = OpenListing(dir.path(), L"");
    ASSERT_TRUE(listing);
    std::map<std::wstring, int> entries = Entries(*listing);
    // "." and ".." come as the platform lists them; the rest must all be there.
    entries.erase(L".");
    entries.erase(L"..");
    const std::map<std::wstring, int> expected = {
        {L"20240101_120000.msg", 1}, {L"B.MSG", 1}, {L"note.txt", 1}, {L"folder.msg", 2}, {L"empty", 2}};
    EXPECT_EQ(entries, expected);
}

TEST_F(DirListingTest, QuestionMarkMatchesOneCharacter) {
    DirListingPtr listing = OpenListing(dir.path(), L"B.MS?");
    ASSERT_TRUE(listing);
    EXPECT_EQ(Entries(*listing), (std::map<std::wstring, int>{{L"B.MSG", 1}}));
}

TEST_F(DirListingTest, NoMatchGivesAnEmptyListingAndMissingGivesNone) {
    DirListingPtr listing = OpenListing(dir / L"empty", L"*.msg");
    ASSERT_TRUE(listing);
    EXPECT_FALSE(NextEntry(*listing));
    EXPECT_EQ(EntryName(*listing), L"");

    listing = OpenListing(dir.path(), L"*.none");
    ASSERT_TRUE(listing);
    EXPECT_FALSE(NextEntry(*listing));

    EXPECT_FALSE(OpenListing(dir / L"missing", L"*.msg"));
    EXPECT_FALSE(OpenListing(dir / L"note.txt", L"*.msg")) << "a file is no directory";
}
