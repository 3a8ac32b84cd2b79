// The command line: no argument starts the magnifier; --help and --version answer and end;
// anything else is refused with exit status 2.
#include <gtest/gtest.h>

#include <string>

#include "app/CommandLine.h"
#include "base/Version.h"

namespace {

using app::CommandLineRequest;
using app::parseCommandLine;

TEST(CommandLine, NoArgumentRunsTheMagnifier) {
    const char* argv[] = {"magnifier"};
    const auto answer = parseCommandLine(1, argv);
    EXPECT_EQ(answer.request, CommandLineRequest::Run);
    EXPECT_TRUE(answer.text.empty());
}

TEST(CommandLine, HelpPrintsTheUsageAndExitsZero) {
    for (const char* flag : {"--help", "-h"}) {
        const auto answer = parseCommandLine({flag});
        EXPECT_EQ(answer.request, CommandLineRequest::Help) << flag;
        EXPECT_EQ(answer.exitStatus, 0);
        EXPECT_TRUE(answer.text.starts_with("Usage: magnifier [--help | --version]\n")) << answer.text;
        EXPECT_NE(answer.text.find("--version"), std::string::npos);
    }
}

TEST(CommandLine, HelpListsThePixelToolsKeys) {
    const std::string text = parseCommandLine({"--help"}).text;
    for (const char* key : {"  Space ", "Escape", "  I ", "  G ", "arrow keys", "Shift, by ten", "  Ctrl+C ",
                            "  Ctrl+Shift+C ", "  Ctrl+S "}) {
        EXPECT_NE(text.find(key), std::string::npos) << key << " in\n" << text;
    }
}

TEST(CommandLine, VersionPrintsNameAndVersionAndExitsZero) {
    const auto answer = parseCommandLine({"--version"});
    EXPECT_EQ(answer.request, CommandLineRequest::Version);
    EXPECT_EQ(answer.text, "magnifier " + std::string(base::kVersion) + "\n");
    EXPECT_EQ(answer.exitStatus, 0);
    // Asked for both, the usage is the answer.
    EXPECT_EQ(parseCommandLine({"--version", "--help"}).request, CommandLineRequest::Help);
}

TEST(CommandLine, UnknownOptionIsNamedWithTheHintAndExitsTwo) {
    const auto answer = parseCommandLine({"--help", "--zoom=4"});
    EXPECT_EQ(answer.request, CommandLineRequest::Error);
    EXPECT_EQ(answer.exitStatus, 2);
    EXPECT_EQ(answer.text,
              "magnifier: unknown option '--zoom=4'\n"
              "Try 'magnifier --help' for more information.\n");
    EXPECT_EQ(parseCommandLine({"picture.png"}).text.substr(0, 42), "magnifier: unexpected argument 'picture.pn");
}

// The version's text and its numbers come from the one project version, so they cannot disagree.
TEST(Version, TextIsTheNumbersJoinedByDots) {
    EXPECT_EQ(std::string(base::kVersion), std::to_string(base::kVersionMajor) + "." +
                                               std::to_string(base::kVersionMinor) + "." +
                                               std::to_string(base::kVersionPatch));
    EXPECT_GE(base::kVersionMajor, 1);
}

}  // namespace
