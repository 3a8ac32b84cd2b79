#pragma once
// The magnifier's settings file as a test reads and writes it: REGEDIT4 text, keys in brackets,
// values as "Name"=hex:lo,hi. Only as much of the format as the tests need to see what the
// program stored and to hand it prepared settings.
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

inline const std::string kOrlendaKey = "HKEY_CURRENT_USER\\Software\\Orlenda";
inline const std::string kMagnifierKey = "HKEY_CURRENT_USER\\Software\\Orlenda\\Kitmora Magnifier";

class RegFile {
public:
    // Lenient about line ends (LF or CRLF) and blank lines; remembers whether the first line is
    // the REGEDIT4 header. Lines it does not understand are ignored.
    static RegFile parse(const std::string& text);

    bool has_header() const { return header_; }
    // The value's text after '=', e.g. "hex:03,00", or nothing if the key or value is absent.
    std::optional<std::string> raw(const std::string& key, const std::string& name) const;
    // The bytes of a hex: value, or nothing if absent or not a well-formed hex: value.
    std::optional<std::vector<std::uint8_t>> bytes(const std::string& key, const std::string& name) const;
    // A two-byte value, low byte first, as an unsigned number; nothing unless exactly two bytes.
    std::optional<int> word(const std::string& key, const std::string& name) const;

private:
    bool header_ = false;
    std::map<std::string, std::map<std::string, std::string>> keys_;
};

// `"Name"=hex:lo,hi` for a 16-bit value, e.g. word_line("Zoom", 3) == "\"Zoom\"=hex:03,00".
std::string word_line(const std::string& name, int value);

// The whole file as bytes; throws std::runtime_error if it cannot be read.
std::string read_file(const std::filesystem::path& path);
// Writes the bytes, creating missing folders; throws std::runtime_error on failure.
void write_file(const std::filesystem::path& path, const std::string& bytes);

}  // namespace e2e
