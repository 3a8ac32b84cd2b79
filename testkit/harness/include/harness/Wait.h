#pragma once
// Polling waits with a deadline: the condition is checked until it holds or time runs out,
// and the last observed value is kept so a failure can say what was seen instead.
#include <chrono>
#include <thread>
#include <utility>

namespace e2e {

using namespace std::chrono_literals;

inline constexpr std::chrono::milliseconds kDefaultPoll = 20ms;

template <class Predicate>
bool wait_until(Predicate&& done, std::chrono::milliseconds timeout, std::chrono::milliseconds poll = kDefaultPoll) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(poll);
    }
}

template <class T>
struct Waited {
    bool ok = false;
    T last{};  // the value seen at the last check
};

// Calls get() until ok(value) holds or the timeout passes.
template <class Get, class Ok>
auto wait_for_value(Get&& get, Ok&& ok, std::chrono::milliseconds timeout,
                    std::chrono::milliseconds poll = kDefaultPoll) -> Waited<decltype(get())> {
    Waited<decltype(get())> result;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        result.last = get();
        if (ok(result.last)) {
            result.ok = true;
            return result;
        }
        if (std::chrono::steady_clock::now() >= deadline) return result;
        std::this_thread::sleep_for(poll);
    }
}

}  // namespace e2e
