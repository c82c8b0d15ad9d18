#include <gtest/gtest.h>

#include <cstdlib>

#ifdef QRX_REPORT_QT
#include <QGuiApplication>
#endif

int main(int argc, char** argv) {
#ifdef QRX_REPORT_QT
    // Test discovery runs without the test environment: no screen is needed either way.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
