#pragma once
// The form toolkit on Qt Widgets: forms whose windows are native X windows, drawn by the program
// itself (QtForm), and Qt's event loop.
#include <functional>
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
    // Forms made from now on draw their view inside the X server; with `screenInServer` false
    // the screen is not the root window's (the screen-cast portal's), and its pictures are
    // uploaded rather than copied from the root.
    void setServerDrawing(bool server, bool screenInServer = true) {
        serverDrawing_ = server;
        screenInServer_ = screenInServer;
    }
    // Where the screen comes from elsewhere than the X server: a descriptor readable when it has
    // news, and whether a form may sleep on them now.
    void setScreenNews(int descriptor, std::function<bool()> mayRest) {
        screenNews_ = descriptor;
        mayRestOnNews_ = std::move(mayRest);
    }

private:
    X11Display& display_;
    X11WindowSystem& windows_;
    soft::SoftGraphics& graphics_;
    soft::FrameStats stats_;
    int screenNews_ = -1;
    std::function<bool()> mayRestOnNews_;
    bool serverDrawing_ = false;
    bool screenInServer_ = true;
};

}  // namespace platform::linux_
