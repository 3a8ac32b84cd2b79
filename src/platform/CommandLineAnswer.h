#pragma once
// Where the answer to a command line (usage, version, a refused argument) reaches the user: the
// terminal on Linux; on Windows, where the program has no console of its own, see Win32Answer.cpp.
#include <string_view>

namespace platform {

// text is UTF-8 and ends with a newline; isError sends it where errors go (stderr, an error box).
// False when the text could not be delivered (a full disk, a closed or broken pipe); the reason
// has then been told on stderr where that still can be written.
bool showCommandLineAnswer(std::string_view text, bool isError);

}  // namespace platform
