#include <gtest/gtest.h>

#include <QCoreApplication>

// QSerialPort needs an application object for its notifiers.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
