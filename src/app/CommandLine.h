#pragma once
// The program's command line. The magnifier needs no arguments; it only answers the two questions
// every program answers (usage, version) and refuses anything else without starting.
#include <string>
#include <string_view>
#include <vector>

namespace app {

enum class CommandLineRequest { Run, Help, Version, Error };

struct CommandLineAnswer {
    CommandLineRequest request = CommandLineRequest::Run;
    std::string text;    // what to tell the user; empty for Run
    int exitStatus = 0;  // the program's exit status when it does not run
};

// args are the arguments after the program's name.
CommandLineAnswer parseCommandLine(const std::vector<std::string_view>& args);
CommandLineAnswer parseCommandLine(int argc, const char* const* argv);

}  // namespace app
