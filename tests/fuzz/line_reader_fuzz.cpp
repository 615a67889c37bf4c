// The line reader over any bytes: it always gets to the end, each byte is taken exactly once,
// and every line holds what the plain reading in reference_lines.h cuts, raw and decoded (as
// a message file's lines and message text).
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "reference_lines.h"
#include "util/line_reader.h"
#include "util/text.h"
#include "watch/message_file.h"

namespace {
// Counts what the reader takes, and stops a reader that keeps asking past the end.
class CountingSource : public ByteSource {
public:
    explicit CountingSource(const std::string& bytes) : bytes_(bytes) {}
    int PeekByte() override { return pos_ < bytes_.size() ? static_cast<unsigned char>(bytes_[pos_]) : -1; }
    int NextByte() override {
        if (pos_ < bytes_.size()) return static_cast<unsigned char>(bytes_[pos_++]);
        FUZZ_CHECK(++pastEnd_ < 1000, "the reader keeps asking for bytes after the end");
        return -1;
    }
    size_t pos() const { return pos_; }
    bool atEnd() const { return pos_ >= bytes_.size(); }

private:
    const std::string& bytes_;
    size_t pos_ = 0;
    int pastEnd_ = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<fuzz::RefLine> want = fuzz::ReferenceLines(bytes);

    // Raw lines, and how many bytes each one took.
    CountingSource counted(bytes);
    size_t n = 0;
    while (!counted.atEnd()) {
        FUZZ_CHECK(n < want.size(), "bytes %s: more than %zu lines", fuzz::HexBytes(bytes).c_str(), want.size());
        const size_t before = counted.pos();
        const std::string line = ReadLineBytes(counted);
        const size_t took = counted.pos() - before;
        FUZZ_CHECK(took > 0, "bytes %s: line %zu took no byte at offset %zu", fuzz::HexBytes(bytes).c_str(), n, before);
        FUZZ_CHECK(took == want[n].consumed && line == want[n].bytes,
                   "bytes %s line %zu: [%s] from %zu bytes, expected [%s] from %zu bytes", fuzz::HexBytes(bytes).c_str(),
                   n, fuzz::HexBytes(line).c_str(), took, fuzz::HexBytes(want[n].bytes).c_str(), want[n].consumed);
        ++n;
    }
    FUZZ_CHECK(n == want.size() && counted.pos() == size, "bytes %s: %zu lines ending at %zu, expected %zu lines",
               fuzz::HexBytes(bytes).c_str(), n, counted.pos(), want.size());

    // Decoded lines of a message file's bytes, and its message text: each line and one CR.
    const std::vector<std::wstring> lines = SplitMessageLines(bytes);
    FUZZ_CHECK(lines.size() == want.size(), "bytes %s: %zu message lines, expected %zu", fuzz::HexBytes(bytes).c_str(),
               lines.size(), want.size());
    std::wstring text;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::wstring expected = Utf8ToWide(want[i].bytes);
        FUZZ_CHECK(lines[i] == expected, "bytes %s line %zu: %s, expected %s", fuzz::HexBytes(bytes).c_str(), i,
                   fuzz::HexUnits(lines[i]).c_str(), fuzz::HexUnits(expected).c_str());
        text += lines[i];
        text += L'\r';
    }
    FUZZ_CHECK(MessageText(lines) == text, "MessageText of %zu lines", lines.size());
    return 0;
}
