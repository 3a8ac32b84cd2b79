#pragma once
// The shell: hands a document or address to the user's default handler for it.
#include <cstdint>

#include "platform/Types.h"

namespace platform {

class Shell {
public:
    virtual ~Shell() = default;
    // Null pointers stand for the absent operation, parameters or directory.
    virtual std::intptr_t ShellExecute(Handle owner, const char* operation, const char* file, const char* parameters,
                                       const char* directory, int showCommand) = 0;
};

}  // namespace platform
