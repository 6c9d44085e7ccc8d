// Editing beyond one row at a time: undo and redo of every kind of change, several chosen rows,
// copy and paste through the clipboard, and 批量设置 with its checks.
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "chighlightlistctrl.h"
#include "corveltoolview.h"
#include "fill_dialog.h"
#include "window_fixture.h"

using namespace orvel;
using namespace orvel::test;

namespace {

// The fill of the issue: 1..16 from 223.025 MHz in steps of 0.75 MHz, transmitting 0.5 MHz up.
const QStringList kFilledFrom223 = {
    "223.025,223.525", "223.775,224.275", "224.525,225.025", "225.275,225.775",
    "226.025,226.525", "226.775,227.275", "227.525,228.025", "228.275,228.775",
    "229.025,229.525", "229.775,230.275", "230.525,231.025", "231.275,231.775",
    "232.025,232.525", "232.775,233.275", "233.525,234.025", "234.275,234.775"};

}  // namespace

class EditTest : public QObject, private WindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<COrvelToolView> view;

    void Start(sim::RadioBehaviour behaviour = {}) {
        view = std::make_unique<COrvelToolView>();
        Catch(*view);
        radio = StartedRadio(behaviour);
        view->OnInitialUpdate({Device(*radio), {}});
    }
    // Channel n's six cells, comma-separated; "" for an empty row.
    QString Row(int channel) const {
        QStringList cells;
        for (int c = 1; c < 7; ++c)
            cells << QString::fromStdString(view->table()[channel - 1][c]);
        return cells.join(',') == ",,,,," ? QString() : cells.join(',');
    }
    void Choose(int firstChannel, int lastChannel) {
        QAbstractItemModel* model = view->channelList()->model();
        view->channelList()->selectionModel()->select(
            QItemSelection(model->index(firstChannel - 1, 0), model->index(lastChannel - 1, 6)),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view->OnRowClicked();
    }
    void Confirm(int channel, const QString& rx, const QString& tx, int power = 0) {
        Choose(channel, channel);
        view->findChild<QLineEdit*>("rxEdit")->setText(rx);
        view->findChild<QLineEdit*>("txEdit")->setText(tx);
        for (const char* combo : {"powerCombo", "rateCombo", "squelchCombo", "dataVoiceCombo"})
            view->findChild<QComboBox*>(combo)->setCurrentIndex(0);
        view->findChild<QComboBox*>("powerCombo")->setCurrentIndex(power);
        view->OnConfirm();
    }
    QString LastLine() const { return LogLines(*view).last(); }

    // Windows tells a program of a new clipboard by a message, not at once as X11's and the
    // offscreen platform do: the case goes on once the window can have heard of it.
    static void SetClipboard(const QString& text) {
        QSignalSpy changed(QGuiApplication::clipboard(), &QClipboard::dataChanged);
        QGuiApplication::clipboard()->setText(text);
        QTRY_VERIFY(!changed.isEmpty());
    }

private slots:
    void init() { Begin(); }
    void cleanup() {
        view.reset();
        End();
    }

    void aConfirmIsUndoneAndRedone() {
        Start();
        QVERIFY(!ActionOf(*view, "actionUndo")->isEnabled());
        Confirm(3, "224.5", "225");
        QCOMPARE(Row(3), "224.500,225.000,P1,1200,关,L1");
        QVERIFY(ActionOf(*view, "actionUndo")->isEnabled());
        QSignalSpy changed(&view->undoStack(), &QUndoStack::indexChanged);
        Trigger(*view, "actionUndo");
        QCOMPARE(Row(3), QString());
        QCOMPARE(LastLine(), "撤销：数据设置 [信道3]");
        QCOMPARE(view->channelNo(), 3);
        QVERIFY(!ActionOf(*view, "actionUndo")->isEnabled());
        Trigger(*view, "actionRedo");
        QCOMPARE(Row(3), "224.500,225.000,P1,1200,关,L1");
        QCOMPARE(LastLine(), "重做：数据设置 [信道3]");
        QCOMPARE(changed.count(), 2);
        // A confirm that changes nothing, and a refused one, are no steps.
        Confirm(3, "224.5", "225");
        Confirm(4, "300", "225");
        Trigger(*view, "actionUndo");
        QCOMPARE(Row(3), QString());
    }

    void aReadIsUndoneAndAFailedReadIsNoStep() {
        Start();
        Confirm(1, "230", "231", 4);
        const ChannelTable before = view->table();
        view->OnRead();
        QVERIFY(view->table() != before);
        Trigger(*view, "actionUndo");
        QCOMPARE(view->table(), before);
        QCOMPARE(LastLine(), "撤销：读取电台数据");
        // The panel shows channel 1 as the list holds it again.
        QCOMPARE(view->findChild<QLineEdit*>("rxEdit")->text(), "230.000");

        view.reset();
        Start(sim::RadioBehaviour{.cutImage = 50});
        view->OnRead();
        QVERIFY(!ActionOf(*view, "actionUndo")->isEnabled());
    }

    void openSettingsAndSeveralClearedRowsAreSteps() {
        QTemporaryDir folder;
        Start();
        view->findChild<QRadioButton*>("baud9600Button")->click();
        QCOMPARE(view->settings().baudRate, 3);
        Trigger(*view, "actionUndo");
        QCOMPARE(view->settings().baudRate, 1);
        QCOMPARE(LastLine(), "撤销：设置 波特率");

        view->OnRead();
        const ChannelTable read = view->table();
        chosenFile = folder.path() + "/a.dat";
        view->OnSaveAs();
        view->OnDefault();
        view->OnOpen();
        QCOMPARE(view->table(), read);
        Trigger(*view, "actionUndo");
        QCOMPARE(LastLine(), "撤销：打开 a.dat");
        QCOMPARE(view->table(), EmptyChannelTable());
        Trigger(*view, "actionUndo");  // 缺省
        QCOMPARE(view->table(), read);

        Choose(2, 4);
        QCOMPARE(view->channelNo(), 2);
        view->OnClear();
        for (int channel = 1; channel <= 5; ++channel)
            QCOMPARE(Row(channel).isEmpty(), channel >= 2 && channel <= 4);
        Trigger(*view, "actionUndo");
        QCOMPARE(view->table(), read);
    }

    void aHundredStepsAreKeptAndANewChangeDropsTheRedoSteps() {
        Start();
        for (int i = 0; i < 105; ++i)
            Confirm(1, QString::number(224 + i * 0.01, 'f', 2), "230");
        int undone = 0;
        while (ActionOf(*view, "actionUndo")->isEnabled()) {
            Trigger(*view, "actionUndo");
            ++undone;
        }
        QCOMPARE(undone, Document::kMaxSteps);
        QCOMPARE(Row(1), "224.040,230.000,P1,1200,关,L1");  // as the fifth confirm found it
        Trigger(*view, "actionRedo");
        Confirm(2, "230", "230");
        QVERIFY(!ActionOf(*view, "actionRedo")->isEnabled());
    }

    void copiedRowsPasteElsewhere() {
        Start();
        view->OnRead();
        Choose(1, 2);
        QVERIFY(ActionOf(*view, "actionCopy")->isEnabled());
        Trigger(*view, "actionCopy");
        const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(copied->text().split('\n').first().split('\t').size(), 7);
        QVERIFY(copied->hasFormat("application/x-orveltool-channels"));
        Choose(10, 10);
        // Windows tells of the clipboard's new content a moment later.
        QTRY_VERIFY(ActionOf(*view, "actionPaste")->isEnabled());
        Trigger(*view, "actionPaste");
        QCOMPARE(Row(10), Row(1));
        QCOMPARE(Row(11), Row(2));
        QCOMPARE(LastLine(), "粘贴 2 行");
    }

    void pastedRowsAreCheckedRowByRow_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows14to16");
        QTest::addColumn<QStringList>("lines");
        const QString header = "channel\trx\ttx\tpower\trate\tdataVoice\tsquelch\n";
        QTest::newRow("tabs, header, channel column, a fourth row dropped")
            << header +
                   "1\t223.5\t224\tP2\t2400\t开\tL3\n2\t224\t224\tP1\t1200\t关\tL1\n"
                   "3\t225\t225\tP1\t1200\t关\tL1\n4\t226\t226\tP1\t1200\t关\tL1\n"
            << QStringList{"223.500,224.000,P2,2400,开,L3", "224.000,224.000,P1,1200,关,L1",
                           "225.000,225.000,P1,1200,关,L1"}
            << QStringList{"粘贴：信道16之后的1行未粘贴", "粘贴 3 行"};
        QTest::newRow("semicolons; out of limits and unknown items leave their rows alone")
            << "236;224;P2;2400;开;L3\r\n223;223;P9;2400;开;L3\r\n223;235;P5;4800;关;L9\r\n"
            << QStringList{"230.000,230.000,P1,1200,关,L1", "", "223.000,235.000,P5,4800,关,L9"}
            << QStringList{"粘贴：信道14 接收频率数据非法", "粘贴：信道15 功率级别数据非法",
                           "粘贴 1 行"};
        QTest::newRow("commas; an empty row clears, a short line is refused")
            << ",,,,,\n223,224\n"
            << QStringList{"", "", ""}
            << QStringList{"粘贴：信道15 不是一行信道数据（应为6项，或以信道号开头的7项）",
                           "粘贴 1 行"};
    }
    void pastedRowsAreCheckedRowByRow() {
        QFETCH(QString, text);
        QFETCH(QStringList, rows14to16);
        QFETCH(QStringList, lines);
        Start();
        Confirm(14, "230", "230");
        SetClipboard(text);
        Choose(14, 14);
        QTRY_VERIFY(ActionOf(*view, "actionPaste")->isEnabled());
        Trigger(*view, "actionPaste");
        QCOMPARE(QStringList({Row(14), Row(15), Row(16)}), rows14to16);
        QCOMPARE(LogLines(*view).mid(LogLines(*view).size() - lines.size()), lines);
        Trigger(*view, "actionUndo");
        QCOMPARE(Row(14), "230.000,230.000,P1,1200,关,L1");
        SetClipboard("nothing to paste");
        QVERIFY(!ActionOf(*view, "actionPaste")->isEnabled());
    }

    void aFillMakesTheExpectedTable() {
        Start();
        FillPlan plan{1, 16, 223.025, 0.75, 0.5, {}};
        view->dialogs().fill = [&plan](const ChannelTable&, const FrequencyLimits&, int first,
                                       int last) -> std::optional<FillPlan> {
            if (first != 1 || last != 16)
                return std::nullopt;
            return plan;
        };
        Choose(1, 1);
        Trigger(*view, "actionFill");
        for (int channel = 1; channel <= 16; ++channel)
            QCOMPARE(Row(channel), kFilledFrom223[channel - 1] + ",P1,1200,关,L1");
        QCOMPARE(LastLine(), "批量设置 信道1-16");
    }

    // Rows the limits refuse stay as they were; a chosen item goes everywhere, an unchosen one
    // only where a row has none.
    void aFillLeavesRefusedRowsAndKeepsUnchosenValues() {
        Start();
        Confirm(1, "230", "230", 4);
        Confirm(12, "223", "223");
        FillPlan plan{1, 16, 229.0, 0.5, 1.0, {}};
        plan.choices[1] = {true, 2};  // rate 4800 everywhere
        view->dialogs().fill = [&plan](const ChannelTable&, const FrequencyLimits&, int,
                                       int) -> std::optional<FillPlan> { return plan; };
        Trigger(*view, "actionFill");
        QCOMPARE(Row(1), "229.000,230.000,P5,4800,关,L1");
        QCOMPARE(Row(11), "234.000,235.000,P1,4800,关,L1");
        QCOMPARE(Row(12), "223.000,223.000,P1,1200,关,L1");
        QCOMPARE(Row(16), QString());
        const QStringList lines = LogLines(*view);
        QVERIFY(lines.contains("批量设置：信道12 发送频率数据非法"));
        QVERIFY(lines.contains("批量设置：信道14 接收频率数据非法，发送频率数据非法"));
        Trigger(*view, "actionUndo");
        QCOMPARE(Row(11), QString());

        // The dialog's preview marks the same rows with the same reasons.
        FillDialog dialog(view->table(), {223, 235}, 1, 16);
        dialog.findChild<QDoubleSpinBox*>("fillStart")->setValue(229.0);
        dialog.findChild<QDoubleSpinBox*>("fillStep")->setValue(0.5);
        dialog.findChild<QDoubleSpinBox*>("fillOffset")->setValue(1.0);
        auto* preview = dialog.findChild<QTableWidget*>("fillPreview");
        QCOMPARE(preview->rowCount(), 16);
        QCOMPARE(preview->item(10, 7)->text(), QString());
        QCOMPARE(preview->item(13, 7)->text(), "接收频率数据非法，发送频率数据非法");
        QCOMPARE(preview->item(13, 1)->text(), "235.500");
    }
};

QTEST_MAIN(EditTest)
#include "edit_test.moc"
