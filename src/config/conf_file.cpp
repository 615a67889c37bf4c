// The configuration file object: opening with its sharing modes, reading and writing keys,
// and the in-place rewrite at Close that never leaves a half-written file behind.
#include "config/conf_file.h"

#include <windows.h>

#include "app/program_state.h"
#include "config/conf_document.h"
#include "config/conf_file_testing.h"
#include "util/text.h"
#include "util/unique_handle.h"

namespace {
using FileHandle = UniqueFileHandle;

int g_faultCountdown = 0;
ConfWriteFault g_fault = ConfWriteFault::None;

// WriteFile with the test seam in front of it; true only when every byte was written.
bool WriteAll(HANDLE h, const char* data, DWORD size) {
    if (g_fault != ConfWriteFault::None && --g_faultCountdown == 0) {
        const ConfWriteFault fault = g_fault;
        g_fault = ConfWriteFault::None;
        DWORD half = 0;
        WriteFile(h, data, size / 2, &half, nullptr);
        if (fault == ConfWriteFault::Fail) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        return half == size;
    }
    if (size == 0) return true;
    DWORD written = 0;
    return WriteFile(h, data, size, &written, nullptr) && written == size;
}

bool SeekTo(HANDLE h, LONGLONG position) {
    LARGE_INTEGER pos;
    pos.QuadPart = position;
    return SetFilePointerEx(h, pos, nullptr, FILE_BEGIN) != 0;
}

// Replaces the file's content with text. When that fails part way, the original bytes are
// written back and the file is cut to its old length, so it holds the old text or the new.
void Rewrite(HANDLE h, const std::string& text, const std::string& original) {
    if (!SeekTo(h, 0)) return;  // nothing written yet: the file is as it was
    if (text.size() <= MAXDWORD && WriteAll(h, text.data(), static_cast<DWORD>(text.size())) && SetEndOfFile(h)) {
        return;
    }
    if (SeekTo(h, 0) && WriteAll(h, original.data(), static_cast<DWORD>(original.size())) &&
        SeekTo(h, static_cast<LONGLONG>(original.size()))) {
        SetEndOfFile(h);
    }
}

// The whole file in one read of its size.
bool ReadWholeFile(HANDLE h, std::string& bytes) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size) || size.QuadPart > 0x7FFFFFFF) return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t got = 0;
    while (got < bytes.size()) {
        DWORD n = 0;
        if (!ReadFile(h, &bytes[got], static_cast<DWORD>(bytes.size() - got), &n, nullptr)) return false;
        if (n == 0) break;
        got += n;
    }
    bytes.resize(got);
    return true;
}
}  // namespace

void SetConfWriteFaultForTesting(int callNumber, ConfWriteFault fault) {
    g_faultCountdown = callNumber;
    g_fault = callNumber > 0 ? fault : ConfWriteFault::None;
}

struct ConfFile::Impl {
    enum class State { Closed, Open, PathOnly };
    State state = State::Closed;
    FileHandle file;
    std::wstring path;  // kept only in PathOnly, for creating the file at Close
    bool modified = false;
    bool readOnly = false;
    std::string original;  // the bytes as read at Open, for undoing a failed rewrite
    ConfDocument doc;

    void Reset() {
        file.reset();
        path.clear();
        modified = false;
        readOnly = false;
        original.clear();
        original.shrink_to_fit();
        doc.Clear();
        state = State::Closed;
    }
};

ConfFile::ConfFile() : impl_(new Impl) {}

ConfFile::~ConfFile() { Close(); }

bool ConfFile::Open(const std::wstring& path) {
    Close();
    Impl& d = *impl_;
    struct Attempt {
        DWORD access, share;
    };
    // Others may read the file while it is open for writing, but not write it.
    static const Attempt kAttempts[] = {
        {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ},
        {GENERIC_READ, FILE_SHARE_READ},
        {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE},
    };
    for (size_t i = 0; i < sizeof kAttempts / sizeof kAttempts[0]; ++i) {
        HANDLE h = CreateFileW(path.c_str(), kAttempts[i].access, kAttempts[i].share, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            d.file = FileHandle(h);
            d.readOnly = i > 0;
            break;
        }
    }
    if (!d.file.valid()) {
        d.path = path;
        d.state = Impl::State::PathOnly;
        return false;
    }
    if (!ReadWholeFile(d.file.get(), d.original)) {
        // An unreadable file must not be replaced by one built from nothing.
        d.Reset();
        return false;
    }
    std::string converted;
    d.doc.Load(ConfTextFromBytes(d.original, converted));
    d.state = Impl::State::Open;
    return true;
}

bool ConfFile::SelectGroup(const std::wstring& name) {
    if (impl_->state == Impl::State::Closed) return false;
    return impl_->doc.SelectGroup(WideToUtf8(name));
}

std::wstring ConfFile::ReadString(const std::wstring& key, const std::wstring& defaultValue) {
    if (impl_->state != Impl::State::Open) return defaultValue;
    const std::string* value = impl_->doc.Find(WideToUtf8(key));
    if (!value) return defaultValue;
    return Utf8ToWide(std::string(TrimBlanksAndTabs(*value)));
}

void ConfFile::WriteString(const std::wstring& key, const std::wstring& value) {
    if (impl_->state == Impl::State::Closed) return;
    impl_->doc.Write(WideToUtf8(key), WideToUtf8(value));
    impl_->modified = true;
}

void ConfFile::Close() {
    Impl& d = *impl_;
    if (d.state == Impl::State::Closed) return;
    if (d.readOnly) d.file.reset();  // changes to a read-only file are dropped
    if (d.modified) {
        if (!d.file.valid() && d.state == Impl::State::PathOnly) {
            HANDLE h = CreateFileW(d.path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) d.file = FileHandle(h);
        }
        if (d.file.valid()) Rewrite(d.file.get(), d.doc.Serialize(), d.original);
    }
    d.Reset();
}

ConfFile& TheConfFile() {
    static ConfFile conf;
    return conf;
}

std::wstring ReadGlobalKey(const std::wstring& key, const std::wstring& defaultValue) {
    ConfFile& conf = TheConfFile();
    conf.Open(g_paths.ConfFilePath);
    conf.SelectGroup(L"Global");
    std::wstring value = conf.ReadString(key, defaultValue);
    conf.Close();
    return value;
}

void WriteGlobalKey(const std::wstring& key, const std::wstring& value) {
    ConfFile& conf = TheConfFile();
    conf.Open(g_paths.ConfFilePath);
    conf.SelectGroup(L"Global");
    conf.WriteString(key, value);
    conf.Close();
}
