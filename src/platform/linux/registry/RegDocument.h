#pragma once
// A registry file held in memory: its keys ("sections") in file order, each with its values.
// Comment lines are kept with the value or key they stand next to, so a rewrite loses nothing a
// person or another program put there. Names compare case-insensitively (ASCII), as the
// registry's do, and keep the case they were first written with.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::linux_::registry {

struct RegValue {
    std::string name;  // empty: the key's default value, written as @
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    std::vector<std::string> comments;  // comment lines just above the value
    bool operator==(const RegValue&) const = default;
};

struct RegSection {
    std::string path;  // full path with the root, e.g. HKEY_CURRENT_USER\Software\Orlenda
    std::vector<RegValue> values;
    std::vector<std::string> closingComments;  // comment lines after the last value
    bool operator==(const RegSection&) const = default;
};

struct RegDocument {
    std::vector<std::string> preamble;  // comment lines before the first key
    std::vector<RegSection> sections;
    bool operator==(const RegDocument&) const = default;
};

// A byte a name or a quoted string may hold: no control characters, so a line stays a line.
bool isTextByte(char c);
bool sameName(std::string_view a, std::string_view b);
// True when `path` lies somewhere below `ancestor`.
bool isBelow(std::string_view path, std::string_view ancestor);
// Drops empty parts (leading, trailing or doubled backslashes); nullopt if a part holds a
// byte that is not text.
std::optional<std::string> normalizeKeyPath(std::string_view path);

const RegSection* findSection(const RegDocument& doc, std::string_view path);
RegSection* findSection(RegDocument& doc, std::string_view path);
const RegValue* findValue(const RegSection& section, std::string_view name);
// A key exists when it has a section or some key below it does.
bool keyExists(const RegDocument& doc, std::string_view path);

// Adds an empty section for `path` unless it has one: before the keys below it, else after its
// parent's last key, so the file reads as a tree. Returns whether it added one.
bool addSection(RegDocument& doc, std::string_view path);
// Removes the key and every key below it.
void removeKey(RegDocument& doc, std::string_view path);
// Stores the value in place of one of the same name (keeping that name's case and comments).
// Returns whether anything changed.
bool storeValue(RegSection& section, RegValue value);
void removeValue(RegSection& section, std::string_view name);

}  // namespace platform::linux_::registry
