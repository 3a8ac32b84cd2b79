#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/Warn.h"
#include "platform/CommandLineAnswer.h"

namespace platform {

bool showCommandLineAnswer(std::string_view text, bool isError) {
    // A reader that went away (magnifier --help | true) is a failed write to report, not a
    // signal that ends the program without a word.
    std::signal(SIGPIPE, SIG_IGN);
    std::FILE* stream = isError ? stderr : stdout;
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    // The flush is where a full disk shows: the text fits the stream's buffer.
    if (std::fflush(stream) == 0 && written && !std::ferror(stream)) return true;
    const int error = errno;
    if (!isError) base::warn(std::string("write error: ") + (error ? std::strerror(error) : "unknown"));
    return false;
}

}  // namespace platform
