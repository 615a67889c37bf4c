// Small owners for Win32 handles: a file handle (invalid is INVALID_HANDLE_VALUE) and a
// find handle (closed with FindClose), each closed when its owner goes.
#pragma once
#include <windows.h>

#include <utility>

template <class Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : handle_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    explicit operator bool() const { return valid(); }
    // Gives the handle up without closing it.
    HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (valid()) Traits::Close(handle_);
        handle_ = h;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

struct FileHandleTraits {
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
    static void Close(HANDLE h) { FindClose(h); }
};

using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
