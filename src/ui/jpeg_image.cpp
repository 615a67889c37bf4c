// JPEG decoding with libjpeg into a DIB section. libjpeg reports fatal errors through a
// callback that must not return; it jumps back into DecodeJpegBitmap instead of ending the
// process, and damaged data gives no bitmap.
#include "ui/jpeg_image.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

// jpeglib.h needs size_t and FILE declared before it.
extern "C" {
#include <jpeglib.h>
}

namespace {

// Pictures beyond this many pixels are refused before any memory is taken for them.
constexpr unsigned long kMaxPixels = 16UL * 1024 * 1024;

struct JumpingErrorManager {
    jpeg_error_mgr base;  // first, so libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<JumpingErrorManager*>(cinfo->err);
    std::longjmp(manager->jump, 1);
}

void Silent(j_common_ptr) {}

// Only plain C data lives across the setjmp in here: a longjmp skips destructors.
HBITMAP DecodeJpegBitmap(const unsigned char* data, size_t size) {
    jpeg_decompress_struct cinfo;
    JumpingErrorManager errors;
    // Written after setjmp and read after the jump: volatile keeps it out of a register.
    HBITMAP volatile bitmap = nullptr;

    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOnError;
    errors.base.output_message = Silent;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }

    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    if (cinfo.image_width == 0 || cinfo.image_height == 0 ||
        static_cast<unsigned long>(cinfo.image_width) * cinfo.image_height > kMaxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3) {
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }

    const int width = static_cast<int>(cinfo.output_width);
    const int height = static_cast<int>(cinfo.output_height);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 is the top row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        jpeg_destroy_decompress(&cinfo);
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }

    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    // Row memory from libjpeg's own pool, released with the decompressor.
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                static_cast<JDIMENSION>(width) * 3, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION y = cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1) break;
        auto* out = static_cast<unsigned char*>(bits) + y * stride;
        const JSAMPLE* in = row[0];
        for (int x = 0; x < width; ++x) {
            // The DIB holds blue, green, red.
            out[3 * x + 0] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x + 0];
        }
    }
    const bool complete = cinfo.output_scanline == cinfo.output_height;
    if (complete) jpeg_finish_decompress(&cinfo);
    // libjpeg pads a truncated or corrupt stream with grey and only warns: such a picture
    // is damaged and is not shown.
    const bool damaged = !complete || errors.base.num_warnings != 0;
    jpeg_destroy_decompress(&cinfo);
    if (damaged) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

}  // namespace

GdiBitmap DecodeJpeg(const void* data, size_t size) {
    if (!data || size == 0) return GdiBitmap();
    return GdiBitmap(DecodeJpegBitmap(static_cast<const unsigned char*>(data), size));
}
