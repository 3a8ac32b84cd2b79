#pragma once
// The poll for a pointer moved by another program (a warp, which raw motion does not report),
// without a timer of the program's own: on a connection of its own the question "where is the
// pointer" waits inside the X server behind a SYNC Await on the server's clock, so the answer
// arrives when the poll is due and that arrival is the program's only wake-up for it.
#include <chrono>
#include <memory>

#include "platform/Types.h"
#include "platform/linux/X11Display.h"

namespace platform::linux_ {

class X11PointerWatch {
public:
    // Opens the connection; ok() is false when the server has no SYNC clock.
    X11PointerWatch();
    bool ok() const { return ok_; }
    // Readable when an answer may have arrived.
    int descriptor() const;
    // Asks for the pointer's position `delay` from now, unless a question is still unanswered.
    void ask(std::chrono::milliseconds delay);
    // Takes the answer if it has arrived: true then, with `known` false when the pointer is on
    // another screen. Never waits.
    bool answered(Point& point, bool& known);

private:
    X11Display display_;
    bool ok_ = false;
    unsigned long clock_ = 0;  // the SERVERTIME counter
    bool asked_ = false;
    unsigned int query_ = 0;
};

}  // namespace platform::linux_
