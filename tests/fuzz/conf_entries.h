// Comparing and printing configuration entry lists for the configuration fuzz targets.
#pragma once
#include <string>
#include <vector>

#include "config/conf_document.h"
#include "fuzz_check.h"

namespace fuzz {

inline const char* KindName(ConfEntry::Kind k) {
    switch (k) {
        case ConfEntry::Kind::Group: return "Group";
        case ConfEntry::Kind::Comment: return "Comment";
        case ConfEntry::Kind::Key: return "Key";
    }
    return "?";
}

// The first difference between two entry lists, or "" when they hold the same entries.
inline std::string EntryDifference(const std::vector<ConfEntry>& a, const std::vector<ConfEntry>& b) {
    for (size_t i = 0; i < a.size() || i < b.size(); ++i) {
        if (i >= a.size() || i >= b.size()) return "entry counts " + std::to_string(a.size()) + " and " + std::to_string(b.size());
        if (a[i].kind != b[i].kind || a[i].text != b[i].text || a[i].value != b[i].value) {
            return "entry " + std::to_string(i) + ": " + KindName(a[i].kind) + " [" + HexBytes(a[i].text) + "] = [" +
                   HexBytes(a[i].value) + "] against " + KindName(b[i].kind) + " [" + HexBytes(b[i].text) + "] = [" +
                   HexBytes(b[i].value) + "]";
        }
    }
    return "";
}

}  // namespace fuzz
