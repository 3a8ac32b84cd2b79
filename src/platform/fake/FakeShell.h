#pragma once
// A shell that records what it was asked to open.
#include <optional>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace platform::fake {

struct ShellCall {
    Handle owner;
    std::optional<std::string> operation;
    std::optional<std::string> file;
    std::optional<std::string> parameters;
    std::optional<std::string> directory;
    int showCommand;
};

class FakeShell : public Shell {
public:
    std::intptr_t ShellExecute(Handle owner, const char* operation, const char* file, const char* parameters,
                               const char* directory, int showCommand) override {
        auto text = [](const char* s) { return s == nullptr ? std::nullopt : std::optional<std::string>(s); };
        calls.push_back({owner, text(operation), text(file), text(parameters), text(directory), showCommand});
        return result;
    }
    std::vector<ShellCall> calls;
    // What the shell answers: above 32 for success, as ShellExecute does.
    std::intptr_t result = 42;
};

}  // namespace platform::fake
