#include "harness/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <stop_token>
#include <thread>

#include "harness/UniqueFd.h"

extern char** environ;

namespace e2e {

EnvOverrides merge(EnvOverrides base, const EnvOverrides& more) {
    for (const auto& [name, value] : more) base[name] = value;
    return base;
}

std::string ExitStatus::describe() const {
    std::ostringstream text;
    if (exited) {
        text << "exit code " << code;
    } else {
        const char* name = sigabbrev_np(signal);
        text << "killed by signal " << signal << " (SIG" << (name ? name : "?") << ")";
    }
    return text.str();
}

std::string join_argv(const std::vector<std::string>& argv) {
    std::string text;
    for (const auto& arg : argv) {
        if (!text.empty()) text += ' ';
        text += arg;
    }
    return text;
}

namespace {

std::runtime_error sys_error(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

// A copy of fd at number >= 10, close-on-exec: the child's dup2 calls to 0..9 then can never
// overwrite a descriptor it still has to copy.
UniqueFd high_copy(int fd) {
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 10);
    if (copy < 0) throw sys_error("fcntl(F_DUPFD_CLOEXEC)");
    return UniqueFd(copy);
}

std::pair<UniqueFd, UniqueFd> make_pipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw sys_error("pipe2");
    return {UniqueFd(fds[0]), UniqueFd(fds[1])};
}

std::string lookup_path(const std::string& program, const EnvOverrides& env) {
    if (program.find('/') != std::string::npos) return program;
    std::string path;
    if (auto it = env.find("PATH"); it != env.end() && it->second) {
        path = *it->second;
    } else if (const char* value = std::getenv("PATH")) {
        path = value;
    } else {
        path = "/usr/local/bin:/usr/bin:/bin";
    }
    std::istringstream dirs(path);
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    throw std::runtime_error("cannot run '" + program + "': not found in PATH (" + path + ")");
}

std::vector<std::string> build_environment(const EnvOverrides& overrides) {
    std::map<std::string, std::string> vars;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string item = *entry;
        const auto eq = item.find('=');
        if (eq == std::string::npos) continue;
        vars[item.substr(0, eq)] = item.substr(eq + 1);
    }
    for (const auto& [name, value] : overrides) {
        if (value) {
            vars[name] = *value;
        } else {
            vars.erase(name);
        }
    }
    std::vector<std::string> result;
    result.reserve(vars.size());
    for (const auto& [name, value] : vars) result.push_back(name + "=" + value);
    return result;
}

ExitStatus decode(int raw) {
    ExitStatus status;
    if (WIFEXITED(raw)) {
        status.exited = true;
        status.code = WEXITSTATUS(raw);
    } else if (WIFSIGNALED(raw)) {
        status.signal = WTERMSIG(raw);
    }
    return status;
}

}  // namespace

struct Process::State {
    std::vector<std::string> argv;
    pid_t pid = -1;
    std::optional<ExitStatus> status;

    mutable std::mutex mutex;
    mutable std::condition_variable closed;
    std::string out, err;
    bool out_open = false, err_open = false;
    std::jthread reader;

    ~State() {
        // A grandchild may still hold a pipe open; the reader gives up when asked to stop.
        if (reader.joinable()) {
            reader.request_stop();
            reader.join();
        }
    }

    void start_reader(UniqueFd out_fd, UniqueFd err_fd) {
        out_open = out_fd.valid();
        err_open = err_fd.valid();
        if (!out_open && !err_open) return;
        reader = std::jthread([this, o = std::move(out_fd), e = std::move(err_fd)](std::stop_token stop) mutable {
            char buffer[4096];
            while (!stop.stop_requested() && (o.valid() || e.valid())) {
                pollfd fds[2];
                int n = 0;
                if (o.valid()) fds[n++] = {o.get(), POLLIN, 0};
                if (e.valid()) fds[n++] = {e.get(), POLLIN, 0};
                const int ready = ::poll(fds, n, 50);
                if (ready < 0 && errno != EINTR) break;
                if (ready <= 0) continue;
                for (int i = 0; i < n; ++i) {
                    if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
                    const bool is_out = o.valid() && fds[i].fd == o.get();
                    const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
                    if (got < 0 && errno == EINTR) continue;
                    std::lock_guard lock(mutex);
                    if (got > 0) {
                        (is_out ? out : err).append(buffer, static_cast<std::size_t>(got));
                    } else {
                        if (is_out) {
                            o.reset();
                            out_open = false;
                        } else {
                            e.reset();
                            err_open = false;
                        }
                        closed.notify_all();
                    }
                }
            }
            std::lock_guard lock(mutex);
            out_open = err_open = false;
            closed.notify_all();
        });
    }

    std::string text(bool want_out) const {
        std::unique_lock lock(mutex);
        if (status) {
            closed.wait_for(lock, std::chrono::seconds(1), [&] { return !(want_out ? out_open : err_open); });
        }
        return want_out ? out : err;
    }
};

Process::Process(SpawnOptions options) : state_(std::make_unique<State>()) {
    if (options.argv.empty()) throw std::invalid_argument("Process: empty argv");
    state_->argv = options.argv;
    const std::string path = lookup_path(options.argv.front(), options.env);

    // Everything the child needs is prepared before fork(): after it, only system calls run
    // in the child, as this process may have other threads.
    const std::vector<std::string> env_strings = build_environment(options.env);
    std::vector<char*> argv_c, env_c;
    for (auto& arg : options.argv) argv_c.push_back(arg.data());
    argv_c.push_back(nullptr);
    for (const auto& var : env_strings) env_c.push_back(const_cast<char*>(var.c_str()));
    env_c.push_back(nullptr);

    UniqueFd devnull(::open("/dev/null", O_RDWR | O_CLOEXEC));
    if (!devnull.valid()) throw sys_error("open /dev/null");
    UniqueFd child_in = high_copy(devnull.get());

    UniqueFd out_read, child_out, err_read, child_err;
    if (options.stdout_mode == Stream::Capture) {
        auto [r, w] = make_pipe();
        out_read = std::move(r);
        child_out = high_copy(w.get());
    } else {
        child_out = high_copy(devnull.get());
    }
    if (options.stderr_mode == Stream::Capture) {
        auto [r, w] = make_pipe();
        err_read = std::move(r);
        child_err = high_copy(w.get());
    } else {
        child_err = high_copy(devnull.get());
    }
    std::vector<std::pair<UniqueFd, int>> passed;
    for (const auto& [fd, target] : options.pass_fds) {
        if (target < 3 || target > 9) throw std::invalid_argument("Process: passed descriptors go to 3..9");
        passed.emplace_back(high_copy(fd), target);
    }
    auto [exec_read, exec_write] = make_pipe();

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) throw sys_error("fork");
    if (pid == 0) {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        ::dup2(child_in.get(), 0);
        ::dup2(child_out.get(), 1);
        ::dup2(child_err.get(), 2);
        for (const auto& [fd, target] : passed) ::dup2(fd.get(), target);
        ::execve(path.c_str(), argv_c.data(), env_c.data());
        const int error = errno;
        [[maybe_unused]] auto ignored = ::write(exec_write.get(), &error, sizeof error);
        ::_exit(127);
    }
    ::setpgid(pid, pid);  // also here, so the group exists whichever process runs first
    state_->pid = pid;
    exec_write.reset();
    child_in.reset();
    child_out.reset();
    child_err.reset();
    passed.clear();

    int error = 0;
    ssize_t got;
    do {
        got = ::read(exec_read.get(), &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof error)) {
        int raw = 0;
        ::waitpid(pid, &raw, 0);
        state_->status = decode(raw);
        errno = error;
        throw sys_error("cannot run '" + path + "'");
    }
    state_->start_reader(std::move(out_read), std::move(err_read));
}

Process::~Process() {
    if (state_ && !state_->status) terminate();
}

Process::Process(Process&&) noexcept = default;

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        if (state_ && !state_->status) terminate();
        state_ = std::move(other.state_);
    }
    return *this;
}

pid_t Process::pid() const { return state_->pid; }

const std::vector<std::string>& Process::argv() const { return state_->argv; }

std::optional<ExitStatus> Process::poll() {
    if (state_->status) return state_->status;
    int raw = 0;
    const pid_t got = ::waitpid(state_->pid, &raw, WNOHANG);
    if (got == state_->pid) state_->status = decode(raw);
    return state_->status;
}

std::optional<ExitStatus> Process::wait_for(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (auto status = poll()) return status;
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

ExitStatus Process::terminate(std::chrono::milliseconds grace) {
    if (auto status = poll()) return *status;
    ::kill(-state_->pid, SIGTERM);
    if (auto status = wait_for(grace)) return *status;
    ::kill(-state_->pid, SIGKILL);
    int raw = 0;
    while (::waitpid(state_->pid, &raw, 0) < 0 && errno == EINTR) {
    }
    state_->status = decode(raw);
    return *state_->status;
}

std::string Process::stdout_text() const { return state_->text(true); }

std::string Process::stderr_text() const { return state_->text(false); }

CommandResult run_command(const std::vector<std::string>& argv, const EnvOverrides& env,
                          std::chrono::milliseconds timeout) {
    Process process(SpawnOptions{argv, env, Stream::Capture, Stream::Capture, {}});
    auto status = process.wait_for(timeout);
    if (!status) {
        process.terminate(std::chrono::milliseconds(500));
        throw std::runtime_error("'" + join_argv(argv) + "' did not finish within " +
                                 std::to_string(timeout.count()) + " ms; stderr: " + process.stderr_text());
    }
    return CommandResult{*status, process.stdout_text(), process.stderr_text()};
}

std::string run_checked(const std::vector<std::string>& argv, const EnvOverrides& env,
                        std::chrono::milliseconds timeout) {
    CommandResult result = run_command(argv, env, timeout);
    if (!result.status.success()) {
        throw std::runtime_error("'" + join_argv(argv) + "' failed with " + result.status.describe() +
                                 "; stderr: " + result.err);
    }
    return result.out;
}

}  // namespace e2e
