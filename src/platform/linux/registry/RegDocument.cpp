#include "platform/linux/registry/RegDocument.h"

#include <algorithm>
#include <iterator>

namespace platform::linux_::registry {

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

template <class Doc>
auto* findIn(Doc& doc, std::string_view path) {
    auto it = std::find_if(doc.sections.begin(), doc.sections.end(),
                           [&](const RegSection& s) { return sameName(s.path, path); });
    return it == doc.sections.end() ? nullptr : &*it;
}

auto valueIt(RegSection& section, std::string_view name) {
    return std::find_if(section.values.begin(), section.values.end(),
                        [&](const RegValue& v) { return sameName(v.name, name); });
}

std::string_view parentOf(std::string_view path) {
    auto cut = path.rfind('\\');
    return cut == std::string_view::npos ? std::string_view{} : path.substr(0, cut);
}

}  // namespace

bool isTextByte(char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u != 0x7f;
}

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool isBelow(std::string_view path, std::string_view ancestor) {
    return path.size() > ancestor.size() + 1 && path[ancestor.size()] == '\\' &&
           sameName(path.substr(0, ancestor.size()), ancestor);
}

std::optional<std::string> normalizeKeyPath(std::string_view path) {
    if (!std::all_of(path.begin(), path.end(), isTextByte)) return std::nullopt;
    std::string out;
    while (!path.empty()) {
        auto cut = std::min(path.find('\\'), path.size());
        if (cut > 0) {
            if (!out.empty()) out += '\\';
            out += path.substr(0, cut);
        }
        path.remove_prefix(std::min(cut + 1, path.size()));
    }
    return out;
}

const RegSection* findSection(const RegDocument& doc, std::string_view path) { return findIn(doc, path); }
RegSection* findSection(RegDocument& doc, std::string_view path) { return findIn(doc, path); }

const RegValue* findValue(const RegSection& section, std::string_view name) {
    auto it = std::find_if(section.values.begin(), section.values.end(),
                           [&](const RegValue& v) { return sameName(v.name, name); });
    return it == section.values.end() ? nullptr : &*it;
}

bool keyExists(const RegDocument& doc, std::string_view path) {
    return std::any_of(doc.sections.begin(), doc.sections.end(), [&](const RegSection& s) {
        return sameName(s.path, path) || isBelow(s.path, path);
    });
}

bool addSection(RegDocument& doc, std::string_view path) {
    if (findSection(doc, path)) return false;
    auto& all = doc.sections;
    auto at = std::find_if(all.begin(), all.end(), [&](const RegSection& s) { return isBelow(s.path, path); });
    if (at == all.end()) {
        auto parent = parentOf(path);
        auto last = std::find_if(all.rbegin(), all.rend(), [&](const RegSection& s) {
            return sameName(s.path, parent) || isBelow(s.path, parent);
        });
        at = last.base();  // just after it, or the end when the parent has no keys at all
        if (last == all.rend()) at = all.end();
    }
    all.insert(at, RegSection{std::string(path), {}, {}});
    return true;
}

void removeKey(RegDocument& doc, std::string_view path) {
    std::erase_if(doc.sections, [&](const RegSection& s) { return sameName(s.path, path) || isBelow(s.path, path); });
}

bool storeValue(RegSection& section, RegValue value) {
    auto it = valueIt(section, value.name);
    if (it == section.values.end()) {
        section.values.push_back(std::move(value));
        return true;
    }
    bool changed = it->type != value.type || it->data != value.data || !value.comments.empty();
    it->type = value.type;
    it->data = std::move(value.data);
    it->comments.insert(it->comments.end(), std::make_move_iterator(value.comments.begin()),
                        std::make_move_iterator(value.comments.end()));
    return changed;
}

void removeValue(RegSection& section, std::string_view name) {
    auto it = valueIt(section, name);
    if (it != section.values.end()) section.values.erase(it);
}

}  // namespace platform::linux_::registry
