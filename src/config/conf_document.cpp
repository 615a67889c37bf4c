// The configuration file's entry list: parsing, finding, selecting, writing, serializing.
#include "config/conf_document.h"

#include "util/text.h"

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == '\0'; }
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Parses one line (without its line end) and appends its entry, if any.
void ParseLine(std::string_view line, std::vector<ConfEntry>& out) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return;
    ConfEntry entry;
    if (line[i] == ';') {
        ++i;
        if (i < line.size() && line[i] == ' ') ++i;
        entry.kind = ConfEntry::Kind::Comment;
        entry.text.assign(line.substr(i));
    } else if (line[i] == '[') {
        ++i;
        const size_t close = line.find(']', i);
        entry.kind = ConfEntry::Kind::Group;
        entry.text.assign(line.substr(i, close == std::string_view::npos ? std::string_view::npos : close - i));
    } else {
        entry.kind = ConfEntry::Kind::Key;
        const size_t eq = line.find('=', i);
        size_t keyEnd = (eq == std::string_view::npos) ? line.size() : eq;
        while (keyEnd > i && IsBlank(line[keyEnd - 1])) --keyEnd;
        entry.text.assign(line.substr(i, keyEnd - i));
        if (eq != std::string_view::npos) {
            size_t v = eq + 1;
            while (v < line.size() && IsBlank(line[v])) ++v;
            entry.value.assign(line.substr(v));
        }
    }
    out.push_back(std::move(entry));
}
}  // namespace

bool ConfNamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

std::string_view TrimBlanksAndTabs(std::string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string_view ConfTextFromBytes(const std::string& bytes, std::string& converted) {
    if (bytes.size() > 2 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        return std::string_view(bytes).substr(3);
    }
    converted = Latin1ToUtf8(bytes);
    return converted;
}

std::vector<ConfEntry> ParseConfText(std::string_view text) {
    std::vector<ConfEntry> entries;
    size_t start = 0;
    // An empty line yields no entry, so CR LF can be taken as two line ends.
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsLineEnd(text[i])) {
            if (i > start) ParseLine(text.substr(start, i - start), entries);
            start = i + 1;
        }
    }
    if (start < text.size()) ParseLine(text.substr(start), entries);
    return entries;
}

std::string SerializeConf(const std::vector<ConfEntry>& entries) {
    size_t size = 5;
    for (const ConfEntry& e : entries) size += e.text.size() + e.value.size() + 5;
    std::string out;
    out.reserve(size);
    out += "\xEF\xBB\xBF\r\n";
    for (const ConfEntry& e : entries) {
        switch (e.kind) {
            case ConfEntry::Kind::Group:
                out += '[';
                out += e.text;
                out += ']';
                break;
            case ConfEntry::Kind::Comment:
                out += "; ";
                out += e.text;
                break;
            case ConfEntry::Kind::Key:
                out += e.text;
                out += " = ";
                out += e.value;
                break;
        }
        out += "\r\n";
    }
    return out;
}

void ConfDocument::Load(std::string_view utf8Text) {
    entries_ = ParseConfText(utf8Text);
    current_ = kBeforeFirstGroup;
    pending_.reset();
}

void ConfDocument::Clear() {
    entries_.clear();
    current_ = kBeforeFirstGroup;
    pending_.reset();
}

bool ConfDocument::SelectGroup(std::string_view name) {
    if (name.empty()) {
        current_ = kBeforeFirstGroup;
        pending_.reset();
        return true;
    }
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].kind == ConfEntry::Kind::Group && ConfNamesEqual(entries_[i].text, name)) {
            current_ = i;
            pending_.reset();
            return true;
        }
    }
    current_ = kBeforeFirstGroup;
    pending_ = std::string(name);
    return false;
}

size_t ConfDocument::SectionBegin() const { return current_ == kBeforeFirstGroup ? 0 : current_ + 1; }

size_t ConfDocument::SectionEnd() const {
    size_t i = SectionBegin();
    while (i < entries_.size() && entries_[i].kind != ConfEntry::Kind::Group) ++i;
    return i;
}

const std::string* ConfDocument::Find(std::string_view key) const {
    if (pending_) return nullptr;
    const size_t end = SectionEnd();
    for (size_t i = SectionBegin(); i < end; ++i) {
        const ConfEntry& e = entries_[i];
        if (e.kind == ConfEntry::Kind::Key && ConfNamesEqual(e.text, key)) return &e.value;
    }
    return nullptr;
}

void ConfDocument::Write(std::string_view key, std::string_view value) {
    if (pending_) {
        ConfEntry group;
        group.kind = ConfEntry::Kind::Group;
        group.text = std::move(*pending_);
        pending_.reset();
        entries_.push_back(std::move(group));
        current_ = entries_.size() - 1;
    }
    const size_t end = SectionEnd();
    for (size_t i = SectionBegin(); i < end; ++i) {
        ConfEntry& e = entries_[i];
        if (e.kind == ConfEntry::Kind::Key && ConfNamesEqual(e.text, key)) {
            e.text.assign(key);  // the name as written now replaces the stored spelling
            e.value.assign(value);
            return;
        }
    }
    ConfEntry entry;
    entry.kind = ConfEntry::Kind::Key;
    entry.text.assign(key);
    entry.value.assign(value);
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(end), std::move(entry));
}
