// The tray icons: choosing the image from an icon file, and the two carried icons.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/icon_loader.h"
#include "ui/program_resources.h"

namespace {

struct Entry {
    int width, height, bitCount;
    uint32_t size;
};

void Put16(std::string& s, size_t at, uint16_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
}

void Put32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// An icon file directory with the images laid out one after another behind it; their
// contents are zeros, which is all the choice looks at.
std::string IcoFile(const std::vector<Entry>& entries) {
    size_t offset = 6 + 16 * entries.size();
    std::string s(offset, '\0');
    Put16(s, 2, 1);
    Put16(s, 4, static_cast<uint16_t>(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        const size_t e = 6 + 16 * i;
        s[e] = static_cast<char>(entries[i].width == 256 ? 0 : entries[i].width);
        s[e + 1] = static_cast<char>(entries[i].height == 256 ? 0 : entries[i].height);
        Put16(s, e + 4, 1);
        Put16(s, e + 6, static_cast<uint16_t>(entries[i].bitCount));
        Put32(s, e + 8, entries[i].size);
        Put32(s, e + 12, static_cast<uint32_t>(offset));
        offset += entries[i].size;
    }
    s.resize(offset, '\0');
    return s;
}

std::optional<IconImageRef> Select(const std::string& file) {
    return SelectTrayImage(reinterpret_cast<const unsigned char*>(file.data()), file.size());
}

TEST(SelectTrayImage, TakesTheDeepestImageOfTheFirstImagesSize) {
    struct Case {
        const char* name;
        std::vector<Entry> entries;
        size_t chosen;
    };
    const Case cases[] = {
        {"first of four sizes", {{48, 48, 32, 100}, {32, 32, 32, 90}, {24, 24, 32, 80}, {16, 16, 32, 70}}, 0},
        {"deeper image of the same size later", {{48, 48, 8, 100}, {32, 32, 32, 90}, {48, 48, 32, 80}, {48, 48, 24, 70}}, 2},
        {"larger image later is not taken", {{32, 32, 32, 100}, {48, 48, 32, 90}}, 0},
        {"same width, other height is another size", {{48, 48, 8, 100}, {48, 32, 32, 90}}, 0},
        {"tie keeps the first", {{16, 16, 32, 100}, {16, 16, 32, 90}}, 0},
        {"stored 0 is 256", {{256, 256, 8, 100}, {256, 256, 32, 90}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = IcoFile(c.entries);
        const std::optional<IconImageRef> ref = Select(file);
        ASSERT_TRUE(ref.has_value());
        const Entry& want = c.entries[c.chosen];
        EXPECT_EQ(ref->width, want.width);
        EXPECT_EQ(ref->height, want.height);
        EXPECT_EQ(ref->bitCount, want.bitCount);
        EXPECT_EQ(ref->size, want.size);
        size_t offset = 6 + 16 * c.entries.size();
        for (size_t i = 0; i < c.chosen; ++i) offset += c.entries[i].size;
        EXPECT_EQ(ref->offset, offset);
    }
}

TEST(SelectTrayImage, DepthMissingFromTheDirectoryIsReadFromTheImage) {
    std::string file = IcoFile({{48, 48, 4, 50}, {48, 48, 0, 50}});
    // The second image starts with a 40-byte information header that says 32 bits.
    const size_t image = 6 + 32 + 50;
    Put32(file, image, 40);
    Put16(file, image + 14, 32);
    const std::optional<IconImageRef> ref = Select(file);
    ASSERT_TRUE(ref.has_value());
    EXPECT_EQ(ref->offset, image);
    EXPECT_EQ(ref->bitCount, 32);
}

TEST(SelectTrayImage, RefusesFilesThatAreNoIconsOrPointOutside) {
    const std::string good = IcoFile({{48, 48, 32, 100}, {16, 16, 32, 50}});
    std::string cursor = good;
    Put16(cursor, 2, 2);
    std::string none = good;
    Put16(none, 4, 0);
    std::string pastEnd = good;
    Put32(pastEnd, 6 + 16 + 12, static_cast<uint32_t>(good.size() - 10));  // second image runs out
    std::string wraps = good;
    Put32(wraps, 6 + 8, 0xFFFFFFF0u);  // offset plus size wraps around
    std::string emptyImage = good;
    Put32(emptyImage, 6 + 8, 0);

    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", std::string()},
        {"header cut short", good.substr(0, 5)},
        {"directory cut short", good.substr(0, 6 + 16 + 8)},
        {"cursor file", cursor},
        {"no images", none},
        {"image past the end", pastEnd},
        {"size wraps around", wraps},
        {"image of no bytes", emptyImage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Select(c.bytes).has_value());
    }
    EXPECT_TRUE(Select(good).has_value());
}

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using IconOwner = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

// The icon drawn on white into a 48 x 48 top-down 32-bit DIB; pixels as 0x00RRGGBB.
std::vector<uint32_t> DrawOnWhite(HICON icon) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 48;
    info.bmiHeader.biHeight = -48;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) return {};
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    RECT all{0, 0, 48, 48};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, 48, 48, 0, nullptr, DI_NORMAL);
    GdiFlush();
    std::vector<uint32_t> pixels(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + 48 * 48);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

TEST(LoadProgramIcon, BothIconsAre48PixelsAndOnlyStoppedHasTheBadge) {
    struct Case {
        const char* name;
        IconKind kind;
        int resource;
    };
    const Case cases[] = {{"active", IconKind::Active, IDR_TRAY_ICON_ACTIVE},
                          {"stopped", IconKind::Stopped, IDR_TRAY_ICON_STOPPED}};
    std::vector<uint32_t> drawn[2];
    for (int i = 0; i < 2; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        size_t size = 0;
        ASSERT_NE(FindProgramData(c.resource, &size), nullptr);
        EXPECT_EQ(size, 17542u);
        IconOwner icon(LoadProgramIcon(c.kind));
        ASSERT_TRUE(icon);
        ICONINFO iconInfo{};
        ASSERT_TRUE(GetIconInfo(icon.get(), &iconInfo));
        BITMAP colour{};
        ASSERT_NE(iconInfo.hbmColor, nullptr);
        ASSERT_NE(GetObjectW(iconInfo.hbmColor, sizeof colour, &colour), 0);
        EXPECT_EQ(colour.bmWidth, 48);
        EXPECT_EQ(colour.bmHeight, 48);
        DeleteObject(iconInfo.hbmColor);
        DeleteObject(iconInfo.hbmMask);
        drawn[i] = DrawOnWhite(icon.get());
        ASSERT_EQ(drawn[i].size(), 48u * 48u);
    }
    const auto red = [](uint32_t p) { return (p >> 16) & 0xFF; };
    const auto green = [](uint32_t p) { return (p >> 8) & 0xFF; };
    const auto blue = [](uint32_t p) { return p & 0xFF; };
    // Below the cross on the badge at the lower right: red on the stopped icon only.
    const uint32_t badgeActive = drawn[0][44 * 48 + 36];
    const uint32_t badgeStopped = drawn[1][44 * 48 + 36];
    EXPECT_GT(red(badgeStopped), 150u);
    EXPECT_LT(green(badgeStopped), 100u);
    EXPECT_LT(red(badgeActive), 150u);
    // The head of the large figure is blue on both, and the same.
    const uint32_t headActive = drawn[0][12 * 48 + 17];
    EXPECT_GT(blue(headActive), red(headActive) + 60);
    EXPECT_EQ(drawn[1][12 * 48 + 17], headActive);
    // The corner above the panel stays transparent: white shows through.
    EXPECT_EQ(drawn[0][1 * 48 + 46], 0xFFFFFFu);
}

}  // namespace
