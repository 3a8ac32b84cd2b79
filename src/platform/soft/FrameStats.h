#pragma once
// The frames a toolkit's forms painted, for measuring the cost of a frame from outside: with
// MAGNIFIER_STATS set they are reported on stderr when the message loop ends.
#include <chrono>
#include <string>
#include <vector>

namespace platform::soft {

class FrameStats {
public:
    // A tick put a new frame on its window.
    void count();
    unsigned long frames() const { return frames_; }
    // "magnifier: frames N" and "magnifier: first frame at T us", a line each. T is on the
    // monotonic clock every process shares, for measuring the start-up from outside.
    std::string report() const;
    // The same lines without the program's prefix, as warn() takes them.
    std::vector<std::string> lines() const;
    // The report on stderr, when MAGNIFIER_STATS asks for it.
    void print() const;

private:
    unsigned long frames_ = 0;
    std::chrono::steady_clock::time_point first_{};
};

}  // namespace platform::soft
