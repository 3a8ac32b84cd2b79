#pragma once
// Child processes for end-to-end tests: spawned with environment overrides, their output
// captured, waited for with a timeout, and always ended and reaped when the owner goes away.
#include <sys/types.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

// Environment changes for a child: a value sets the variable, std::nullopt removes it.
using EnvOverrides = std::map<std::string, std::optional<std::string>>;

// Later entries win.
EnvOverrides merge(EnvOverrides base, const EnvOverrides& more);

struct ExitStatus {
    bool exited = false;  // true: ended through exit(); false: killed by a signal
    int code = 0;         // the exit code when exited
    int signal = 0;       // the signal when killed
    std::string describe() const;
    bool success() const { return exited && code == 0; }
};

enum class Stream { Capture, Discard };

struct SpawnOptions {
    std::vector<std::string> argv;  // argv[0] is looked up in PATH unless it contains a '/'
    EnvOverrides env;
    Stream stdout_mode = Stream::Discard;
    Stream stderr_mode = Stream::Capture;
    // Descriptors handed to the child: {descriptor in this process, number it gets in the child}.
    // Child numbers must be in 3..9.
    std::vector<std::pair<int, int>> pass_fds;
};

// A running child. It leads its own process group, gets SIGKILL if the spawning thread dies
// (so a crashed or killed test leaves no server behind), and is terminated and reaped by the
// destructor if still running.
class Process {
public:
    explicit Process(SpawnOptions options);  // throws std::runtime_error if it cannot start
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    Process(Process&&) noexcept;
    Process& operator=(Process&&) noexcept;

    pid_t pid() const;
    const std::vector<std::string>& argv() const;

    // Reaps the child if it has ended; returns its status then.
    std::optional<ExitStatus> poll();
    bool running() { return !poll().has_value(); }
    std::optional<ExitStatus> wait_for(std::chrono::milliseconds timeout);
    // SIGTERM to the group, then SIGKILL after the grace period. Returns the status.
    ExitStatus terminate(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

    // Output captured so far. After the child ended, waits (briefly) until its pipes closed,
    // so the text is complete.
    std::string stdout_text() const;
    std::string stderr_text() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

struct CommandResult {
    ExitStatus status;
    std::string out;
    std::string err;
};

// Runs a command to completion and captures stdout and stderr. Throws std::runtime_error if
// it cannot start or does not finish within the timeout (it is killed then).
CommandResult run_command(const std::vector<std::string>& argv, const EnvOverrides& env = {},
                          std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

// As run_command, but throws unless the command exits 0.
std::string run_checked(const std::vector<std::string>& argv, const EnvOverrides& env = {},
                        std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

std::string join_argv(const std::vector<std::string>& argv);

}  // namespace e2e
