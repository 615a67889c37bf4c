// Any bytes as a configuration file: read (encoding, and the parser against a plain second
// reading), write back, read again. The rewrite must hold the same entries, and rewriting
// that gives the same bytes again.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>
#include <string>

#include "conf_entries.h"
#include "config/conf_document.h"
#include "fuzz_check.h"

namespace {
bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

// The line rule read plainly: split at CR, LF and NUL, then one entry per non-blank line.
std::vector<ConfEntry> ReferenceParse(std::string_view text) {
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\r' || c == '\n' || c == '\0') lines.emplace_back();
        else lines.back() += c;
    }
    std::vector<ConfEntry> out;
    for (const std::string& line : lines) {
        size_t i = line.find_first_not_of(" \t");
        if (i == std::string::npos) continue;
        ConfEntry e;
        if (line[i] == ';') {
            e.kind = ConfEntry::Kind::Comment;
            if (i + 1 < line.size() && line[i + 1] == ' ') ++i;
            e.text = line.substr(i + 1);
        } else if (line[i] == '[') {
            e.kind = ConfEntry::Kind::Group;
            const size_t close = line.find(']', i + 1);
            e.text = close == std::string::npos ? line.substr(i + 1) : line.substr(i + 1, close - i - 1);
        } else {
            e.kind = ConfEntry::Kind::Key;
            const size_t eq = line.find('=', i);
            std::string key = line.substr(i, eq == std::string::npos ? std::string::npos : eq - i);
            while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
            e.text = key;
            if (eq != std::string::npos) {
                const size_t v = line.find_first_not_of(" \t", eq + 1);
                e.value = v == std::string::npos ? "" : line.substr(v);
            }
        }
        out.push_back(e);
    }
    return out;
}

// The value the lookup rule finds, or nullptr.
const std::string* ReferenceFind(const std::vector<ConfEntry>& entries, const std::optional<std::string>& group,
                                 const std::string& key) {
    size_t i = 0;
    if (group) {
        while (i < entries.size() && !(entries[i].kind == ConfEntry::Kind::Group && SameName(entries[i].text, *group))) ++i;
        if (i == entries.size()) return nullptr;
        ++i;
    }
    for (; i < entries.size() && entries[i].kind != ConfEntry::Kind::Group; ++i)
        if (entries[i].kind == ConfEntry::Kind::Key && SameName(entries[i].text, key)) return &entries[i].value;
    return nullptr;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string converted;
    const std::string_view text = ConfTextFromBytes(bytes, converted);

    // Without a byte-order mark every byte is a Latin-1 character: 80-FF take two bytes.
    const bool bom = size > 2 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (bom) {
        FUZZ_CHECK(text == std::string_view(bytes).substr(3), "text after the mark is not the file's rest");
    } else {
        size_t high = 0;
        for (unsigned char c : bytes) high += c >= 0x80;
        FUZZ_CHECK(text.size() == size + high, "%zu Latin-1 bytes gave %zu UTF-8 bytes", size, text.size());
    }

    const std::vector<ConfEntry> entries = ParseConfText(text);
    const std::string parsed = fuzz::EntryDifference(entries, ReferenceParse(text));
    FUZZ_CHECK(parsed.empty(), "file %s parses wrongly: %s", fuzz::HexBytes(bytes).c_str(), parsed.c_str());
    const std::string rewritten = SerializeConf(entries);

    // The rewrite: mark, empty first line, one CR LF line per entry and nothing else.
    FUZZ_CHECK(rewritten.compare(0, 5, "\xEF\xBB\xBF\r\n") == 0, "rewrite starts %s",
               fuzz::HexBytes(rewritten.substr(0, 5)).c_str());
    size_t lines = 0;
    for (size_t i = 0; i + 1 < rewritten.size(); ++i) lines += rewritten[i] == '\r' && rewritten[i + 1] == '\n';
    FUZZ_CHECK(lines == entries.size() + 1, "%zu entries written as %zu lines", entries.size(), lines);

    std::string converted2;
    const std::vector<ConfEntry> again = ParseConfText(ConfTextFromBytes(rewritten, converted2));
    const std::string diff = fuzz::EntryDifference(entries, again);
    FUZZ_CHECK(diff.empty(), "rewrite reads back differently: %s", diff.c_str());
    const std::string rewrittenAgain = SerializeConf(again);
    FUZZ_CHECK(rewrittenAgain == rewritten, "second rewrite differs (%zu and %zu bytes)", rewritten.size(),
               rewrittenAgain.size());

    ConfDocument doc;
    doc.Load(text);
    FUZZ_CHECK(fuzz::EntryDifference(doc.entries(), entries).empty(), "Load and ParseConfText disagree");
    FUZZ_CHECK(doc.Serialize() == rewritten, "ConfDocument::Serialize and SerializeConf disagree");

    // Looking up each key name by the group it stands in: the first group of that name (in
    // any ASCII case) and the first key of that name in its section win.
    size_t looked = 0;
    std::optional<std::string> group;  // none: the part before the first group line
    for (const ConfEntry& e : entries) {
        if (e.kind == ConfEntry::Kind::Group) group = e.text;
        if (e.kind != ConfEntry::Kind::Key || ++looked > 64) continue;
        // An empty group name selects the part before the first group, not a group named "".
        if (group && group->empty()) continue;
        const bool selected = doc.SelectGroup(group ? *group : std::string());
        FUZZ_CHECK(selected, "SelectGroup [%s] of a group in the file failed", fuzz::HexBytes(*group).c_str());
        const std::string* want = ReferenceFind(entries, group, e.text);
        const std::string* got = doc.Find(e.text);
        // A key under a repeated group name is found only when it stands in the first one.
        FUZZ_CHECK((got == nullptr) == (want == nullptr) && (got == nullptr || *got == *want),
                   "key [%s]: found [%s], expected [%s]", fuzz::HexBytes(e.text).c_str(),
                   got ? fuzz::HexBytes(*got).c_str() : "none", want ? fuzz::HexBytes(*want).c_str() : "none");
    }
    return 0;
}
