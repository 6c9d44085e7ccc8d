// The help commands open text files beside the program, or in the installed data folder,
// through the desktop, or in the program's own help window where the desktop has no viewer.
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "help_files.h"
#include "help_window.h"
#include "manual_page.h"
#include "shell_tests.h"

using namespace orvel;

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

    // The offscreen platform has no viewer for anything, as a machine without a desktop: the
    // program shows the file in its own window, read-only and searchable, once per file.
    void withoutAViewerTheProgramShowsTheTextItself() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QTemporaryDir root;
        const QString text = QStringLiteral("OrvelTool 常见问题\n串口设置\n  ttyUSB0 与 ttyUSB1\n");
        QFile help(QDir(root.path()).filePath(QStringLiteral("ques.txt")));
        QVERIFY(help.open(QIODevice::WriteOnly));
        help.write(text.toUtf8());
        help.close();

        OpenHelpFile(QStringList{root.path()}, QStringLiteral("ques"));
        QList<HelpWindow*> windows = HelpWindows();
        QCOMPARE(windows.size(), 1);
        HelpWindow* window = windows.first();
        QVERIFY(window->isVisible());
        QVERIFY(window->windowTitle().contains(QStringLiteral("ques.txt")));
        auto* shown = window->findChild<QPlainTextEdit*>(QStringLiteral("helpText"));
        QCOMPARE(shown->toPlainText(), text);
        QVERIFY(shown->isReadOnly());
        // Its columns line up: a fixed-pitch font, whatever the system's fixed font is.
        QVERIFY(QFontInfo(shown->font()).fixedPitch());
        QCOMPARE(shown->font().pointSize(), 10);
        const QFont systemFixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        if (QFontInfo(systemFixed).fixedPitch())
            QCOMPARE(shown->font().family(), systemFixed.family());

        // Ctrl+F opens the search; Enter finds the next place, wrapping round at the end.
        auto* search = window->findChild<QLineEdit*>(QStringLiteral("helpSearch"));
        QVERIFY(!search->isVisible());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(shown, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(search->isVisible());
        QVERIFY(search->hasFocus());
        QTest::keyClicks(search, "ttyUSB");
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(shown->textCursor().selectedText(), QStringLiteral("ttyUSB"));
        const int first = shown->textCursor().position();
        QTest::keyClick(search, Qt::Key_Return);
        QVERIFY(shown->textCursor().position() > first);
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(shown->textCursor().position(), first);
        search->setText(QStringLiteral("没有的字"));
        QVERIFY(!window->FindNext());
        QCOMPARE(shown->textCursor().position(), first);

        // Asking again raises the same window.
        OpenHelpFile(QStringList{root.path()}, QStringLiteral("ques"));
        QCOMPARE(HelpWindows().size(), 1);
        qDeleteAll(HelpWindows());
    }

    // Help files of the classic program are GBK; the program's own are UTF-8.
    void helpTextsAreReadAsUtf8OrGbk() {
        const QString text = QStringLiteral("静噪电平：L1 到 L9");
        QCOMPARE(DecodeHelpText(text.toUtf8()), text);
        // The GBK bytes themselves: a Qt without ICU (the Windows build) has no GBK encoder.
        const QByteArray classic("\xbe\xb2\xd4\xeb\xb5\xe7\xc6\xbd\xa3\xbaL1 \xb5\xbd L9");
        QCOMPARE(DecodeHelpText(classic), text);
    }

    // 帮助 > 使用手册 opens the installed page of the window's language; a manual in the other
    // language only is still better than none.
    void theManualOpensInTheWindowsLanguage() {
        QTemporaryDir root;
        const QDir dir(root.path());
        const QString programDir = dir.filePath(QStringLiteral("usr/bin"));
        const QString manual = dir.filePath(QStringLiteral("usr/share/doc/orveltool/manual"));
        QVERIFY(dir.mkpath(QStringLiteral("usr/bin")));
        for (const char* lang : {"zh_CN", "en"}) {
            QVERIFY(QDir(manual).mkpath(QLatin1String(lang)));
            QFile page(QDir(manual).filePath(QLatin1String(lang) + QStringLiteral("/index.html")));
            QVERIFY(page.open(QIODevice::WriteOnly));
            page.write("<html></html>");
        }
        QMenu help;
        QAction* about = help.addAction(QStringLiteral("about"));
        QAction* action = AddManualAction(&help, about, programDir);
        QCOMPARE(action->objectName(), QStringLiteral("actionManual"));
        QCOMPARE(help.actions().indexOf(action), 0);
        const auto opened = [this, action](UiLanguage language) {
            InstallLanguage(language);
            m_catcher.opened.clear();
            action->trigger();
            return m_catcher.opened.size() == 1
                       ? m_catcher.opened.first().toLocalFile()
                       : QStringLiteral("opened %1 pages").arg(m_catcher.opened.size());
        };
        QCOMPARE(opened(UiLanguage::English), manual + QStringLiteral("/en/index.html"));
        QCOMPARE(opened(UiLanguage::Chinese), manual + QStringLiteral("/zh_CN/index.html"));

        QVERIFY(QDir(manual + QStringLiteral("/en")).removeRecursively());
        QCOMPARE(opened(UiLanguage::English), manual + QStringLiteral("/zh_CN/index.html"));
        InstallLanguage(UiLanguage::Chinese);
        // A copy beside the program wins over the installed one.
        const QString beside = QDir(programDir).filePath(QStringLiteral("manual/zh_CN"));
        QVERIFY(QDir().mkpath(beside));
        QFile page(beside + QStringLiteral("/index.html"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        QCOMPARE(ManualIndex(ManualFolders(programDir), UiLanguage::Chinese),
                 beside + QStringLiteral("/index.html"));
        QCOMPARE(ManualIndex({dir.filePath(QStringLiteral("nothing"))}, UiLanguage::English),
                 QString());
    }

private:
    static QList<HelpWindow*> HelpWindows() {
        QList<HelpWindow*> windows;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<HelpWindow*>(widget)) {
                windows << window;
            }
        }
        return windows;
    }

    UrlCatcher m_catcher;
};

int RunHelpFileTests(int argc, char** argv) {
    HelpFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "help_test.moc"
