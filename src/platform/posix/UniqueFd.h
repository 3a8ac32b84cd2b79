#pragma once
// A file descriptor owned by one object and closed with it.
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform::posix {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            close();
            fd_ = other.release();
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { close(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Gives the descriptor away; the caller closes it.
    int release() { return std::exchange(fd_, -1); }
    // The errno of the close, 0 when it went well or there was nothing to close. Linux frees the
    // descriptor even when close reports an error, so it is never retried.
    int close() {
        if (fd_ < 0) return 0;
        const int result = ::close(release()) == 0 ? 0 : errno;
        return result == EINTR ? 0 : result;
    }

private:
    int fd_ = -1;
};

}  // namespace platform::posix
