#include <cstdio>

#include "platform/CommandLineAnswer.h"

namespace platform {

void showCommandLineAnswer(std::string_view text, bool isError) {
    std::FILE* stream = isError ? stderr : stdout;
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace platform
