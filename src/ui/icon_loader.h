// The tray icons: the ICO files the program carries, and picking the image the tray shows.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>

enum class IconKind { Active, Stopped };

// Where one image of an ICO file lies in it.
struct IconImageRef {
    size_t offset = 0;
    size_t size = 0;
    int width = 0;
    int height = 0;
    int bitCount = 0;
};

// The image the tray shows from an ICO file: the first image's size, and among the images
// of that size the one with the most bits per pixel (the first of them on a tie). Nothing
// when the file is not an icon file or an entry points outside it.
std::optional<IconImageRef> SelectTrayImage(const unsigned char* data, size_t size);

// An icon made from that image of the given ICO file bytes; nullptr when they are unusable.
// The caller destroys the icon with DestroyIcon.
HICON IconFromIcoFile(const unsigned char* data, size_t size);

// The active or the stopped tray icon from the program's data (48 x 48); nullptr when the
// executable does not carry it. The caller destroys the icon with DestroyIcon.
HICON LoadProgramIcon(IconKind kind);
