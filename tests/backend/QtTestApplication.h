#pragma once
// A Qt application on Qt's off-screen platform, for tests of classes that need one. A test suite
// makes it in SetUpTestSuite and ends it in TearDownTestSuite, so that it is gone before the
// program's static objects are.
#include <QApplication>

#include <memory>

namespace backendtest {

inline std::unique_ptr<QApplication> startQtApplication() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "magnifier-backend-tests";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

}  // namespace backendtest
