#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdlib>

// The commands run in this process keep safety copies and look for OrvelTool.ini in the
// user's folders: those point into a scratch folder, never at the real home.
int main(int argc, char** argv) {
    QTemporaryDir home;
    const QByteArray path = home.path().toLocal8Bit();
    setenv("HOME", path.constData(), 1);
    setenv("XDG_DATA_HOME", (path + "/data").constData(), 1);
    setenv("XDG_CONFIG_HOME", (path + "/config").constData(), 1);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("OrvelTool"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
