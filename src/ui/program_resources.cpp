// Loading of the pictures that the executable carries as raw files.
#include "ui/program_resources.h"

#include <cstdint>
#include <cstring>

const void* FindProgramData(int id, size_t* size) {
    *size = 0;
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (!info) return nullptr;
    HGLOBAL loaded = LoadResource(module, info);
    if (!loaded) return nullptr;
    const void* bytes = LockResource(loaded);
    if (!bytes) return nullptr;
    *size = SizeofResource(module, info);
    return bytes;
}

HBITMAP BitmapFromBmpFile(const void* data, size_t size) {
    if (!data || size < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) return nullptr;
    const auto* bytes = static_cast<const unsigned char*>(data);
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    std::memcpy(&file, bytes, sizeof file);
    std::memcpy(&info, bytes + sizeof file, sizeof info);
    if (file.bfType != 0x4D42 /* "BM" */ || info.biSize < sizeof info) return nullptr;
    if (info.biBitCount != 24 || info.biCompression != BI_RGB || info.biPlanes != 1) return nullptr;
    if (info.biWidth <= 0 || info.biWidth > 4096 || info.biHeight == 0 || info.biHeight > 4096 ||
        info.biHeight < -4096)
        return nullptr;
    const uint64_t stride = (static_cast<uint64_t>(info.biWidth) * 3 + 3) & ~uint64_t{3};
    const uint64_t rows = info.biHeight < 0 ? -static_cast<int64_t>(info.biHeight) : info.biHeight;
    const uint64_t pixelsStart = file.bfOffBits;
    if (pixelsStart < sizeof file + info.biSize || pixelsStart > size || size - pixelsStart < stride * rows)
        return nullptr;

    // The information header is copied so that a longer header in the file (V4, V5) is
    // handed on as the plain 40-byte one this call needs.
    BITMAPINFO bmi{};
    bmi.bmiHeader = info;
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    HDC screen = GetDC(nullptr);
    if (!screen) return nullptr;
    HBITMAP bitmap = CreateDIBitmap(screen, &bmi.bmiHeader, CBM_INIT, bytes + pixelsStart, &bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

HBITMAP LoadMessagePicture() {
    size_t size = 0;
    const void* bytes = FindProgramData(IDB_MESSAGE_PICTURE, &size);
    return bytes ? BitmapFromBmpFile(bytes, size) : nullptr;
}
