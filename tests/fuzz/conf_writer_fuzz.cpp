// The configuration writer: a parsed file, then a sequence of group selections and key writes
// decoded from the fuzzer's bytes. After every write the key reads back with its value, and
// the written-back file reads back to the same entries, where the names and values are ones
// a file line can hold.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "conf_entries.h"
#include "config/conf_document.h"
#include "fuzz_check.h"

namespace {
bool HasLineEnd(const std::string& s) { return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }
bool Blank(char c) { return c == ' ' || c == '\t'; }

// A group name a "[name]" line gives back unchanged.
bool LineSafeGroup(const std::string& g) { return !HasLineEnd(g) && g.find(']') == std::string::npos; }

// A key and value a "key = value" line gives back unchanged.
bool LineSafeKey(const std::string& k, const std::string& v) {
    if (HasLineEnd(k) || HasLineEnd(v) || k.find('=') != std::string::npos) return false;
    if (!k.empty() && (Blank(k.front()) || Blank(k.back()) || k.front() == ';' || k.front() == '[')) return false;
    if (!v.empty() && Blank(v.front())) return false;
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    ConfDocument doc;
    doc.Load(in.ConsumeRandomLengthString(256));

    bool safe = true;  // every name and value so far fits a file line
    std::string group;
    bool pending = false;  // the selected group does not exist yet
    for (int op = 0; op < 16 && in.remaining_bytes() > 0; ++op) {
        if (in.ConsumeBool()) {
            group = in.ConsumeRandomLengthString(12);
            safe = safe && LineSafeGroup(group);
            const size_t before = doc.entries().size();
            pending = !doc.SelectGroup(group);
            FUZZ_CHECK(doc.entries().size() == before, "SelectGroup changed the entries");
        } else {
            const std::string key = in.ConsumeRandomLengthString(12);
            const std::string value = in.ConsumeRandomLengthString(24);
            safe = safe && LineSafeKey(key, value);
            const size_t before = doc.entries().size();
            const bool existed = doc.Find(key) != nullptr;
            doc.Write(key, value);
            const std::string* found = doc.Find(key);
            FUZZ_CHECK(found != nullptr && *found == value, "key [%s] reads [%s] after writing [%s]",
                       fuzz::HexBytes(key).c_str(), found ? fuzz::HexBytes(*found).c_str() : "none",
                       fuzz::HexBytes(value).c_str());
            // A new key adds its line, and a group that did not exist yet its group line.
            const size_t grown = doc.entries().size() - before;
            const size_t expected = (existed ? 0 : 1) + (pending ? 1 : 0);
            FUZZ_CHECK(grown == expected, "write of a %s key added %zu entries, expected %zu",
                       existed ? "present" : "new", grown, expected);
            pending = false;
            if (safe) {
                // What Close would write reads back the same, and the key is found in it again.
                ConfDocument reread;
                std::string converted;
                const std::string bytes = doc.Serialize();
                reread.Load(ConfTextFromBytes(bytes, converted));
                const std::string diff = fuzz::EntryDifference(doc.entries(), reread.entries());
                FUZZ_CHECK(diff.empty(), "written file reads back differently: %s", diff.c_str());
                FUZZ_CHECK(reread.SelectGroup(group) || group.empty(), "group [%s] lost", fuzz::HexBytes(group).c_str());
                const std::string* again = reread.Find(key);
                FUZZ_CHECK(again != nullptr && *again == value, "key [%s] in group [%s] reads [%s] from the file",
                           fuzz::HexBytes(key).c_str(), fuzz::HexBytes(group).c_str(),
                           again ? fuzz::HexBytes(*again).c_str() : "none");
            }
        }
    }
    return 0;
}
