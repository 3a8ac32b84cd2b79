#include "harness/Magnifier.h"

#include <stdexcept>

#include "harness/Wait.h"

namespace e2e {

std::string zoom_caption(int zoom) { return "Magnifier [" + std::to_string(zoom) + ":1]"; }

MagnifierRun::MagnifierRun(const VirtualDisplay& display, const std::string& executable,
                           const EnvOverrides& extra_env)
    : desktop_(display.env()), own_config_home_(std::in_place, "magnifier-e2e-config") {
    config_path_ = own_config_home_->path();
    start(executable, extra_env);
}

MagnifierRun::MagnifierRun(const VirtualDisplay& display, const std::string& executable,
                           const EnvOverrides& extra_env, const std::filesystem::path& config_home)
    : desktop_(display.env()), config_path_(config_home) {
    start(executable, extra_env);
}

void MagnifierRun::start(const std::string& executable, const EnvOverrides& extra_env) {
    process_.emplace(SpawnOptions{{executable},
                                  merge(merge(desktop_.env(), {{"XDG_CONFIG_HOME", config_path_.string()}}), extra_env),
                                  Stream::Discard,
                                  Stream::Capture,
                                  {}});
}

MagnifierRun::~MagnifierRun() {
    // Ended before the settings folder is removed, so the program never writes into a
    // folder that is being deleted.
    process_.reset();
}

std::filesystem::path MagnifierRun::settings_file() const {
    return config_path_ / "Orlenda" / "registry.reg";
}

std::string MagnifierRun::describe() {
    std::string text = "pid " + std::to_string(process_->pid());
    if (auto status = process_->poll()) {
        text += ", ended with " + status->describe();
    } else {
        text += ", running";
    }
    const std::string err = process_->stderr_text();
    text += err.empty() ? ", stderr empty" : ", stderr:\n" + err;
    return text;
}

WindowId MagnifierRun::wait_for_window(std::chrono::milliseconds timeout) {
    return wait_for_window("^Magnifier", timeout);
}

WindowId MagnifierRun::wait_for_window(const std::string& name_regex, std::chrono::milliseconds timeout) {
    std::vector<WindowId> found;
    const bool ok = wait_until(
        [&] {
            if (!process_->running()) return true;
            found = desktop_.find_windows(process_->pid(), name_regex);
            return found.size() == 1;
        },
        timeout, std::chrono::milliseconds(25));
    if (!process_->running()) throw std::runtime_error("the magnifier ended before showing its window: " + describe());
    if (!ok) {
        throw std::runtime_error("the magnifier showed " + std::to_string(found.size()) +
                                 " visible windows named " + name_regex + " within " + std::to_string(timeout.count()) +
                                 " ms instead of one; " + describe());
    }
    return found.front();
}

std::optional<ExitStatus> MagnifierRun::close(WindowId window, std::chrono::milliseconds timeout) {
    desktop_.close(window);
    return process_->wait_for(timeout);
}

}  // namespace e2e
