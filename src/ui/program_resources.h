// The pictures the program carries in its executable, and turning a carried bitmap file
// into a drawable bitmap.
#pragma once
#include <windows.h>

#include <cstddef>

#include "../../resources/resource_ids.h"

// The bytes of an RCDATA resource of the running executable; nullptr and size 0 when the
// executable does not carry it (as in the test programs).
const void* FindProgramData(int id, size_t* size);

// A device-dependent bitmap built from the bytes of a whole .bmp file (file header,
// information header, pixels). Only uncompressed 24-bit files are accepted; anything
// short, truncated or of another layout gives nullptr. The caller deletes the bitmap.
HBITMAP BitmapFromBmpFile(const void* data, size_t size);

// The message window's picture, built anew from the executable's data at every call;
// nullptr when the executable does not carry it.
HBITMAP LoadMessagePicture();
