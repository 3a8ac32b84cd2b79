#include "harness/Magnifier.h"

#include <stdexcept>

#include "harness/Wait.h"

namespace e2e {

std::string zoom_caption(int zoom) { return "Magnifier [" + std::to_string(zoom) + ":1]"; }

MagnifierRun::MagnifierRun(const VirtualDisplay& display, const std::string& executable,
                           const EnvOverrides& extra_env)
    : desktop_(display.env()), config_home_("magnifier-e2e-config") {
    process_.emplace(SpawnOptions{{executable},
                                  merge(merge(display.env(), {{"XDG_CONFIG_HOME", config_home_.str()}}), extra_env),
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
    return config_home_.path() / "Orlenda" / "registry.reg";
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
    std::vector<WindowId> found;
    const bool ok = wait_until(
        [&] {
            if (!process_->running()) return true;
            found = desktop_.find_windows(process_->pid(), "^Magnifier");
            return found.size() == 1;
        },
        timeout, std::chrono::milliseconds(25));
    if (!process_->running()) throw std::runtime_error("the magnifier ended before showing its window: " + describe());
    if (!ok) {
        throw std::runtime_error("the magnifier showed " + std::to_string(found.size()) +
                                 " visible windows named ^Magnifier within " + std::to_string(timeout.count()) +
                                 " ms instead of one; " + describe());
    }
    return found.front();
}

std::optional<ExitStatus> MagnifierRun::close(WindowId window, std::chrono::milliseconds timeout) {
    desktop_.close(window);
    return process_->wait_for(timeout);
}

}  // namespace e2e
