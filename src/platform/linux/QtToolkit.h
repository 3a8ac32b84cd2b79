#pragma once
// The form toolkit on Qt Widgets: forms whose windows are native X windows, drawn by the program
// itself (QtForm), and Qt's event loop.
#include <memory>
#include <string>

#include "platform/FormToolkit.h"
#include "platform/linux/X11Display.h"
#include "platform/linux/X11WindowSystem.h"
#include "platform/soft/FrameStats.h"
#include "platform/soft/SoftGraphics.h"

namespace platform::linux_ {

class QtToolkit : public FormToolkit {
public:
    QtToolkit(X11Display& display, X11WindowSystem& windows, soft::SoftGraphics& graphics);
    std::unique_ptr<Form> createForm(const FormDesign& design, FormEvents& events) override;
    float ScreenWidth() const override;
    float ScreenHeight() const override;
    AppVersion version() const override;
    // Qt's event loop. With MAGNIFIER_STATS set, reports the frames painted on stderr at the end.
    int run() override;
    // The session ends the program: every form closes as if by its close button, and the
    // message loop ends once they are closed.
    void endSession();
    // Forms made from now on draw their view inside the X server.
    void setServerDrawing(bool server) { serverDrawing_ = server; }

private:
    X11Display& display_;
    X11WindowSystem& windows_;
    soft::SoftGraphics& graphics_;
    soft::FrameStats stats_;
    bool serverDrawing_ = false;
};

}  // namespace platform::linux_
