// Where the programs look for and keep their files, for a program run from its build folder and
// for one installed as PREFIX/bin beside PREFIX/share/orveltool (the package's layout). The
// installed case must hold even for root, who may write into /usr/bin.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app_paths.h"
#include "port_name.h"

namespace orvel {
namespace {

class AppPathsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root_.isValid()); }

    QString Make(const QString& folder) {
        const QString path = QDir(root_.path()).filePath(folder);
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }
    static void Put(const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Set]\nPort=2\n");
    }
    QString Installed() {
        Make(QStringLiteral("usr/share/orveltool"));
        return Make(QStringLiteral("usr/bin"));
    }
    QString UserIni() {
        return Make(QStringLiteral("home/.config/OrvelTool")) + QStringLiteral("/OrvelTool.ini");
    }

    QTemporaryDir root_;
};

TEST_F(AppPathsTest, OnlyABinFolderBesideTheDataFolderCountsAsInstalled) {
    EXPECT_FALSE(IsInstalledProgramDir(Make(QStringLiteral("build/bin"))));
    Make(QStringLiteral("opt/share/orveltool"));
    EXPECT_FALSE(IsInstalledProgramDir(Make(QStringLiteral("opt/tool"))));
    // A file of the data folder's name is no installed tree.
    Make(QStringLiteral("odd/share"));
    Put(QDir(root_.path()).filePath(QStringLiteral("odd/share/orveltool")));
    EXPECT_FALSE(IsInstalledProgramDir(Make(QStringLiteral("odd/bin"))));
    EXPECT_TRUE(IsInstalledProgramDir(Installed()));
    EXPECT_TRUE(IsInstalledProgramDir(Installed() + QStringLiteral("/")));
    // The Windows installer's folder holds its uninstaller; the unpacked zip does not.
    const QString setup = Make(QStringLiteral("Program Files/OrvelTool"));
    EXPECT_FALSE(IsInstalledProgramDir(setup));
    Put(setup + QStringLiteral("/uninstall.exe"));
    EXPECT_TRUE(IsInstalledProgramDir(setup));
}

// Here rather than with the port's tests, which need pseudo-terminals: this runs on Windows too.
TEST(PortDeviceName, NumbersMapToTheStandardSerialDevices) {
#ifdef Q_OS_WIN
    EXPECT_EQ(PortDeviceName(3), "COM3");
    EXPECT_EQ(PortDeviceName(12), "\\\\.\\COM12");
    // Every number from 10 on needs the device namespace, three digits too.
    EXPECT_EQ(PortDeviceName(100), "\\\\.\\COM100");
    EXPECT_EQ(ResolvePortName("com12"), "\\\\.\\COM12");
    EXPECT_EQ(ResolvePortName("COM5"), "COM5");
#else
    EXPECT_EQ(PortDeviceName(1), "/dev/ttyS0");
    EXPECT_EQ(PortDeviceName(4), "/dev/ttyS3");
#endif
}

TEST_F(AppPathsTest, AProgramInItsBuildFolderKeepsItsFilesBesideItself) {
    const QString bin = Make(QStringLiteral("build/bin"));
    const QString user = UserIni();
    const QString beside = bin + QStringLiteral("/OrvelTool.ini");
    EXPECT_EQ(ConfigWritePath(bin, user), beside);
    EXPECT_EQ(ConfigReadPath(bin, user), beside);
    // A user's copy left from another program location does not hide the writable file beside.
    Put(user);
    Put(beside);
    EXPECT_EQ(ConfigReadPath(bin, user), beside);
    EXPECT_EQ(DefaultChannelFilePath(bin, root_.path(), root_.path()),
              bin + QStringLiteral("/orvel.dat"));
}

TEST_F(AppPathsTest, AnInstalledProgramKeepsTheIniInTheUsersFolder) {
    const QString bin = Installed();
    const QString user = UserIni();
    const QString beside = bin + QStringLiteral("/OrvelTool.ini");
    EXPECT_EQ(ConfigWritePath(bin, user), user);
    // Nothing anywhere yet: the path read is one that does not exist, so the defaults hold.
    EXPECT_FALSE(QFile::exists(ConfigReadPath(bin, user)));

    // A file an administrator put beside the program gives the limits until the user picks a
    // port, which goes into the user's copy; that copy then wins.
    Put(beside);
    EXPECT_EQ(ConfigReadPath(bin, user), beside);
    EXPECT_EQ(ConfigWritePath(bin, user), user);
    Put(user);
    EXPECT_EQ(ConfigReadPath(bin, user), user);
}

TEST_F(AppPathsTest, AnInstalledProgramProposesChannelFilesInTheDocumentsFolder) {
    const QString bin = Installed();
    const QString home = Make(QStringLiteral("home"));
    const QString documents = home + QStringLiteral("/文档");
    EXPECT_EQ(DefaultChannelFilePath(bin, documents, home), home + QStringLiteral("/orvel.dat"));
    Make(QStringLiteral("home/文档"));
    EXPECT_EQ(DefaultChannelFilePath(bin, documents, home),
              documents + QStringLiteral("/orvel.dat"));
}

TEST_F(AppPathsTest, HelpIsLookedForBesideTheProgramFirstThenInTheDataFolders) {
    const QString bin = Installed();
    const QString data = QDir(root_.path()).filePath(QStringLiteral("usr/share/orveltool"));
    // The same data folder named again by the system's list is searched once.
    qputenv("XDG_DATA_DIRS", QDir(root_.path()).filePath(QStringLiteral("usr/share")).toUtf8());
    const QStringList folders = HelpFolders(bin);
    qunsetenv("XDG_DATA_DIRS");
    ASSERT_GE(folders.size(), 2);
    EXPECT_EQ(folders[0], bin);
    EXPECT_EQ(folders[1], data);
    EXPECT_EQ(folders.count(data), 1);
    // The system's data folders follow, so a program copied elsewhere still finds the
    // installed help.
#ifdef _WIN32
    GTEST_SKIP() << "the system's data folders are XDG's, on POSIX systems only";
#endif
    const QStringList copied = HelpFolders(Make(QStringLiteral("copy")));
    EXPECT_TRUE(copied.contains(QStringLiteral("/usr/share/orveltool")));
}

#ifndef _WIN32
TEST(UserFolders, ARelativeHomeOrXdgValueIsIgnored) {
    // The backups once went under the folder the program was started in.
    const QByteArray home = qgetenv("HOME");
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    struct Case {
        const char* home;
        const char* data;
        const char* start;  // empty: the home the system's user database names
    } cases[] = {
        {"/h/user", "rel-data", "/h/user/.local/share/"},
        {"/h/user", "/x/data", "/x/data/"},
        {"rel-home", "", ""},
        {"rel-home", "rel-data", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.home) + " " + c.data);
        qputenv("HOME", c.home);
        qputenv("XDG_DATA_HOME", c.data);
        const QString folder = BackupFolder();
        EXPECT_TRUE(QDir::isAbsolutePath(folder)) << folder.toStdString();
        EXPECT_TRUE(folder.startsWith(QString::fromLatin1(c.start))) << folder.toStdString();
        EXPECT_FALSE(folder.contains("rel-")) << folder.toStdString();
        EXPECT_TRUE(folder.endsWith("/backups")) << folder.toStdString();
    }
    qputenv("HOME", home);
    qputenv("XDG_DATA_HOME", data);
}
#endif

}  // namespace
}  // namespace orvel
