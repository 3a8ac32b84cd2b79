#pragma once
// Where a form's view is drawn before it reaches the window: in the program's memory, or inside
// the X server. Chosen once, at start, for what the server offers.
#include "platform/soft/ViewFrame.h"

namespace platform::linux_ {

class ViewBuffer {
public:
    virtual ~ViewBuffer() = default;
    // Makes the picture width x height, black where it is new; false when it cannot be.
    virtual bool prepare(int width, int height) = 0;
    // Draws the tick's frame on the picture when it changes anything there; true when it did.
    virtual bool draw(soft::ViewFrame& frame) = 0;
    // Puts the picture on the window, once a frame has been drawn and while the picture is the
    // client area's size.
    virtual void present(int clientWidth, int clientHeight) = 0;
};

}  // namespace platform::linux_
