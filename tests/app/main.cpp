#include <gtest/gtest.h>

#include <QGuiApplication>

#include <cstdlib>

int main(int argc, char** argv) {
    // Test discovery runs without the test environment: no screen is needed either way.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
