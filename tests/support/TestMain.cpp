// main() of every test program: GoogleTest on a Qt application object, so
// that tests of Qt-based code find their event loop and widgets (offscreen
// unless the test environment says otherwise).
//
// A program in which a test skipped (and none failed) ends with
// kSkippedExitCode, which ctest reports as "Skipped" instead of a pass: a
// test that could not run never looks green.

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "support/PrivateNetwork.h"
#include "support/SkippedExitCode.h"

int main(int argc, char** argv) {
    // Before any thread exists: a namespace is entered by the calling thread only.
    qxtest::EnterRequestedPrivateNetwork();
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    if (result != 0 || unit.skipped_test_count() == 0)
        return result;
    std::fprintf(stderr, "%d of %d tests skipped\n", unit.skipped_test_count(),
                 unit.test_to_run_count());
    return qxtest::kSkippedExitCode;
}
