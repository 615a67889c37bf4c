// Decoding the tray icons the program carries as raw ICO files.
#include "ui/icon_loader.h"

#include <cstring>

#include "ui/program_resources.h"

namespace {

uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t ReadU32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

constexpr size_t kHeaderSize = 6;
constexpr size_t kEntrySize = 16;

}  // namespace

std::optional<IconImageRef> SelectTrayImage(const unsigned char* data, size_t size) {
    if (!data || size < kHeaderSize) return std::nullopt;
    // Reserved 0, type 1 (icon), then the number of images.
    if (ReadU16(data) != 0 || ReadU16(data + 2) != 1) return std::nullopt;
    const size_t count = ReadU16(data + 4);
    if (count == 0 || size < kHeaderSize + count * kEntrySize) return std::nullopt;

    std::optional<IconImageRef> best;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* entry = data + kHeaderSize + i * kEntrySize;
        IconImageRef ref;
        // A stored width or height of 0 stands for 256.
        ref.width = entry[0] ? entry[0] : 256;
        ref.height = entry[1] ? entry[1] : 256;
        ref.bitCount = ReadU16(entry + 6);
        ref.size = ReadU32(entry + 8);
        ref.offset = ReadU32(entry + 12);
        if (ref.size == 0 || ref.offset > size || ref.size > size - ref.offset) return std::nullopt;
        // Some writers leave the depth in the directory at 0; the image's own header has it.
        const unsigned char* image = data + ref.offset;
        if (ref.bitCount == 0 && ref.size >= 16 && ReadU32(image) == 40) ref.bitCount = ReadU16(image + 14);
        if (!best) {
            best = ref;
        } else if (ref.width == best->width && ref.height == best->height && ref.bitCount > best->bitCount) {
            best = ref;
        }
    }
    return best;
}

HICON IconFromIcoFile(const unsigned char* data, size_t size) {
    const std::optional<IconImageRef> ref = SelectTrayImage(data, size);
    if (!ref) return nullptr;
    // The call takes a writable pointer but only reads the image.
    auto* image = const_cast<unsigned char*>(data + ref->offset);
    return CreateIconFromResourceEx(image, static_cast<DWORD>(ref->size), TRUE, 0x00030000, ref->width,
                                    ref->height, LR_DEFAULTCOLOR);
}

HICON LoadProgramIcon(IconKind kind) {
    size_t size = 0;
    const void* bytes =
        FindProgramData(kind == IconKind::Active ? IDR_TRAY_ICON_ACTIVE : IDR_TRAY_ICON_STOPPED, &size);
    if (!bytes) return nullptr;
    return IconFromIcoFile(static_cast<const unsigned char*>(bytes), size);
}
