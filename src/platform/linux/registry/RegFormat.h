#pragma once
// Reading and writing the registry export format (REGEDIT4), without any file access.
//
// Read: the header REGEDIT4 or "Windows Registry Editor Version 5.00", in 8-bit text (UTF-8 with
// or without a byte-order mark) or in UTF-16LE with its mark, as regedit exports by default;
// names and strings of a UTF-16 file become UTF-8. Then
// [KEY] lines, value lines "Name"= / @= holding "text", dword:, hex: or hex(N): with hex lists
// continued over lines by a trailing backslash, ; comments and blank lines; \r\n or \n.
// Deletion lines, as a merge file has them, are applied: [-KEY] removes the key and the keys
// below it (its value lines are skipped), "Name"=- removes the value.
// Anything else refuses the whole text: control or NUL bytes, a value outside a key, a bad hex
// byte, an unterminated string, a hex list cut off by the end of the file.
//
// Write: always REGEDIT4 in 8-bit text, a blank line, each key with its values and a blank
// line; dword: for a 4-byte REG_DWORD, "text" for a REG_SZ of printable text ending in one zero
// byte, hex: for REG_BINARY and hex(N): for the rest, long lists wrapped as regedit does.
// Whatever is read back from the written text equals the document written.
#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/registry/RegDocument.h"

namespace platform::linux_::registry {

struct RegParseResult {
    std::optional<RegDocument> document;  // empty when the text was refused
    std::string error;                    // then: "line N: what is wrong"
};

RegParseResult parseRegFile(std::string_view text);
std::string serializeRegFile(const RegDocument& doc);

}  // namespace platform::linux_::registry
