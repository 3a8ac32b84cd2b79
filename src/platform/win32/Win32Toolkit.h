#pragma once
// The form toolkit on user32 and gdi32: forms are top-level windows of a class the toolkit
// registers (Win32Form), run by a message loop that also waits on the forms' tick timers.
#include <memory>
#include <optional>
#include <vector>

#include "platform/FormToolkit.h"
#include "platform/soft/FrameStats.h"
#include "platform/win32/Win32Form.h"

namespace platform::win32 {

class WindowClass;

class Win32Toolkit : public FormToolkit {
public:
    Win32Toolkit();
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

    std::unique_ptr<Form> createForm(const FormDesign& design, FormEvents& events) override;
    float ScreenWidth() const override;
    float ScreenHeight() const override;
    AppVersion version() const override;
    // Dispatches messages and the forms' ticks until the window is destroyed (status 0) or an
    // event handler failed (status 1). With MAGNIFIER_STATS set, reports the frames painted on
    // stderr at the end.
    int run() override;

    // What forms made from now on tick by; the best the system has unless told otherwise.
    TickSource tickSource() const { return tickSource_; }
    void setTickSource(TickSource source) { tickSource_ = source; }
    void addForm(Win32Form& form) { forms_.push_back(&form); }
    void removeForm(Win32Form& form);

    // The registered class's name, for CreateWindowEx.
    const wchar_t* className() const;
    // An event handler failed: the message loop ends with this status.
    void quit(int status);
    void countFrame() { stats_.count(); }
    unsigned long frames() const { return stats_.frames(); }

private:
    // One wait for messages and tick timers; false once WM_QUIT has come, with its status.
    bool pumpOnce(int& status);

    std::unique_ptr<WindowClass> class_;
    std::vector<Win32Form*> forms_;
    TickSource tickSource_ = TickSource::Best;
    std::optional<int> failureStatus_;
    soft::FrameStats stats_;
};

}  // namespace platform::win32
