// Decoding a JPEG picture held in memory into a bitmap that windows can show.
#pragma once
#include <windows.h>

#include <cstddef>

// Owns one GDI bitmap and deletes it when it goes.
class GdiBitmap {
public:
    GdiBitmap() = default;
    explicit GdiBitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
    GdiBitmap(GdiBitmap&& other) noexcept : bitmap_(other.release()) {}
    GdiBitmap& operator=(GdiBitmap&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    GdiBitmap(const GdiBitmap&) = delete;
    GdiBitmap& operator=(const GdiBitmap&) = delete;
    ~GdiBitmap() { reset(); }

    HBITMAP get() const { return bitmap_; }
    explicit operator bool() const { return bitmap_ != nullptr; }
    HBITMAP release() {
        HBITMAP b = bitmap_;
        bitmap_ = nullptr;
        return b;
    }
    void reset(HBITMAP bitmap = nullptr) {
        if (bitmap_) DeleteObject(bitmap_);
        bitmap_ = bitmap;
    }

private:
    HBITMAP bitmap_ = nullptr;
};

// A 24-bit top-down DIB section with the decoded picture. An empty owner when the data is
// not a JPEG, is damaged or truncated, or is larger than any picture this program shows.
GdiBitmap DecodeJpeg(const void* data, size_t size);
