#pragma once
// The fixture the conformance suites share: one back end per test, made by the suite's type
// parameter, which may also keep something for the whole suite (an application object, an X
// server) in static SetUpTestSuite and TearDownTestSuite functions of its own.
#include <gtest/gtest.h>

namespace conformance {

template <class Backend>
class BackendSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if constexpr (requires { Backend::SetUpTestSuite(); }) Backend::SetUpTestSuite();
    }
    static void TearDownTestSuite() {
        if constexpr (requires { Backend::TearDownTestSuite(); }) Backend::TearDownTestSuite();
    }

    Backend backend;
};

}  // namespace conformance
