#include <gtest/gtest.h>

#include <cstdlib>

#ifdef QRX_OUTPUT_QT
#include <QApplication>
#endif

int main(int argc, char** argv) {
#ifdef QRX_OUTPUT_QT
    // Test discovery runs without the test environment: no screen is needed either way.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
