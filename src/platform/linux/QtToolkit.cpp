#include "base/Version.h"
#include "platform/linux/QtToolkit.h"

#include <QApplication>

#include "base/Arithmetic.h"
#include "platform/linux/FormWidget.h"
#include "platform/linux/QtForm.h"

namespace platform::linux_ {

QtToolkit::QtToolkit(X11Display& display, X11WindowSystem& windows, soft::SoftGraphics& graphics)
    : display_(display), windows_(windows), graphics_(graphics) {}

std::unique_ptr<Form> QtToolkit::createForm(const FormDesign& design, FormEvents& events) {
    auto form = std::make_unique<QtForm>(design, events, display_, windows_, graphics_, stats_, serverDrawing_, screenInServer_);
    if (screenNews_ >= 0) form->restOnScreenNews(screenNews_, mayRestOnNews_);
    return form;
}

float QtToolkit::ScreenWidth() const { return base::pixelsToTwips(DisplayWidth(display_.get(), display_.screen())); }
float QtToolkit::ScreenHeight() const { return base::pixelsToTwips(DisplayHeight(display_.get(), display_.screen())); }

AppVersion QtToolkit::version() const {
    return AppVersion{base::kVersionMajor, base::kVersionMinor, base::kVersionPatch};
}

int QtToolkit::run() {
    const int status = QApplication::exec();
    stats_.print();
    return status;
}

void QtToolkit::endSession() {
    bool allClosed = true;
    // Every form has one top-level widget. A copy of the list: the unload handlers run from
    // inside the loop.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (auto* formWidget = dynamic_cast<FormWidget*>(window)) {
            allClosed = formWidget->form().closeFromSession() && allClosed;
        }
    }
    if (allClosed) QCoreApplication::exit(0);
}

}  // namespace platform::linux_
