// The JPEG decoder: the carried logo's size and colours, and damaged data that must give no
// bitmap without ending the process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ui/jpeg_image.h"
#include "ui/program_resources.h"

namespace {

std::string LogoBytes() {
    size_t size = 0;
    const void* data = FindProgramData(IDR_INFO_LOGO, &size);
    return data ? std::string(static_cast<const char*>(data), size) : std::string();
}

// The offset of the first segment with this marker, walking the segments from the start.
size_t FindSegment(const std::string& jpeg, unsigned char marker) {
    size_t i = 2;
    while (i + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[i]) == 0xFF) {
        if (static_cast<unsigned char>(jpeg[i + 1]) == marker) return i;
        const size_t length = (static_cast<unsigned char>(jpeg[i + 2]) << 8) | static_cast<unsigned char>(jpeg[i + 3]);
        i += 2 + length;
    }
    return std::string::npos;
}

TEST(JpegImage, LogoDecodesToATopDownDibWithItsColours) {
    const std::string logo = LogoBytes();
    ASSERT_EQ(logo.size(), 3272u);
    GdiBitmap bitmap = DecodeJpeg(logo.data(), logo.size());
    ASSERT_TRUE(bitmap);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(bitmap.get(), sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 149);
    EXPECT_EQ(dib.dsBm.bmHeight, 110);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
    ASSERT_NE(dib.dsBm.bmBits, nullptr);

    // Reference colours from another decoder (ImageMagick); decoders may round a little apart.
    // The top and bottom rows differ, so reading row y at y * stride also checks top-down.
    struct Case {
        int x, y, r, g, b;
    };
    const Case cases[] = {
        {5, 5, 252, 254, 253},      // light background, top left
        {74, 20, 66, 121, 211},     // head of the large figure
        {55, 60, 63, 122, 222},     // its shoulders
        {100, 70, 38, 106, 217},    // small figure in the panel
        {140, 100, 210, 227, 247},  // background, bottom right
        {0, 109, 207, 224, 244},    // bottom-left corner
    };
    const auto* bits = static_cast<const unsigned char*>(dib.dsBm.bmBits);
    for (const Case& c : cases) {
        SCOPED_TRACE("pixel " + std::to_string(c.x) + "," + std::to_string(c.y));
        const unsigned char* px = bits + c.y * dib.dsBm.bmWidthBytes + c.x * 3;
        EXPECT_NEAR(px[2], c.r, 6);
        EXPECT_NEAR(px[1], c.g, 6);
        EXPECT_NEAR(px[0], c.b, 6);
    }
}

TEST(JpegImage, DamagedDataGivesNoBitmapAndDecodingGoesOn) {
    const std::string logo = LogoBytes();
    ASSERT_FALSE(logo.empty());
    std::string huge = logo;
    const size_t sof = FindSegment(huge, 0xC0);
    ASSERT_NE(sof, std::string::npos);
    // Height and width of 65500 each: far more pixels than any picture the program shows.
    huge[sof + 5] = huge[sof + 7] = static_cast<char>(0xFF);
    huge[sof + 6] = huge[sof + 8] = static_cast<char>(0xDC);
    std::string badTables = logo;
    const size_t dqt = FindSegment(badTables, 0xDB);
    ASSERT_NE(dqt, std::string::npos);
    badTables[dqt + 4] = 0x0F;  // quantisation table number 15 does not exist

    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", std::string()},
        {"not a JPEG", std::string("GIF89a this is no picture at all")},
        {"start marker only", std::string("\xFF\xD8", 2)},
        {"headers only", logo.substr(0, 400)},
        {"cut in the middle of the scan", logo.substr(0, logo.size() / 2)},
        {"bad table number", badTables},
        {"too large", huge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GdiBitmap bitmap = DecodeJpeg(c.bytes.data(), c.bytes.size());
        EXPECT_FALSE(bitmap);
    }
    // The failures left nothing behind that spoils the next decoding.
    EXPECT_TRUE(DecodeJpeg(logo.data(), logo.size()));
}

}  // namespace
