#pragma once
// What the message loop does with an error that escapes a handler: nothing above the handler can
// deal with it without unwinding through the window system's own frames, so it is reported where
// it is caught and the program ends with status 1.
#include <exception>

namespace base {

// Prints "magnifier: <what>" on stderr and flushes it: the program's last word before it ends.
void reportFatal(const char* what);

// Runs one handler; false when it raised an error, which has then been reported.
template <typename Handler>
bool runHandler(Handler&& handler) noexcept {
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        reportFatal(error.what());
    } catch (...) {
        reportFatal("unknown error");
    }
    return false;
}

}  // namespace base
