#include "harness/RegFile.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace e2e {

RegFile RegFile::parse(const std::string& text) {
    RegFile file;
    std::istringstream lines(text);
    std::string line;
    std::string key;
    bool first = true;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (first) {
            file.header_ = line == "REGEDIT4";
            first = false;
            continue;
        }
        if (line.empty()) continue;
        if (line.front() == '[' && line.back() == ']') {
            key = line.substr(1, line.size() - 2);
            file.keys_[key];
            continue;
        }
        // "Name"=value; names in these files hold no quotes.
        if (line.front() != '"') continue;
        const auto close = line.find('"', 1);
        if (close == std::string::npos || close + 1 >= line.size() || line[close + 1] != '=') continue;
        file.keys_[key][line.substr(1, close - 1)] = line.substr(close + 2);
    }
    return file;
}

std::optional<std::string> RegFile::raw(const std::string& key, const std::string& name) const {
    const auto k = keys_.find(key);
    if (k == keys_.end()) return std::nullopt;
    const auto v = k->second.find(name);
    if (v == k->second.end()) return std::nullopt;
    return v->second;
}

std::optional<std::vector<std::uint8_t>> RegFile::bytes(const std::string& key, const std::string& name) const {
    const auto value = raw(key, name);
    const std::string prefix = "hex:";
    if (!value || value->compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::istringstream list(value->substr(prefix.size()));
    std::string item;
    while (std::getline(list, item, ',')) {
        if (item.size() != 2 || !std::isxdigit(static_cast<unsigned char>(item[0])) ||
            !std::isxdigit(static_cast<unsigned char>(item[1]))) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(item, nullptr, 16)));
    }
    return bytes;
}

std::optional<int> RegFile::word(const std::string& key, const std::string& name) const {
    const auto value = bytes(key, name);
    if (!value || value->size() != 2) return std::nullopt;
    return (*value)[0] | ((*value)[1] << 8);
}

std::string word_line(const std::string& name, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "hex:%02x,%02x", value & 0xff, (value >> 8) & 0xff);
    return "\"" + name + "\"=" + text;
}

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace e2e
