// main() of every test program: GoogleTest on a Qt application object, so
// that tests of Qt-based code find their event loop and widgets (offscreen
// unless the test environment says otherwise).

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

#include "support/PrivateNetwork.h"

int main(int argc, char** argv) {
    // Before any thread exists: a namespace is entered by the calling thread only.
    qxtest::EnterRequestedPrivateNetwork();
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
