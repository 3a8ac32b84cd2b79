#pragma once
// The one way a toolkit runs a form's event handlers. An error a handler raises must not unwind
// through the window system's frames: it is reported on stderr (runHandler), the form reacts
// once (its timer stops, the message loop ends with status 1) as to an untrapped run-time error,
// and from then on no event reaches the handlers.
#include <functional>
#include <utility>

#include "base/FatalError.h"

namespace base {

class EventGuard {
public:
    explicit EventGuard(std::function<void()> onFailure) : mOnFailure(std::move(onFailure)) {}

    // Runs the handler unless the handlers are closed; false when it did not run or failed.
    template <typename Handler>
    bool run(Handler&& handler) {
        if (mClosed) return false;
        if (runHandler(std::forward<Handler>(handler))) return true;
        mClosed = true;
        if (mOnFailure) mOnFailure();
        return false;
    }
    // No event reaches the handlers from now on, though none failed: the form is going.
    void close() { mClosed = true; }
    // Whether events still reach the handlers.
    bool open() const { return !mClosed; }

private:
    std::function<void()> mOnFailure;
    bool mClosed = false;
};

}  // namespace base
