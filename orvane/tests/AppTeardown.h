#pragma once
// Takes a test program's application object down after its last test, while
// the rest of Qt is still there, so that the font and window-system
// libraries shut down in order and leave nothing behind for the leak checker.
#include <gtest/gtest.h>

#include <QCoreApplication>

namespace orvane_test {

class AppTeardown : public testing::Environment {
public:
    void TearDown() override { delete QCoreApplication::instance(); }
};

[[maybe_unused]] static const bool kAppTeardownAdded =
    (testing::AddGlobalTestEnvironment(new AppTeardown), true);

}  // namespace orvane_test
