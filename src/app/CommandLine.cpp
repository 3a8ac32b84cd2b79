#include "app/CommandLine.h"

#include "base/Version.h"

namespace app {
namespace {

constexpr std::string_view kUsage =
    "Usage: magnifier [--help | --version]\n"
    "Shows the screen around the mouse pointer, enlarged 1 to 18 times, in a window of its own.\n"
    "Keypad + and - or the mouse wheel change the zoom; the right mouse button opens the menu.\n"
    "\n"
    "Keys in the window:\n"
    "  Space          freeze the view, or let it follow the pointer again (also Escape)\n"
    "  I              show or hide the pointer's position and the colour of its pixel\n"
    "  G              show or hide a grid between the enlarged pixels (zoom 4 and above)\n"
    "  arrow keys     move the pointer by one pixel; with Shift, by ten\n"
    "  Ctrl+C         copy the colour of the pixel as #RRGGBB\n"
    "  Ctrl+Shift+C   copy the enlarged view as a picture\n"
    "  Ctrl+S         save the enlarged view as a PNG file\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "      --version  print the version and exit\n";

CommandLineAnswer refuse(std::string_view what, std::string_view argument) {
    std::string text = "magnifier: ";
    text.append(what).append(" '").append(argument).append("'\n");
    text.append("Try 'magnifier --help' for more information.\n");
    return {CommandLineRequest::Error, std::move(text), 2};
}

}  // namespace

CommandLineAnswer parseCommandLine(const std::vector<std::string_view>& args) {
    bool help = false;
    bool version = false;
    for (const std::string_view arg : args) {
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--version") {
            version = true;
        } else {
            // The first bad argument decides: the user learns about it before anything else.
            return refuse(arg.starts_with('-') ? "unknown option" : "unexpected argument", arg);
        }
    }
    if (help) return {CommandLineRequest::Help, std::string(kUsage), 0};
    if (version) return {CommandLineRequest::Version, "magnifier " + std::string(base::kVersion) + "\n", 0};
    return {};
}

CommandLineAnswer parseCommandLine(int argc, const char* const* argv) {
    std::vector<std::string_view> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return parseCommandLine(args);
}

}  // namespace app
