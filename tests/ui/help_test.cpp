// The help commands open text files beside the program, or in the installed data folder,
// through the desktop.
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "help_files.h"
#include "shell_tests.h"

// Stands in for the desktop: records what would have been opened.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened << url; }
};

class HelpFileTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "Open"); }
    void cleanup() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        m_catcher.opened.clear();
    }

    void opensTheFileInAFolderWithBlanks() {
        QTemporaryDir root;
        const QString programDir = QDir(root.path()).filePath(QStringLiteral("radio tools"));
        QVERIFY(QDir().mkpath(programDir));
        const QString helpPath = QDir(programDir).filePath(QStringLiteral("help.txt"));
        QFile help(helpPath);
        QVERIFY(help.open(QIODevice::WriteOnly));
        help.write("OrvelTool 使用说明\n");
        help.close();

        OpenHelpFile({programDir}, QStringLiteral("help"));
        QCOMPARE(m_catcher.opened.size(), 1);
        QVERIFY(m_catcher.opened.first().isLocalFile());
        QCOMPARE(m_catcher.opened.first().toLocalFile(), helpPath);
    }

    void aMissingFileOpensNothing() {
        QTemporaryDir root;
        OpenHelpFile({root.path()}, QStringLiteral("ques"));
        // A folder of that name is not a help file either.
        QVERIFY(QDir(root.path()).mkdir(QStringLiteral("ques.txt")));
        OpenHelpFile({root.path(), root.path() + QStringLiteral("/missing")},
                     QStringLiteral("ques"));
        OpenHelpFile({}, QStringLiteral("ques"));
        QVERIFY(m_catcher.opened.isEmpty());
    }

    // An installed program has no help beside it; a copy beside it still wins, so a technician
    // can put a site's own help next to a copied program.
    void theFirstFolderHoldingTheFileWins() {
        QTemporaryDir root;
        const QDir dir(root.path());
        QVERIFY(dir.mkpath(QStringLiteral("usr/bin")));
        QVERIFY(dir.mkpath(QStringLiteral("usr/share/orveltool")));
        const QStringList folders{dir.filePath(QStringLiteral("usr/bin")),
                                  dir.filePath(QStringLiteral("usr/share/orveltool"))};
        auto put = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write("常见问题\n") > 0;
        };
        const QString installed = dir.filePath(QStringLiteral("usr/share/orveltool/ques.txt"));
        QVERIFY(put(installed));
        QCOMPARE(FindHelpFile(folders, QStringLiteral("ques")), installed);
        QCOMPARE(FindHelpFile(folders, QStringLiteral("help")), QString());

        const QString beside = dir.filePath(QStringLiteral("usr/bin/ques.txt"));
        QVERIFY(put(beside));
        OpenHelpFile(folders, QStringLiteral("ques"));
        QCOMPARE(m_catcher.opened.size(), 1);
        QCOMPARE(m_catcher.opened.first().toLocalFile(), beside);
    }

private:
    UrlCatcher m_catcher;
};

int RunHelpFileTests(int argc, char** argv) {
    HelpFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "help_test.moc"
