// Text files read and written line by line through one 4096-byte buffer that holds either
// bytes read ahead or bytes waiting to be written, never both.
#include "util/text_file.h"

#include <algorithm>

#include "util/line_reader.h"
#include "util/text.h"
#include "util/unique_handle.h"

class TextFile : public ByteSource {
public:
    static constexpr size_t kBufferSize = 4096;

    TextFile(HANDLE h, bool readOnly) : handle_(h), readOnly_(readOnly) {}
    // A file dropped without CloseText still gets its waiting bytes.
    ~TextFile() override {
        if (handle_) Flush();
    }

    int PeekByte() override { return Fill() ? static_cast<unsigned char>(buffer_[readPos_]) : -1; }
    int NextByte() override { return Fill() ? static_cast<unsigned char>(buffer_[readPos_++]) : -1; }
    bool AtEnd() { return !Fill(); }

    void Write(const std::string& bytes) {
        if (readOnly_) {
            failed_ = true;
            return;
        }
        DropReadAhead();
        size_t done = 0;
        while (done < bytes.size()) {
            const size_t chunk = std::min(kBufferSize - writeLen_, bytes.size() - done);
            std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(done),
                      bytes.begin() + static_cast<std::ptrdiff_t>(done + chunk), buffer_ + writeLen_);
            writeLen_ += chunk;
            done += chunk;
            if (writeLen_ == kBufferSize) Flush();
        }
    }

    int64_t Length() {
        Flush();
        LARGE_INTEGER size;
        if (!GetFileSizeEx(handle_.get(), &size)) return -1;
        return size.QuadPart;
    }

    void Seek(int64_t position) {
        Flush();
        readPos_ = readLen_ = 0;
        LARGE_INTEGER to;
        to.QuadPart = position;
        SetFilePointerEx(handle_.get(), to, nullptr, FILE_BEGIN);
    }

    bool Close() {
        Flush();
        handle_.reset();
        return !failed_;
    }

private:
    // Writes out the waiting bytes; a failed or short write is remembered for Close.
    void Flush() {
        if (writeLen_ == 0) return;
        DWORD written = 0;
        if (!WriteFile(handle_.get(), buffer_, static_cast<DWORD>(writeLen_), &written, nullptr) || written != writeLen_)
            failed_ = true;
        writeLen_ = 0;
    }

    // Before a write, the file position must stand where the reader has got to, not where
    // the read-ahead ended.
    void DropReadAhead() {
        if (readPos_ < readLen_) {
            LARGE_INTEGER back;
            back.QuadPart = -static_cast<int64_t>(readLen_ - readPos_);
            SetFilePointerEx(handle_.get(), back, nullptr, FILE_CURRENT);
        }
        readPos_ = readLen_ = 0;
    }

    // True when a byte is ready at readPos_.
    bool Fill() {
        if (readPos_ < readLen_) return true;
        Flush();
        DWORD got = 0;
        if (!ReadFile(handle_.get(), buffer_, static_cast<DWORD>(kBufferSize), &got, nullptr)) got = 0;
        readPos_ = 0;
        readLen_ = got;
        return got > 0;
    }

    UniqueFileHandle handle_;
    bool readOnly_;
    bool failed_ = false;
    char buffer_[kBufferSize];
    size_t readPos_ = 0, readLen_ = 0;
    size_t writeLen_ = 0;
};

namespace {
TextFilePtr Wrap(HANDLE h, bool readOnly) {
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return TextFilePtr(new TextFile(h, readOnly));
}
}  // namespace

void TextFileDeleter::operator()(TextFile* file) const { delete file; }

TextFilePtr OpenRead(const std::wstring& path) {
    return Wrap(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                true);
}

TextFilePtr CreateText(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    // A file we may write but not read (or not re-create) is emptied in place instead.
    if (h == INVALID_HANDLE_VALUE)
        h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return Wrap(h, false);
}

TextFilePtr OpenShared(const std::wstring& path) {
    return Wrap(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr),
                false);
}

bool AtEnd(TextFile& file) { return file.AtEnd(); }

std::wstring ReadLine(TextFile& file) { return ReadTextLine(file); }

void WriteLine(TextFile& file, const std::wstring& text, TextEncoding encoding) {
    std::string bytes = encoding == TextEncoding::Ansi ? WideToAnsi(text) : WideToUtf8(text);
    bytes += "\r\n";
    file.Write(bytes);
}

int64_t FileLength(TextFile& file) { return file.Length(); }

void SeekTo(TextFile& file, int64_t position) { file.Seek(position); }

bool CloseText(TextFilePtr& file) {
    if (!file) return false;
    const bool ok = file->Close();
    file.reset();
    return ok;
}
