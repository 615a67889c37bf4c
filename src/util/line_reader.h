// The byte rules of reading one text line: a source of bytes (a file's buffer or memory)
// and the reader that cuts a line from it and decodes it as UTF-8. Free of platform code.
#pragma once
#include <string>

// One byte at a time; both return -1 when no byte is left.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual int PeekByte() = 0;
    virtual int NextByte() = 0;
};

class MemoryByteSource : public ByteSource {
public:
    explicit MemoryByteSource(std::string bytes) : bytes_(std::move(bytes)) {}
    int PeekByte() override { return pos_ < bytes_.size() ? static_cast<unsigned char>(bytes_[pos_]) : -1; }
    int NextByte() override { return pos_ < bytes_.size() ? static_cast<unsigned char>(bytes_[pos_++]) : -1; }
    bool AtEnd() const { return pos_ >= bytes_.size(); }

private:
    std::string bytes_;
    size_t pos_ = 0;
};

// The raw bytes of the next line: each character is taken whole by the length its first
// byte announces (the bytes after it unchecked, so a CR or LF among them belongs to it);
// a byte that cannot start a character becomes "?". LF, CR (with a LF directly after it)
// and NUL end the line and are dropped; a character cut off by the end is dropped.
std::string ReadLineBytes(ByteSource& source);
// The next line decoded as UTF-8 (malformed sequences become U+FFFD, see Utf8ToWide).
std::wstring ReadTextLine(ByteSource& source);
