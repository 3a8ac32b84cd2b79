#include <algorithm>

#include "platform/Types.h"
#include "platform/linux/registry/RegFormat.h"

namespace platform::linux_::registry {

namespace {

// regedit keeps hex lines within 80 columns; continuation lines are indented by two spaces.
constexpr std::size_t kWrapColumn = 77;

const char kDigits[] = "0123456789abcdef";

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + '"';
}

bool isPlainString(const std::vector<std::uint8_t>& data) {
    return !data.empty() && data.back() == 0 &&
           std::all_of(data.begin(), data.end() - 1, [](std::uint8_t b) { return isTextByte(static_cast<char>(b)); });
}

std::string hexNumber(std::uint32_t n, int minDigits) {
    std::string out;
    for (; n != 0 || minDigits > 0; n >>= 4, --minDigits) out.insert(out.begin(), kDigits[n & 0xf]);
    return out;
}

void appendHexList(std::string& out, std::string line, const std::vector<std::uint8_t>& data) {
    for (std::size_t i = 0; i < data.size(); ++i) {
        line += kDigits[data[i] >> 4];
        line += kDigits[data[i] & 0xf];
        if (i + 1 == data.size()) break;
        line += ',';
        if (line.size() >= kWrapColumn) {
            out += line + "\\\n";
            line = "  ";
        }
    }
    out += line + '\n';
}

void appendValue(std::string& out, const RegValue& v) {
    for (const auto& c : v.comments) out += c + '\n';
    std::string line = (v.name.empty() ? std::string("@") : quoted(v.name)) + '=';
    if (v.type == REG_DWORD && v.data.size() == 4) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i) n = n << 8 | v.data[static_cast<std::size_t>(i)];
        out += line + "dword:" + hexNumber(n, 8) + '\n';
    } else if (v.type == REG_SZ && isPlainString(v.data)) {
        out += line + quoted(std::string(v.data.begin(), v.data.end() - 1)) + '\n';
    } else {
        line += v.type == REG_BINARY ? std::string("hex:") : "hex(" + hexNumber(v.type, 1) + "):";
        appendHexList(out, std::move(line), v.data);
    }
}

}  // namespace

std::string serializeRegFile(const RegDocument& doc) {
    std::string out = "REGEDIT4\n";
    for (const auto& c : doc.preamble) out += c + '\n';
    out += '\n';
    for (const auto& section : doc.sections) {
        out += '[' + section.path + "]\n";
        for (const auto& v : section.values) appendValue(out, v);
        for (const auto& c : section.closingComments) out += c + '\n';
        out += '\n';
    }
    return out;
}

}  // namespace platform::linux_::registry
