#pragma once
// One run of the magnifier under test on a virtual display, with a private settings folder.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "harness/Desktop.h"
#include "harness/Process.h"
#include "harness/TempDir.h"
#include "harness/VirtualDisplay.h"

namespace e2e {

// The caption once the magnifier shows zoom N.
std::string zoom_caption(int zoom);

class MagnifierRun {
public:
    // Starts the program with XDG_CONFIG_HOME in a fresh temporary folder, so no run sees the
    // settings of another. extra_env is applied last.
    MagnifierRun(const VirtualDisplay& display, const std::string& executable, const EnvOverrides& extra_env = {});
    // Starts the program with XDG_CONFIG_HOME in a folder the caller owns, which must outlive
    // the run: runs one after another then see the same settings, as a user's starts would, and
    // a test can put a settings file there first.
    MagnifierRun(const VirtualDisplay& display, const std::string& executable, const EnvOverrides& extra_env,
                 const std::filesystem::path& config_home);
    ~MagnifierRun();
    MagnifierRun(const MagnifierRun&) = delete;
    MagnifierRun& operator=(const MagnifierRun&) = delete;

    Process& process() { return *process_; }
    const Desktop& desktop() const { return desktop_; }
    const std::filesystem::path& config_home() const { return config_path_; }
    std::filesystem::path settings_file() const;

    // Waits until the process shows exactly one visible window named "Magnifier..." and returns
    // it. Throws with what was seen (and the exit status and stderr if the process ended).
    WindowId wait_for_window(std::chrono::milliseconds timeout = std::chrono::milliseconds(15000));
    // The same for a window whose name matches the extended regex (the caption is translated).
    WindowId wait_for_window(const std::string& name_regex,
                             std::chrono::milliseconds timeout = std::chrono::milliseconds(15000));

    // Closes the window through the window manager and waits for the exit.
    std::optional<ExitStatus> close(WindowId window,
                                    std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

    // For failure messages: the exit status if ended, and stderr so far.
    std::string describe();

private:
    void start(const std::string& executable, const EnvOverrides& extra_env);

    Desktop desktop_;
    std::optional<TempDir> own_config_home_;
    std::filesystem::path config_path_;
    std::optional<Process> process_;
};

}  // namespace e2e
