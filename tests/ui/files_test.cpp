// The window's files beyond the channel file: 导入 and 导出 of orvelctl's JSON and CSV, files
// dropped on the window, the recent files, and the question before unsaved work is set aside.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "chighlightlistctrl.h"
#include "cmainframe.h"
#include "window_fixture.h"

using namespace orvel;
using namespace orvel::test;

class FilesTest : public QObject, private WindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> frame;
    COrvelToolView* view = nullptr;
    QTemporaryDir folder;

    // The window as the program shows it, with the radio read so that every row has values.
    void Start() {
        radio = StartedRadio();
        StartWindow(frame, view, Device(*radio));
        view->OnRead();
        shown.clear();
    }
    QString Path(const char* name) const { return folder.filePath(QLatin1String(name)); }
    void Run(const char* action, const QString& file = {}) {
        chosenFile = file;
        Trigger(*view, action);
    }
    // An edit as the technician makes it: channel 3's receive frequency, then 确认.
    void EditRow3(const char* rx) {
        view->channelList()->selectRow(2);
        view->OnRowClicked();
        Control<QLineEdit>(view, "rxEdit")->setText(QLatin1String(rx));
        Control<QPushButton>(view, "confirmButton")->click();
    }
    void ChooseParity(const char* button) { Control<QRadioButton>(view, button)->click(); }
    QStringList Lines() const { return LogLines(*view); }
    // A key goes where the window system sends it: to the focus of the window it is typed in,
    // once what came before (a dialog closing) has settled.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        (void)QTest::qWaitFor([this] { return frame->isActiveWindow(); }, 500);
        QTest::keyClick(frame->focusWidget(), key, modifiers);
    }
    // The next dialog is answered as a user does: a file dialog's name given, then Enter.
    static void AnswerNextDialog(const QString& file = {}) {
        QTimer::singleShot(0, [file] {
            const QPointer<QWidget> dialog = QApplication::activeModalWidget();
            if (QTest::qWaitFor([dialog] { return dialog && dialog->focusWidget(); })) {
                if (auto* files = qobject_cast<QFileDialog*>(dialog.data()))
                    files->selectFile(file);
                QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
            }
            if (dialog)  // unanswered, the case fails rather than waits
                dialog->close();
        });
    }

private slots:
    void init() { Begin(); }
    void cleanup() {
        frame.reset();
        End();
    }

    // The files orvelctl converts: what is exported comes back; a CSV brings channels only.
    void exportedFilesImportAsTheyWere() {
        Start();
        const ChannelTable exported = view->table();
        for (const char* name : {"plan.csv", "all.json"}) {
            ChooseParity("parityNoneButton");
            Run("actionExport", Path(name));
            QCOMPARE(Lines().last(), QStringLiteral("文件导出[%1]").arg(Path(name)));
            view->OnDefault();
            ChooseParity("parityOddButton");
            Run("actionImport", Path(name));
            QCOMPARE(Lines().last(), QStringLiteral("文件导入[%1]").arg(Path(name)));
            QCOMPARE(view->table(), exported);
            // The window's own settings stay over a spreadsheet's channel plan.
            QCOMPARE(view->settings().parity, QString(name).endsWith("csv") ? 1 : 0);
            // The import is one step back to the defaults.
            Run("actionUndo");
            QCOMPARE(view->table(), EmptyChannelTable());
            QCOMPARE(Lines().last(), QStringLiteral("撤销：导入 %1").arg(QLatin1String(name)));
            Run("actionRedo");
            QCOMPARE(view->table(), exported);
        }
        // Each import replaced changed work (缺省, a setting): it asked first, as 打开 does.
        QCOMPARE(Texts(), QStringList(2, QStringLiteral("是否保存对信道数据的修改？")));
    }

    // orvelctl's message behind a lead-in; nothing of the file reaches the window.
    void aBadFileIsRefusedWhole() {
        Start();
        Run("actionExport", Path("plan.csv"));
        QByteArray csv = FileBytes(Path("plan.csv"));
        csv.replace("\n3,", "\n3,999,");
        QFile file(Path("bad.csv"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(csv);
        file.close();
        EditRow3("224");
        const DocumentState before = view->document().state();
        Run("actionImport", Path("bad.csv"));
        QVERIFY(view->document().state() == before);
        const QString text =
            QStringLiteral("导入失败：%1: row 3: 8 columns, expected 7").arg(Path("bad.csv"));
        QCOMPARE(Texts(), QStringList{text});
        QCOMPARE(Lines().last(), text);
    }

    // A .dat opens, a .json or .csv imports, anything else is refused; of several, the first.
    void droppedFilesOpenOrImport() {
        Start();
        Run("actionSaveAs", Path("a.dat"));
        Run("actionExport", Path("b.csv"));
        view->OnDefault();
        view->OnDropFiles({Path("b.csv"), Path("a.dat")});
        QCOMPARE(Lines().mid(Lines().size() - 2),
                 QStringList(
                     {QStringLiteral("一次只能拖入一个文件，只打开第一个：%1").arg(Path("b.csv")),
                      QStringLiteral("文件导入[%1]").arg(Path("b.csv"))}));
        view->OnDefault();
        answer = QMessageBox::Discard;
        view->OnDropFiles({Path("a.dat")});
        QCOMPARE(Lines().last(), QStringLiteral("文件打开[%1]").arg(Path("a.dat")));
        QVERIFY(!view->isModified());
        view->OnDropFiles({Path("notes.txt")});
        QCOMPARE(
            Lines().last(),
            QStringLiteral("只能打开 .dat 文件或导入 .json、.csv 文件：%1").arg(Path("notes.txt")));
    }

    // Newest first, four at most, kept in the INI; a file gone is dropped from the list.
    void recentFilesKeepTheLastFour() {
        Start();
        Run("actionSaveAs", Path("1.dat"));
        Run("actionExport", Path("2.json"));
        Run("actionExport", Path("3.csv"));
        Run("actionImport", Path("2.json"));
        Run("actionSaveAs", Path("4.dat"));
        Run("actionExport", Path("5.csv"));
        const QStringList four{Path("5.csv"), Path("4.dat"), Path("2.json"), Path("3.csv")};
        QCOMPARE(view->recentFiles(), four);
        const QByteArray ini = FileBytes(IniPath());
        QVERIFY(ini.contains("[Recent File List]") && ini.contains("File4=" + four[3].toUtf8()));
        frame.reset();
        Start();
        QCOMPARE(view->recentFiles(), four);
        QFile::remove(Path("4.dat"));
        Run("actionRecentFile2");
        QCOMPARE(Lines().last(),
                 QStringLiteral("文件不存在，已从最近文件列表中移除：%1").arg(Path("4.dat")));
        QCOMPARE(view->recentFiles(), (QStringList{four[0], four[2], four[3]}));
        Run("actionRecentFile2");
        QCOMPARE(Lines().last(), QStringLiteral("文件导入[%1]").arg(Path("2.json")));
    }

    // Changes show as "*" until saved or written; closing, opening and reading ask first.
    void unsavedWorkIsNeverLostSilently() {
        Start();
        const QString question = QStringLiteral("是否保存对信道数据的修改？");
        frame->show();
        QVERIFY(!frame->isWindowModified());
        EditRow3("224");
        QVERIFY(frame->isWindowModified());
        EditRow3("224.525");  // back as it was read: nothing to save
        QVERIFY(!frame->isWindowModified());
        ChooseParity("parityOddButton");
        QVERIFY(frame->isWindowModified());

        answer = QMessageBox::Cancel;
        QVERIFY(!frame->close());
        QVERIFY(frame->isVisible());
        Run("actionReadRadio");
        Run("actionOpen", Path("none.dat"));  // cannot be opened: nothing to ask about
        QCOMPARE(Texts(), (QStringList{question, question}));
        QCOMPARE(view->settings().parity, 1);

        // 保存 without a file is 另存为; then the title is clean.
        answer = QMessageBox::Save;
        chosenFile = Path("kept.dat");
        QVERIFY(frame->close());
        QCOMPARE(view->filePath(), Path("kept.dat"));
        QVERIFY(!view->isModified());
        const QByteArray saved = FileBytes(Path("kept.dat"));

        frame->show();
        EditRow3("225");
        answer = QMessageBox::Discard;
        Run("actionOpen", Path("kept.dat"));
        QCOMPARE(view->table()[2][1], std::string("224.525"));
        QVERIFY(!frame->isWindowModified());
        QCOMPARE(FileBytes(Path("kept.dat")), saved);
        EditRow3("225");
        Run("actionWriteRadio");
        QVERIFY(!frame->isWindowModified());
        shown.clear();
        QVERIFY(frame->close());
        QVERIFY(shown.isEmpty());
    }

    // Dialogs hand the keys back: after 批量设置 Alt+Down moves rows, after 另存为 Ctrl+Y redoes.
    void keysReachTheDocumentAfterADialog() {
#ifdef _WIN32
        QSKIP("Windows shows its own file dialog, which the test's keys cannot reach");
#endif
        Start();
        view->dialogs().fileName = shownDialogs.fileName;
        frame->show();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        EditRow3("224");
        ChooseParity("parityOddButton");
        for (const auto& [row, key] : {std::pair{0, Qt::Key_C}, std::pair{4, Qt::Key_V}}) {
            view->channelList()->clearSelection();
            view->channelList()->selectRow(row);
            QTRY_VERIFY(
                ActionOf(*view, key == Qt::Key_C ? "actionCopy" : "actionPaste")->isEnabled());
            Key(key, Qt::ControlModifier);
        }
        view->channelList()->clearSelection();
        view->channelList()->selectRow(8);
        AnswerNextDialog();
        Trigger(*view, "actionFill");
        Key(Qt::Key_Down, Qt::AltModifier);
        for (int n = 0; n < 5; ++n)
            Key(Qt::Key_Z, Qt::ControlModifier);
        AnswerNextDialog(Path("undone.dat"));
        Trigger(*view, "actionSaveAs");
        for (int n = 0; n < 5; ++n)
            Key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(Lines().mid(Lines().size() - 6),
                 QStringList({QStringLiteral("文件保存 [%1]").arg(Path("undone.dat")),
                              "重做：数据设置 [信道3]", "重做：设置 校验位", "重做：粘贴 1 行",
                              "重做：批量设置 信道9-16", "重做：下移 信道9"}));
    }
};

QTEST_MAIN(FilesTest)
#include "files_test.moc"
