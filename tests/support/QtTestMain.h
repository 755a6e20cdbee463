#pragma once

#include "views/DrainRefreshCycles.h"

#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

namespace quelby::test {

// After every test the windows it closed finish their refresh cycles, so no coroutine is left
// suspended on a timer when the program ends (sanitizer builds report those as leaks).
class RefreshCycleDrain : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override {
        EXPECT_TRUE(DrainRefreshCycles()) << "a refresh cycle outlived its window";
    }
};

// main() of the Qt test programs: offscreen unless told otherwise, English digit grouping.
inline int RunQtTests(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new RefreshCycleDrain);
    return RUN_ALL_TESTS();
}

} // namespace quelby::test
