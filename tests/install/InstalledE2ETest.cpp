// The installed program, started from the scratch install tree, gives its window the class the
// desktop entry names, so desktops show the entry's name and icon for the window.
#include <filesystem>
#include <fstream>
#include <string>

#include "DesktopSuite.h"

namespace e2e {
namespace {

std::string entry_value(const std::filesystem::path& entry, const std::string& key) {
    std::ifstream in(entry);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(key + "=")) return line.substr(key.size() + 1);
    }
    return {};
}

class InstalledProgram : public DesktopSuite<InstalledProgram> {};

TEST_F(InstalledProgram, WindowClassIsTheDesktopEntrysStartupWMClass) {
    const std::filesystem::path entry =
        std::filesystem::path(MAGNIFIER_STAGE_PREFIX) / "share/applications" / MAGNIFIER_APP_ID ".desktop";
    const std::string startup_class = entry_value(entry, "StartupWMClass");
    ASSERT_EQ(startup_class, MAGNIFIER_APP_ID) << entry;

    start();
    EXPECT_EQ(desktop().wm_class(window_), (std::vector<std::string>{"magnifier", startup_class}));
    EXPECT_TRUE(shows_caption(zoom_caption(2)));
    EXPECT_TRUE(closes_cleanly());
}

}  // namespace
}  // namespace e2e
