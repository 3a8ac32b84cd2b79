#pragma once
// The seat of the headless compositor: pointer and keyboard by way of a seat driver, which reads
// its commands from a FIFO: magnifier_rig_driver (mutter's remote-desktop interface) unless the
// environment's RIG_DRIVER names another, as rig-kde.sh does with magnifier_kde_rig_driver.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "harness/Process.h"
#include "harness/Screen.h"
#include "harness/TempDir.h"
#include "harness/Wait.h"

namespace e2e {

// X keysyms the seat sends.
constexpr const char* kTab = "0xff09";
constexpr const char* kAltS = "0xffe9+0x73";
constexpr const char* kEscape = "0xff1b";
constexpr const char* kShift = "0xffe1";
constexpr const char* kReturn = "0xff0d";

// The seat: pointer and keyboard of the headless compositor.
class Seat {
    static constexpr auto kTimeout = std::chrono::milliseconds(10000);

public:
    Seat() : fifo_(dir_.path() / "commands") {
        if (::mkfifo(fifo_.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
        const char* driver = std::getenv("RIG_DRIVER");
        driver_.emplace(SpawnOptions{{driver != nullptr && *driver != '\0' ? driver : RIG_DRIVER_EXE, fifo_.string()},
                                     {},
                                     Stream::Capture,
                                     Stream::Capture,
                                     {}});
        if (!wait_until([&] { return driver_->stdout_text().find("ready") != std::string::npos || !driver_->running(); },
                        kTimeout)) {
            throw std::runtime_error("the seat driver did not start: " + driver_->stderr_text());
        }
        // Without a reader the open fails at once rather than blocking.
        wait_until([&] { return (fd_ = ::open(fifo_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) >= 0; }, kTimeout);
        if (fd_ < 0) throw std::runtime_error("the seat driver does not read its commands: " + driver_->stderr_text());
    }
    ~Seat() {
        if (fd_ >= 0) ::close(fd_);
    }

    // Sends one command and waits for its answer.
    void send(const std::string& command) {
        const std::string line = command + "\n";
        if (::write(fd_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            throw std::runtime_error("cannot send " + command);
        }
        ++sent_;
        const bool answered = wait_until([&] { return answers() >= sent_; }, kTimeout, std::chrono::milliseconds(1));
        const std::string out = driver_->stdout_text();
        if (!answered || out.find("error") != std::string::npos) {
            throw std::runtime_error("the seat did not do \"" + command + "\": " + out + driver_->stderr_text());
        }
    }
    void move(Point p) { send("move " + std::to_string(p.x) + " " + std::to_string(p.y)); }
    void key(const std::string& keysyms) { send("key " + keysyms); }
    void click(Point p) {
        move(p);
        send("click");
    }

private:
    std::size_t answers() const {
        const std::string out = driver_->stdout_text();
        std::size_t count = 0;
        for (std::size_t at = out.find('\n'); at != std::string::npos; at = out.find('\n', at + 1)) ++count;
        return count - 1;  // the "ready" line
    }
    TempDir dir_{"magnifier-seat"};
    std::filesystem::path fifo_;
    std::optional<Process> driver_;
    int fd_ = -1;
    std::size_t sent_ = 0;
};

// Watches the session bus for the portal asking its back end (GNOME's or KDE's: the interface
// is the same) to start a screen cast, which shows the share dialog, and for the back end's
// answer. Keys sent while the dialog is being mapped count as the user's activity after its
// launch, and mutter then does not focus it; so keys wait for the dialog.
class DialogWatch {
public:
    DialogWatch()
        : monitor_(SpawnOptions{{"dbus-monitor", "--session",
                                 "type=method_call,interface=org.freedesktop.impl.portal.ScreenCast,member=Start",
                                 "type=method_return"},
                                {},
                                Stream::Capture,
                                Stream::Capture,
                                {}}) {
        // dbus-monitor has become a monitor when its own name is lost.
        if (!wait_until([&] { return monitor_.stdout_text().find("NameLost") != std::string::npos; },
                        std::chrono::milliseconds(10000))) {
            throw std::runtime_error("dbus-monitor did not start: " + monitor_.stderr_text());
        }
    }
    // Waits until the dialog was asked for, and a moment more for it to be shown.
    bool wait_for_dialog(std::chrono::milliseconds timeout) {
        if (!wait_until([&] { return monitor_.stdout_text().find("member=Start") != std::string::npos; }, timeout)) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        return true;
    }
    // The back end's answer to the Start call, which it gives when the dialog closes: 0 shared,
    // 1 cancelled, 2 failed; none while the dialog is open.
    std::optional<unsigned> response() const {
        const std::string out = monitor_.stdout_text();
        // "method call time=T sender=:1.11 -> destination=:1.9 serial=166 path=...; member=Start"
        const auto start = out.find("member=Start");
        if (start == std::string::npos) return std::nullopt;
        const auto line = out.rfind('\n', start) + 1;  // npos + 1 is 0
        const std::string call = out.substr(line, start - line);
        const auto word = [&](const std::string& key) {
            const auto at = call.find(key);
            if (at == std::string::npos) return std::string();
            const auto from = at + key.size();
            return call.substr(from, call.find(' ', from) - from);
        };
        // "method return time=T sender=:1.9 -> destination=:1.11 serial=40 reply_serial=166", then
        // the response code on the next line as "   uint32 0".
        const std::string to = " -> destination=" + word("sender=") + " serial=";
        const std::string reply = " reply_serial=" + word(" serial=") + "\n";
        for (auto at = out.find(to, start); at != std::string::npos; at = out.find(to, at + 1)) {
            const auto end = out.find('\n', at);
            if (end == std::string::npos || out.compare(end + 1 - reply.size(), reply.size(), reply) != 0) continue;
            std::istringstream next(out.substr(end + 1, out.find('\n', end + 1) - end - 1));
            std::string type;
            unsigned code = 0;
            if (next >> type >> code && type == "uint32") return code;
        }
        return std::nullopt;
    }

private:
    Process monitor_;
};

}  // namespace e2e
