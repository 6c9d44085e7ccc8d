// The checks around a write as a technician meets them: the question about an edit not yet
// confirmed, the read-back after a write, the copy of a file a save replaces, and the
// comparison with the radio.
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "app_paths.h"
#include "channel_file.h"
#include "chighlightlistctrl.h"
#include "codec.h"
#include "compare_dialog.h"
#include "corveltoolview.h"
#include "window_fixture.h"

using namespace orvel;
using namespace orvel::test;

namespace {

const QString kQuestion = QStringLiteral("信道1的修改尚未确认，是否先确认后写入？");

// The contents of the copies of replaced files.
QList<QByteArray> FileCopies() {
    QList<QByteArray> copies;
    const QDir folder(BackupFolder());
    for (const QString& name : folder.entryList({QStringLiteral("*-file*.dat")}, QDir::Files))
        copies << FileBytes(folder.filePath(name));
    return copies;
}

// Saves a picture of a dialog when ORVEL_SCREENSHOT_DIR names a folder.
void Picture(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        widget->grab().save(folder + "/" + name);
}

}  // namespace

class WriteChecksTest : public QObject, private WindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<COrvelToolView> view;
    QStringList compared;
    QString tracePath;               // a byte trace of the window's port when set
    QList<std::size_t> framesAtBox;  // frames the radio had seen when each box came up
    std::function<QMessageBox::StandardButton(QMessageBox::Icon, const QString&, const QString&,
                                              QMessageBox::StandardButtons)>
        windowMessage;  // the view's own boxes

    void Start(sim::RadioBehaviour behaviour = {}) {
        view = std::make_unique<COrvelToolView>();
        windowMessage = view->dialogs().message;
        Catch(*view);
        view->dialogs().message = [this, caught = view->dialogs().message](auto... box) {
            framesAtBox << radio->Frames().size();
            return caught(box...);
        };
        view->dialogs().compare = [this](const QStringList& lines) { compared = lines; };
        radio = StartedRadio(behaviour);
        COrvelToolView::StartOptions options;
        options.portOverride = Device(*radio);
        options.tracePath = tracePath;
        view->OnInitialUpdate(options);
        view->OnRead();
        shown.clear();
        framesAtBox.clear();
        radio->ClearRecord();
    }
    QString Cell(int row, int column) const {
        return QString::fromStdString(view->table()[row][column]);
    }
    QStringList LogLines() const { return test::LogLines(*view); }
    void TypeRx(const QString& text) { Control<QLineEdit>(view.get(), "rxEdit")->setText(text); }

private slots:
    void init() {
        Begin();
        // These cases are about the write exchange itself; the read before it is record_test's.
        WriteIni("[Set]\r\nReadFirst=0\r\n");
        compared.clear();
        tracePath.clear();
        QDir(BackupFolder()).removeRecursively();
    }
    void cleanup() {
        view.reset();
        End();
    }

    void aPanelThatMatchesItsRowWritesWithoutAQuestion() {
        Start();
        view->OnWrite();
        QCOMPARE(Texts(), QStringList{"正确写入数据"});
        QCOMPARE(radio->Frames().size(), std::size_t{68});
    }

    void anUnconfirmedEditAsksAndEachAnswerDoesWhatItSays() {
        Start();
        const QString before = Cell(0, 1);
        TypeRx("226.5");
        answer = QMessageBox::Cancel;
        view->OnWrite();
        QCOMPARE(Texts(), QStringList{kQuestion});
        QCOMPARE(shown.first().icon, QMessageBox::Question);
        QVERIFY(radio->Frames().empty());

        // 否: the list as it is, the edit stays in the panel only.
        shown.clear();
        answer = QMessageBox::No;
        view->OnWrite();
        QCOMPARE(shown.first().text, kQuestion);
        QCOMPARE(Cell(0, 1), before);
        QVERIFY(radio->Frames().size() >= 66);
        QCOMPARE(radio->Frames()[0][3], PackFrequency(before.toStdString())[0]);
        QCOMPARE(radio->Image()[layout::ChannelOffset(0) + 1],
                 PackFrequency(before.toStdString())[1]);

        // 是: confirmed first, then written.
        shown.clear();
        radio->ClearRecord();
        answer = QMessageBox::Yes;
        view->OnWrite();
        QCOMPARE(shown.first().text, kQuestion);
        QCOMPARE(Cell(0, 1), QStringLiteral("226.500"));
        QVERIFY(LogLines().contains(QStringLiteral("数据设置 [信道1]")));
        QCOMPARE(radio->Frames()[0], MakeFrame(CmdWriteWord, 0, 0x22, 0x65));
        QCOMPARE(LogLines().last(), QStringLiteral("校验正确"));
    }

    void aConfirmThatFailsItsChecksWritesNothing() {
        Start();
        TypeRx("250");
        view->OnWrite();
        QCOMPARE(Texts(), QStringList{kQuestion});
        QVERIFY(LogLines().contains(QStringLiteral("***接收频率数据非法***")));
        QVERIFY(radio->Frames().empty());
    }

    void readingAnEmptyChannelOneLeavesNothingToAskAbout() {
        Start();
        MemoryImage image = radio->Image();
        std::fill_n(image.begin() + layout::ChannelOffset(0), layout::kChannelRecordSize, 0);
        image[layout::kChecksum] = ImageChecksum(image);
        radio->SetImage(image);
        view->OnRead();
        // The drop-downs keep their earlier choices beside the empty row.
        QCOMPARE(Cell(0, 1), QString());
        QVERIFY(Control<QComboBox>(view.get(), "powerCombo")->currentIndex() >= 0);
        shown.clear();
        view->OnWrite();
        QCOMPARE(Texts(), QStringList{"正确写入数据"});
    }

    void aPromptWriteLeavesTwentyMillisecondsBeforeEveryFrame() {
        QTemporaryDir folder;
        tracePath = folder.filePath("trace.txt");
        Start();
        view->OnWrite();
        QCOMPARE(Texts(), QStringList{"正确写入数据"});
        // "yyyy-MM-dd hh:mm:ss.zzz TX CC 01 ...": each frame against the answer before it.
        QDateTime answeredAt;
        int frames = 0;
        for (const QByteArray& line : FileBytes(tracePath).split('\n')) {
            const QDateTime at = QDateTime::fromString(QString::fromLatin1(line.left(23)),
                                                       QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
            if (line.mid(24, 2) == "RX") {
                answeredAt = at;
            } else if (line.mid(24, 2) == "TX" && answeredAt.isValid()) {
                QVERIFY2(answeredAt.msecsTo(at) >= 20, line.constData());
                ++frames;
            }
        }
        QVERIFY(frames >= 66 + 2);
    }

    void theRealQuestionHasYesNoAndCancel() {
        Start();
        view->dialogs().message = windowMessage;
        TypeRx("226.5");
        QStringList buttons;
        QString text;
        QTimer::singleShot(200, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            text = box->text();
            for (QAbstractButton* button : box->buttons())
                buttons << button->text();
            Picture(box, "unconfirmed-question.png");
            box->button(QMessageBox::Cancel)->click();
        });
        view->OnWrite();
        QCOMPARE(text, kQuestion);
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"取消", "否(&N)", "是(&Y)"}));
        QVERIFY(radio->Frames().empty());
    }

    void aCheckedWriteReadsBackBeforeItsOneBox() {
        Start();
        view->OnWrite();
        QCOMPARE(Texts(), QStringList{"正确写入数据"});
        QCOMPARE(framesAtBox, QList<std::size_t>{66 + 2});  // after the read-back's two frames
        // The read-back is one line: the write's own lines stay in view.
        const QStringList lines = LogLines();
        QCOMPARE(lines.mid(lines.lastIndexOf(QStringLiteral("***正确写入数据***")) + 1),
                 (QStringList{"校验：读回数据…", "校验正确"}));
    }

    void aRadioThatIgnoresWritesFailsTheCheck() {
        Start(sim::RadioBehaviour{.ignoreWrites = true});
        TypeRx("226.5");
        view->OnConfirm();
        view->OnWrite();
        // One stop box, and no word of success before it.
        QCOMPARE(Texts(), QStringList{"校验错误：字 0x00"});
        QCOMPARE(shown.last().icon, QMessageBox::Critical);
        QCOMPARE(LogLines().last(), QStringLiteral("校验错误：字 0x00"));
        QCOMPARE(QDir(BackupFolder()).entryList({"*-read*.dat"}).size(), 2);  // read, read-back
    }

    void theCheckCanBeTurnedOffAndStaysOff() {
        Start(sim::RadioBehaviour{.ignoreWrites = true});
        QVERIFY(ActionOf(*view, "actionVerifyWrites")->isChecked());
        Trigger(*view, "actionVerifyWrites");
        QVERIFY(!ActionOf(*view, "actionVerifyWrites")->isChecked());
        QVERIFY(FileBytes(IniPath()).contains("Verify=0"));
        view->OnWrite();
        QCOMPARE(Texts(), QStringList{"正确写入数据"});
        QCOMPARE(radio->Frames().size(), std::size_t{66});
        QCOMPARE(LogLines().last(), QStringLiteral("***正确写入数据***"));

        Start();
        QVERIFY(!ActionOf(*view, "actionVerifyWrites")->isChecked());
        Trigger(*view, "actionVerifyWrites");
        QVERIFY(FileBytes(IniPath()).contains("Verify=1"));
    }

    void classicTimingFromTheIniSendsTheSameFrames() {
        Start();
        view->OnWrite();
        const std::vector<RadioFrame> prompt = radio->Frames();
        WriteIni("[Set]\r\nClassicTiming=1\r\nVerify=0\r\nReadFirst=0\r\n");
        Start();
        view->OnWrite();
        QCOMPARE(Texts(), QStringList{"正确写入数据"});
        const std::vector<RadioFrame> classic = radio->Frames();
        QCOMPARE(classic.size(), std::size_t{66});
        QVERIFY(std::equal(classic.begin(), classic.end(), prompt.begin()));
    }

    void saveAndSaveAsKeepTheFileTheyReplace() {
        QTemporaryDir folder;
        Start();
        chosenFile = folder.path() + "/a.dat";
        QFile old(chosenFile);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("not a channel file");
        old.close();
        view->OnSaveAs();
        QCOMPARE(view->filePath(), chosenFile);
        QCOMPARE(FileCopies(), QList<QByteArray>{QByteArray("not a channel file")});
        const QByteArray saved = FileBytes(chosenFile);
        QCOMPARE(saved.size(), 260);

        view->OnSave();
        QCOMPARE(FileCopies().size(), 2);
        QVERIFY(FileCopies().contains(saved));
    }

    void savingOverAFileWithABadChecksumKeepsItsBytes() {
        QTemporaryDir folder;
        Start();
        MemoryImage image = radio->Image();
        image[layout::kChecksum] ^= 0xFF;
        chosenFile = folder.path() + "/bad.dat";
        std::string error;
        QVERIFY(WriteFileAtomically(chosenFile.toStdString(), ChannelFileBytes(image), error));
        const QByteArray original = FileBytes(chosenFile);
        view->OnOpen();
        QCOMPARE(Cell(0, 1), QString());  // the table is cleared, the name kept
        view->OnSave();                   // answered 是
        QVERIFY(FileBytes(chosenFile) != original);
        QCOMPARE(FileCopies(), QList<QByteArray>{original});
    }

    void aSaveWithoutItsSafetyCopyLeavesTheFile() {
        QTemporaryDir folder;
        Start();
        chosenFile = folder.path() + "/a.dat";
        QFile old(chosenFile);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("keep me");
        old.close();
        // A file where the backup folder should be.
        QDir(BackupFolder()).removeRecursively();
        QFile blocker(BackupFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        // The user is asked; 否 leaves the file, 是 saves it without a copy.
        answer = QMessageBox::No;
        view->OnSaveAs();
        QCOMPARE(FileBytes(chosenFile), QByteArray("keep me"));
        QVERIFY(view->filePath().isEmpty());
        QVERIFY(shown.last().text.startsWith(QStringLiteral("无法保留原文件的副本，仍然保存？")));
        QCOMPARE(shown.last().icon, QMessageBox::Question);
        answer = QMessageBox::Yes;
        view->OnSaveAs();
        QFile::remove(BackupFolder());
        QCOMPARE(FileBytes(chosenFile).size(), 260);
        QCOMPARE(view->filePath(), chosenFile);
    }

    void aSafetyCopyIsNeverSavedOverAndAFailedSaveKeepsNoCopy() {
        Start();
        // A copy opened from the backups folder: Save asks for a new name instead.
        const QString copy = BackupFolder() + "/20200101-000000-read.dat";
        QVERIFY(QDir().mkpath(BackupFolder()));
        std::string error;
        QVERIFY(WriteFileAtomically(copy.toStdString(), ChannelFileBytes(view->image()), error));
        chosenFile = copy;
        view->OnOpen();
        QCOMPARE(view->filePath(), copy);
        QTemporaryDir folder;
        chosenFile = folder.path() + "/work.dat";
        view->OnSave();
        QCOMPARE(view->filePath(), chosenFile);
        QCOMPARE(FileBytes(chosenFile).size(), 260);

        // A save that fails after the copy was taken leaves no copy behind. The temporary
        // file beside a name this long cannot be made.
        chosenFile = folder.path() + "/" + QString(250, 'x') + ".dat";
        QFile old(chosenFile);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("keep me");
        old.close();
        view->OnSaveAs();
        QCOMPARE(FileBytes(chosenFile), QByteArray("keep me"));
        QVERIFY(shown.last().text.startsWith(QStringLiteral("文件保存失败：")));
        QVERIFY(FileCopies().isEmpty());
    }

    void compareShowsTheDifferencesAndChangesNothing() {
        Start();
        Trigger(*view, "actionCompareRadio");
        QCOMPARE(compared, QStringList{"无差异"});

        TypeRx("226.5");
        view->OnConfirm();
        Control<QComboBox>(view.get(), "powerSaveCombo")->setCurrentIndex(3);
        const ChannelTable table = view->table();
        const MemoryImage image = view->image();
        Trigger(*view, "actionCompareRadio");
        QCOMPARE(view->table(), table);
        QCOMPARE(view->image(), image);
        QVERIFY(view->filePath().isEmpty());
        QCOMPARE(compared.size(), 2);
        const QString radioRx = QString::fromStdString(
            DecodeImage(radio->Image(), DecodeSource::FromRadio).table[0][1]);
        QCOMPARE(compared[0], QStringLiteral("信道1 接收频率: 226.500 -> %1").arg(radioRx));
        QVERIFY(compared[1].startsWith(QStringLiteral("设置 省电模式: 3 -> ")));
        QCOMPARE(radio->Frames().back(), MakeFrame(CmdReadImage));

        radio->SetBehaviour(sim::RadioBehaviour{.silent = true});
        compared.clear();
        Trigger(*view, "actionCompareRadio");
        QVERIFY(compared.isEmpty());
        QCOMPARE(shown.last().text, QStringLiteral("通信错误"));
    }

    void theCompareDialogNamesColumnsInChinese() {
        const std::vector<ConfigDifference> differences = {
            {"channel 3", "rx", "226.000", "226.500"},
            {"channel 16", "squelch", "", "L2"},
            {"settings", "baudRate", "1", "3"},
            {"header", "", "330681", "330682"},
            {"spareA", "131", "05", "07"},
            {"spareB", "258", "00", "AB"},
        };
        const QStringList lines = DifferenceLinesShown(differences);
        QCOMPARE(lines,
                 (QStringList{"信道3 接收频率: 226.000 -> 226.500", "信道16 静噪电平: （空） -> L2",
                              "设置 波特率: 1 -> 3", "头部: 330681 -> 330682",
                              "备用区A: 字节 131 05 -> 07", "备用区B: 字节 258 00 -> AB"}));
        CompareDialog dialog(lines);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("与电台比较"));
        QCOMPARE(dialog.text(), lines.join('\n'));
        dialog.show();
        Picture(&dialog, "compare-dialog.png");
        QCOMPARE(DifferenceLinesShown({}), QStringList{"无差异"});
    }
};

QTEST_MAIN(WriteChecksTest)
#include "write_checks_test.moc"
