// The configuration file's text as an ordered list of entries: the line parser, finding and
// selecting, writing keys, and the text written back. Plain logic without file access.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ConfEntry {
    enum class Kind { Group, Comment, Key };
    Kind kind = Kind::Key;
    std::string text;   // group name, comment text or key name, as UTF-8
    std::string value;  // the key's value as UTF-8; empty for groups and comments
};

// Equal when every byte matches, except that A-Z and a-z match each other.
bool ConfNamesEqual(std::string_view a, std::string_view b);

// The file's bytes as UTF-8 text: a file longer than 2 bytes that starts with EF BB BF is
// UTF-8 and the view starts after those three bytes; any other file is Latin-1, widened
// into `converted`, which the view then points into.
std::string_view ConfTextFromBytes(const std::string& bytes, std::string& converted);

// One entry per non-empty line. CR, LF, CR LF and a zero byte end a line.
std::vector<ConfEntry> ParseConfText(std::string_view text);

// EF BB BF, CR LF, then one CR LF-ended line per entry.
std::string SerializeConf(const std::vector<ConfEntry>& entries);

class ConfDocument {
public:
    // Replaces the entries with those of the text; the part before the first group is current.
    void Load(std::string_view utf8Text);
    void Clear();

    // Makes the first group of that name current; "" selects the part before the first group.
    // Not found: the name is remembered and the group is created by the next Write.
    bool SelectGroup(std::string_view name);
    // The value as stored (untrimmed), or nullptr when the key is not in the current group.
    const std::string* Find(std::string_view key) const;
    // Sets the key in the current group, adding the remembered group and the key as needed.
    void Write(std::string_view key, std::string_view value);

    const std::vector<ConfEntry>& entries() const { return entries_; }
    std::string Serialize() const { return SerializeConf(entries_); }

private:
    static constexpr size_t kBeforeFirstGroup = static_cast<size_t>(-1);
    // Index range [begin, end) of the current group's entries after its group line.
    size_t SectionBegin() const;
    size_t SectionEnd() const;

    std::vector<ConfEntry> entries_;
    size_t current_ = kBeforeFirstGroup;
    std::optional<std::string> pending_;  // set while the selected group does not exist
};

// Blanks and tabs removed at both ends.
std::string_view TrimBlanksAndTabs(std::string_view text);
