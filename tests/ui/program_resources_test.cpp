// The message picture file and the building of bitmaps from carried .bmp files.
#include "ui/program_resources.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "support/temp_dir.h"
#include "ui/window_watch.h"

namespace {

std::string MessagePictureFile() { return ReadFileBytes(SourceTreePath("../../resources/message_picture.bmp")); }

template <typename T>
T At(const std::string& bytes, size_t offset) {
    T v{};
    std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}

template <typename T>
void Put(std::string& bytes, size_t offset, T v) {
    std::memcpy(&bytes[offset], &v, sizeof v);
}

TEST(MessagePictureTest, IsA48By48BottomUpUncompressed24BitFile) {
    const std::string file = MessagePictureFile();
    ASSERT_EQ(file.size(), 6966u);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(At<uint32_t>(file, 2), 6966u);
    EXPECT_EQ(At<uint32_t>(file, 10), 54u);  // pixels right after the two headers
    EXPECT_EQ(At<uint32_t>(file, 14), 40u);
    EXPECT_EQ(At<int32_t>(file, 18), 48);
    EXPECT_EQ(At<int32_t>(file, 22), 48);  // positive: rows bottom-up
    EXPECT_EQ(At<uint16_t>(file, 26), 1);
    EXPECT_EQ(At<uint16_t>(file, 28), 24);
    EXPECT_EQ(At<uint32_t>(file, 30), static_cast<uint32_t>(BI_RGB));
    // White background: the top-left and bottom-right corners.
    const size_t topLeft = 54 + 47 * 144, bottomRight = 54 + 47 * 3;
    EXPECT_EQ(file.substr(topLeft, 3), std::string(3, '\xff'));
    EXPECT_EQ(file.substr(bottomRight, 3), std::string(3, '\xff'));
}

TEST(MessagePictureTest, BitmapHoldsTheFilesPixels) {
    const std::string file = MessagePictureFile();
    ASSERT_EQ(file.size(), 6966u);
    HBITMAP bitmap = BitmapFromBmpFile(file.data(), file.size());
    ASSERT_TRUE(bitmap);
    BITMAP info{};
    ASSERT_TRUE(GetObjectW(bitmap, sizeof info, &info));
    EXPECT_EQ(info.bmWidth, 48);
    EXPECT_EQ(info.bmHeight, 48);
    // Read back as a 24-bit bottom-up image: the same bytes as in the file.
    BITMAPINFO want{};
    want.bmiHeader.biSize = sizeof want.bmiHeader;
    want.bmiHeader.biWidth = 48;
    want.bmiHeader.biHeight = 48;
    want.bmiHeader.biPlanes = 1;
    want.bmiHeader.biBitCount = 24;
    want.bmiHeader.biCompression = BI_RGB;
    std::string pixels(48 * 144, '\0');
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, 48, &pixels[0], &want, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    EXPECT_EQ(rows, 48);
    EXPECT_TRUE(pixels == file.substr(54)) << "pixels differ from the file";
}

TEST(MessagePictureTest, DamagedOrForeignFilesGiveNoBitmap) {
    const std::string good = MessagePictureFile();
    ASSERT_EQ(good.size(), 6966u);
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::string wrongMagic = good;
    wrongMagic[0] = 'X';
    std::string eightBit = good;
    Put<uint16_t>(eightBit, 28, 8);
    std::string compressed = good;
    Put<uint32_t>(compressed, 30, BI_RLE8);
    std::string offsetPastEnd = good;
    Put<uint32_t>(offsetPastEnd, 10, 7000);
    std::string offsetIntoHeader = good;
    Put<uint32_t>(offsetIntoHeader, 10, 20);
    std::string hugeWidth = good;
    Put<int32_t>(hugeWidth, 18, 0x7fffffff);
    std::string zeroHeight = good;
    Put<int32_t>(zeroHeight, 22, 0);
    const Case cases[] = {
        {"empty", ""},
        {"headers only", good.substr(0, 54)},
        {"last byte missing", good.substr(0, good.size() - 1)},
        {"not a bitmap file", wrongMagic},
        {"8 bits per pixel", eightBit},
        {"compressed", compressed},
        {"pixels start past the end", offsetPastEnd},
        {"pixels start inside the headers", offsetIntoHeader},
        {"width out of range", hugeWidth},
        {"no rows", zeroHeight},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HBITMAP bitmap = BitmapFromBmpFile(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(bitmap, nullptr);
        if (bitmap) DeleteObject(bitmap);
    }
}

TEST(MessagePictureTest, DataTheProgramDoesNotCarryIsNotFound) {
    size_t size = 123;
    EXPECT_EQ(FindProgramData(9999, &size), nullptr);
    EXPECT_EQ(size, 0u);
}

}  // namespace
