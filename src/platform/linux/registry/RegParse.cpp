#include <cstdint>
#include <map>
#include <unordered_map>

#include "platform/Types.h"
#include "platform/linux/registry/RegFormat.h"
#include "platform/linux/registry/RegText.h"

namespace platform::linux_::registry {

namespace {

struct Refusal {
    std::string what;
};

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A hex number of 1 to 8 digits making up all of `s`.
std::uint32_t hexNumber(std::string_view s, const char* what) {
    if (s.empty() || s.size() > 8) throw Refusal{std::string("bad ") + what};
    std::uint32_t n = 0;
    for (char c : s) {
        int d = hexDigit(c);
        if (d < 0) throw Refusal{std::string("bad ") + what};
        n = n << 4 | static_cast<std::uint32_t>(d);
    }
    return n;
}

// Splits the text into trimmed lines, refusing bytes that have no place in a text file.
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}

    bool next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        auto end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        ++number_;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        for (char c : line)
            if (!isTextByte(c) && c != '\t') throw Refusal{"control or NUL byte"};
        line = trim(line);
        return true;
    }
    int number() const { return number_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int number_ = 0;
};

// Reads a quoted string from the front of `s` and removes it from `s`.
std::string takeQuoted(std::string_view& s) {
    std::string out;
    std::size_t i = 1;
    for (;; ++i) {
        if (i >= s.size()) throw Refusal{"unterminated string"};
        char c = s[i];
        if (c == '"') break;
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) throw Refusal{"bad escape in string"};
            c = s[++i];
        }
        if (!isTextByte(c)) throw Refusal{"control byte in string"};
        out += c;
    }
    s.remove_prefix(i + 1);
    return out;
}

std::vector<std::uint8_t> hexList(std::string_view first, Lines& lines) {
    std::string joined(trim(first));
    while (!joined.empty() && joined.back() == '\\') {
        joined.pop_back();
        std::string_view more;
        if (!lines.next(more)) throw Refusal{"file ends inside a hex list"};
        joined += more;
    }
    std::vector<std::uint8_t> bytes;
    std::string_view s = trim(joined);
    while (!s.empty()) {
        auto comma = s.find(',');
        auto item = trim(s.substr(0, comma));
        if (item.size() != 2) throw Refusal{"bad hex byte"};
        bytes.push_back(static_cast<std::uint8_t>(hexNumber(item, "hex byte")));
        if (comma == std::string_view::npos) break;
        s.remove_prefix(comma + 1);
        if (trim(s).empty()) throw Refusal{"hex list ends with a comma"};
    }
    return bytes;
}

std::string lowerKey(std::string_view name) {
    std::string out(name);
    for (auto& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Builds the document in one pass: keys and values are found through indexes by their
// lower-case names, and removals only mark what they remove, so a file of many keys reads in
// time proportional to its size.
class Builder {
public:
    void comment(std::string_view line) { pending_.emplace_back(line); }

    void section(std::string_view line) {
        if (line.back() != ']') throw Refusal{"key line does not end with ]"};
        bool remove = line[1] == '-';
        auto inner = line.substr(remove ? 2 : 1);
        auto path = normalizeKeyPath(inner.substr(0, inner.size() - 1));
        // A path starting with '-' would read back as a deletion.
        if (!path || path->empty() || path->front() == '-') throw Refusal{"bad key name"};
        settleComments();
        skipping_ = remove;
        current_ = kNone;
        auto key = lowerKey(*path);
        if (remove) return removeKey(key);
        auto [at, added] = sectionAt_.try_emplace(std::move(key), sections_.size());
        if (added) sections_.push_back({RegSection{*path, {}, {}}, {}, {}, false});
        current_ = at->second;
    }

    void value(std::string_view line, Lines& lines) {
        if (current_ == kNone && !skipping_) throw Refusal{"value outside of a key"};
        RegValue v;
        if (line.front() == '@')
            line.remove_prefix(1);
        else
            v.name = takeQuoted(line);
        line = trim(line);
        if (line.empty() || line.front() != '=') throw Refusal{"missing = after the value name"};
        line = trim(line.substr(1));
        if (line == "-") {
            if (current_ != kNone) removeValue(sections_[current_], v.name);
            return;
        }
        readData(v, line, lines);
        if (current_ == kNone) return;
        v.comments = std::move(pending_);
        pending_.clear();
        storeValue(sections_[current_], std::move(v));
    }

    RegDocument finish() {
        settleComments();
        for (auto& s : sections_) {
            if (s.gone) continue;
            auto& values = s.section.values;
            std::size_t kept = 0;
            for (std::size_t i = 0; i < values.size(); ++i) {
                if (s.valueGone[i]) continue;
                if (kept != i) values[kept] = std::move(values[i]);
                ++kept;
            }
            values.resize(kept);
            doc_.sections.push_back(std::move(s.section));
        }
        return std::move(doc_);
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    struct Section {
        RegSection section;
        std::unordered_map<std::string, std::size_t> valueAt;  // by lower-case name
        std::vector<bool> valueGone;
        bool gone;
    };

    // Same meaning as the document's own storeValue: a repeated name replaces the data and
    // adds its comments.
    static void storeValue(Section& s, RegValue v) {
        auto [at, added] = s.valueAt.try_emplace(lowerKey(v.name), s.section.values.size());
        if (added) {
            s.section.values.push_back(std::move(v));
            s.valueGone.push_back(false);
            return;
        }
        auto& old = s.section.values[at->second];
        old.type = v.type;
        old.data = std::move(v.data);
        old.comments.insert(old.comments.end(), v.comments.begin(), v.comments.end());
    }

    static void removeValue(Section& s, std::string_view name) {
        auto at = s.valueAt.find(lowerKey(name));
        if (at == s.valueAt.end()) return;
        s.valueGone[at->second] = true;
        s.valueAt.erase(at);
    }

    // The key and every key below it: in the sorted index those are the key itself and the
    // run of names that start with it and a backslash.
    void removeKey(const std::string& key) {
        if (auto it = sectionAt_.find(key); it != sectionAt_.end()) {
            sections_[it->second].gone = true;
            sectionAt_.erase(it);
        }
        auto prefix = key + '\\';
        auto it = sectionAt_.lower_bound(prefix);
        while (it != sectionAt_.end() && it->first.starts_with(prefix)) {
            sections_[it->second].gone = true;
            it = sectionAt_.erase(it);
        }
    }

    static void readData(RegValue& v, std::string_view s, Lines& lines) {
        if (s.empty()) throw Refusal{"no data after ="};
        if (s.front() == '"') {
            auto text = takeQuoted(s);
            if (!trim(s).empty()) throw Refusal{"text after the closing quote"};
            v.type = REG_SZ;
            v.data.assign(text.begin(), text.end());
            v.data.push_back(0);
        } else if (startsWith(s, "dword:")) {
            auto n = hexNumber(s.substr(6), "dword");
            v.type = REG_DWORD;
            for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
        } else if (startsWith(s, "hex:")) {
            v.type = REG_BINARY;
            v.data = hexList(s.substr(4), lines);
        } else if (startsWith(s, "hex(")) {
            auto close = s.find("):");
            if (close == std::string_view::npos) throw Refusal{"bad hex( type"};
            v.type = hexNumber(s.substr(4, close - 4), "value type");
            v.data = hexList(s.substr(close + 2), lines);
        } else {
            throw Refusal{"unknown kind of value"};
        }
    }

    // Comments seen before a key line stay at the end of the key they follow (comments
    // after a removed key go with it).
    void settleComments() {
        auto& to = current_ != kNone ? sections_[current_].section.closingComments : doc_.preamble;
        if (!skipping_) to.insert(to.end(), pending_.begin(), pending_.end());
        pending_.clear();
    }

    RegDocument doc_;  // the preamble while reading; the keys are added at the end
    std::vector<Section> sections_;
    std::map<std::string, std::size_t> sectionAt_;  // by lower-case path, sorted
    std::size_t current_ = kNone;
    bool skipping_ = false;
    std::vector<std::string> pending_;
};

RegDocument parseLines(Lines& lines) {
    std::string_view line;
    do {
        if (!lines.next(line)) throw Refusal{"no REGEDIT4 header"};
    } while (line.empty());
    if (line != "REGEDIT4" && line != "Windows Registry Editor Version 5.00") throw Refusal{"no REGEDIT4 header"};
    Builder builder;
    while (lines.next(line)) {
        if (line.empty()) continue;
        switch (line.front()) {
        case ';': builder.comment(line); break;
        case '[': builder.section(line); break;
        case '"':
        case '@': builder.value(line, lines); break;
        default: throw Refusal{"unexpected text"};
        }
    }
    return builder.finish();
}

}  // namespace

RegParseResult parseRegFile(std::string_view text) {
    std::optional<std::string> decoded;
    if (startsWith(text, kUtf16LeBom)) {
        decoded = utf16LeToUtf8(text.substr(kUtf16LeBom.size()));
        if (!decoded) return {std::nullopt, "line 1: bad UTF-16 text"};
        text = *decoded;
    }
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (startsWith(text, bom)) text.remove_prefix(bom.size());
    Lines lines(text);
    try {
        return {parseLines(lines), {}};
    } catch (const Refusal& r) {
        return {std::nullopt, "line " + std::to_string(lines.number()) + ": " + r.what};
    }
}

}  // namespace platform::linux_::registry
