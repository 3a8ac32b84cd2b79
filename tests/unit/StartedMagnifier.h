#pragma once
// The fixture most unit tests start from: the in-memory desktop with the magnifier's main window
// made on it. MagnifierTest leaves starting to the test, which may store settings or look at the
// window first; StartedMagnifierTest starts it before every test.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/FrmMain.h"

namespace testsupport {

class MagnifierTest : public ::testing::Test {
protected:
    // Loads and shows the window, as the program does at start-up.
    platform::fake::FakeForm& start() {
        window.start();
        return *form;
    }

    platform::fake::FakePlatform fake;
    app::FrmMain window{fake.toolkit};
    // The window's form exists from the window's construction on, before it is started.
    platform::fake::FakeForm* form = fake.toolkit.lastForm();
    platform::Handle hwnd = window.hWnd();
};

class StartedMagnifierTest : public MagnifierTest {
protected:
    void SetUp() override { start(); }
};

}  // namespace testsupport
