// The programming record as the window keeps it: a record per read and per write, the read
// before a write with its safety copy, the comparison that asks before writing, the unit's
// label, and 文件 > 编程记录... listing, filtering, exporting and reopening what a radio held.
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "../link/device_server.h"
#include "app_paths.h"
#include "channel_file.h"
#include "corveltoolview.h"
#include "plan_library_dialog.h"
#include "radio_frame.h"
#include "record_dialog.h"
#include "record_store.h"
#include "record_table_model.h"
#include "unit_dialog.h"
#include "window_fixture.h"

using namespace orvel;
using namespace orvel::test;

namespace {

std::vector<ProgrammingRecord> Records(const RecordFilter& filter = {}) {
    std::vector<ProgrammingRecord> records;
    if (auto store = RecordStore::OpenFile(RecordFilePath().toStdString(), false))
        (void)(*store)->Query(filter, true).Into(records);
    return records;
}

QStringList Backups(const QString& pattern) {
    return QDir(BackupFolder()).entryList({pattern}, QDir::Files);
}

std::size_t WriteFrames(const sim::VirtualRadio& radio) {
    std::size_t count = 0;
    for (const RadioFrame& frame : radio.Frames())
        count += frame[1] == CmdWriteWord ? 1 : 0;
    return count;
}

}  // namespace

class RecordTest : public QObject, private WindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<COrvelToolView> view;
    MemoryImage held{};  // what the radio held before the test's write
    QStringList compared;
    bool goOn = true;
    std::optional<QString> unit;

    void Start(sim::RadioBehaviour behaviour = {}) {
        radio = StartedRadio(behaviour);
        held = radio->Image();
        view = std::make_unique<COrvelToolView>();
        Catch(*view);
        view->dialogs().confirmWrite = [this](const QStringList& lines) {
            compared = lines;
            return goOn;
        };
        view->dialogs().unitLabel = [this] { return unit; };
        COrvelToolView::StartOptions options;
        options.portOverride = Device(*radio);
        view->OnInitialUpdate(options);
    }
    // The window's work differs from the radio in channel 1's receive frequency.
    void EditChannelOne() {
        Control<QLineEdit>(view.get(), "rxEdit")->setText(QStringLiteral("226.5"));
        view->OnConfirm();
    }
    bool LogHas(const QString& text) const { return view->logText().contains(text); }

private slots:
    void init() {
        if (!RecordsAvailable())
            QSKIP("a build without Qt SQL keeps no records");
        Begin();
        compared.clear();
        goOn = true;
        unit.reset();
        QDir(BackupFolder()).removeRecursively();
        QFile::remove(RecordFilePath());
    }
    void cleanup() {
        view.reset();
        End();
    }

    void aReadAndAWriteEachLeaveOneRecord() {
        WriteIni("[Set]\r\nStation=bench-7\r\nOperator=li\r\n");
        Start();
        view->OnRead();
        std::vector<ProgrammingRecord> records = Records();
        QCOMPARE(records.size(), std::size_t{1});
        const ProgrammingRecord read = records.front();
        QCOMPARE(Text(read.action), std::string("read"));
        QCOMPARE(read.program, std::string("orveltool"));
        QCOMPARE(read.port, radio->DevicePath());
        QCOMPARE(read.radioId, std::string("ORVEL-R1"));
        QCOMPARE(read.station, std::string("bench-7"));
        QCOMPARE(read.operatorName, std::string("li"));
        QCOMPARE(read.outcome, std::string("ok"));
        QCOMPARE(Text(read.exitClass), std::string("ok"));
        QCOMPARE(read.planSha256, Sha256Hex(held));
        QVERIFY(read.after == held);
        QVERIFY(!read.before);

        // A plan from a file: its name and the SHA-256 of the bytes written.
        QTemporaryDir folder;
        chosenFile = folder.filePath("plan.dat");
        EditChannelOne();
        view->OnSaveAs();
        view->OnWrite();
        QCOMPARE(Texts().last(), QStringLiteral("正确写入数据"));
        records = Records();
        QCOMPARE(records.size(), std::size_t{2});
        const ProgrammingRecord& write = records.front();
        QCOMPARE(Text(write.action), std::string("write"));
        QCOMPARE(write.planFile, std::string("plan.dat"));
        QCOMPARE(write.planSha256, Sha256Hex(view->image()));
        QVERIFY(write.verified);
        QCOMPARE(Text(write.exitClass), std::string("ok"));
        QVERIFY(write.before == held);
        QVERIFY(write.after == radio->Image());
        QVERIFY(write.id != read.id);
    }

    void theReadFirstKeepsWhatTheRadioHeld() {
        Start();
        QVERIFY(ActionOf(*view, "actionReadFirst")->isChecked());
        QVERIFY(!ActionOf(*view, "actionCompareFirst")->isChecked());
        view->OnRead();
        EditChannelOne();
        view->OnWrite();
        const QStringList before = Backups("*-before.dat");
        QCOMPARE(before.size(), 1);
        QCOMPARE(FileBytes(QDir(BackupFolder()).filePath(before.first())),
                 QByteArray(reinterpret_cast<const char*>(ChannelFileBytes(held).data()),
                            static_cast<qsizetype>(ChannelFileBytes(held).size())));
        QVERIFY(Records().front().before == held);
        QVERIFY(radio->Image() != held);

        // Off, and remembered: the next window writes without reading first.
        Trigger(*view, "actionReadFirst");
        QVERIFY(FileBytes(IniPath()).contains("ReadFirst=0"));
        view.reset();
        Start();
        QVERIFY(!ActionOf(*view, "actionReadFirst")->isChecked());
        view->OnRead();
        view->OnWrite();
        QCOMPARE(Backups("*-before.dat").size(), 1);
        QVERIFY(!Records().front().before);
    }

    void aFailedReadFirstWritesNothing() {
        sim::RadioBehaviour cut;
        cut.cutImage = 100;
        Start(cut);
        view->OnWrite();
        QCOMPARE(WriteFrames(*radio), std::size_t{0});
        QVERIFY(LogHas(QStringLiteral("写入前读出电台失败，没有写入：接收数据超时")));
        QVERIFY(Backups("*-write.dat").isEmpty());
        const ProgrammingRecord record = Records().front();
        QCOMPARE(Text(record.action), std::string("write"));
        QCOMPARE(Text(record.exitClass), std::string("communication"));
        QCOMPARE(record.outcome, std::string("read before the write: received 100 of 260 bytes"));
    }

    void aFailureIsClassedAsOrvelctlClassesIt() {
        WriteIni("[Set]\r\nReadFirst=0\r\n");
        sim::RadioBehaviour noisy;
        noisy.badChecksum = true;
        Start(noisy);
        view->OnRead();
        QCOMPARE(Text(Records().front().exitClass), std::string("data"));
        QCOMPARE(Records().front().outcome, std::string("the image read fails its checksum"));
        // No port at all: the write's record says so.
        view.reset();
        view = std::make_unique<COrvelToolView>();
        Catch(*view);
        COrvelToolView::StartOptions options;
        options.portOverride = QStringLiteral("/dev/no-such-port-i37");
        view->OnInitialUpdate(options);
        view->OnWrite();
        QCOMPARE(Text(Records().front().action), std::string("write"));
        QCOMPARE(Text(Records().front().exitClass), std::string("port"));
    }

    void theComparisonAsksAndItsCancelWritesNothing() {
        Start();
        view->OnRead();
        Trigger(*view, "actionReadFirst");  // the comparison reads first all the same
        Trigger(*view, "actionCompareFirst");
        QVERIFY(FileBytes(IniPath()).contains("CompareFirst=1"));
        EditChannelOne();
        goOn = false;
        view->OnWrite();
        QCOMPARE(WriteFrames(*radio), std::size_t{0});
        QVERIFY(!compared.isEmpty());
        QVERIFY(compared.first().startsWith(QStringLiteral("信道1 接收频率: ")));
        QVERIFY(compared.first().endsWith(QStringLiteral(" -> 226.500")));
        QVERIFY(LogHas(QStringLiteral("已取消写入，电台保持原样")));
        QCOMPARE(Records().size(), std::size_t{1});  // the read's

        goOn = true;
        view->OnWrite();
        QCOMPARE(WriteFrames(*radio), std::size_t{66});
        QVERIFY(Records().front().before == held);
    }

    void theUnitsLabelLandsInTheRecordAndItsCancelWritesNothing() {
        // A station name no label can be: the host name stands in, and the log says so.
        WriteIni("[Set]\r\nAskUnit=1\r\nStation=" + QByteArray(201, 's') + "\r\n");
        Start();
        view->OnRead();
        view->OnWrite();
        QCOMPARE(WriteFrames(*radio), std::size_t{0});
        QCOMPARE(Records().size(), std::size_t{1});
        // Stored as given, quotes and all.
        unit = QStringLiteral("SN-0042 \"A\"");
        view->OnWrite();
        QCOMPARE(WriteFrames(*radio), std::size_t{66});
        QCOMPARE(Records().front().unit, std::string("SN-0042 \"A\""));
        QCOMPARE(Records().front().station, DefaultStation());
        QVERIFY(LogHas(QStringLiteral("编程记录：INI 的 Station= 不能使用")));

        UnitDialog dialog;  // refuses what orvelctl refuses, and says why
        QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        for (const auto& [text, taken] :
             {std::pair{QString(200, 'x'), true}, std::pair{QString(201, 'x'), false},
              std::pair{QStringLiteral("SN\t7"), false},
              std::pair{QStringLiteral("单元") + QString(195, 'x'), false}}) {
            Control<QLineEdit>(&dialog, "unitLabel")->setText(text);
            QCOMPARE(ok->isEnabled(), taken);
            QCOMPARE(Control<QLabel>(&dialog, "unitLabelProblem")->text().isEmpty(), taken);
        }
    }

    void aHundredThousandRecordsOpenAPageAtATime() {
        QVERIFY(RecordStore::OpenFile(RecordFilePath().toStdString()).ok());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "fill");
            db.setDatabaseName(RecordFilePath());
            QVERIFY(db.open());
            // Seven to a second, so a page ends inside a second; a plan that looks like markup.
            QVERIFY(QSqlQuery(db).exec(
                "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99999) "
                "INSERT INTO orvel_records (id, started_utc, ended_utc, station, operator_name, "
                "program, program_version, action, port, plan_sha256, outcome, exit_class, "
                "verified) SELECT printf('%08x-0000-4000-8000-000000000000', i), "
                "strftime('%Y-%m-%dT%H:%M:%S.000Z', 1800000000 + i / 7, 'unixepoch'), '', 'b', "
                "'li', 'orveltool', '1', 'write', 'COM1', '<img src=x>', 'ok', 'ok', 1 FROM n"));
        }
        QSqlDatabase::removeDatabase("fill");
        RecordDialog dialog(RecordPlace{RecordFilePath().toStdString(), {}});
        RecordTableModel* model = dialog.model();
        QCOMPARE(model->rowCount(), int(RecordTableModel::kPageSize));
        QCOMPARE(dialog.statusText(), QStringLiteral("记录数：100000"));
        QVERIFY(model->data(model->index(0, RecordTableModel::Plan), Qt::ToolTipRole)
                    .toString()
                    .startsWith(QStringLiteral("<p>&lt;img")));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // On an 800x600 screen the dialog and its buttons stay within reach.
        QVERIFY(dialog.width() <= dialog.screen()->availableGeometry().width());
        Control<QTableView>(&dialog, "recordTable")->scrollToBottom();
        QTRY_COMPARE(model->rowCount(), 2 * int(RecordTableModel::kPageSize));
        RecordFilter newest;  // the second page goes on where the first ended
        newest.limit = 2 * RecordTableModel::kPageSize;
        const auto listed = Records(newest);
        for (std::size_t row = 0; row < listed.size(); ++row)
            QCOMPARE(model->record(int(row)).id, listed[row].id);
    }

    // A server not reached: the log says so in the window's words, the server's own kept.
    void aRecordWaitingForItsServerIsToldInTheWindowsLanguage() {
#ifdef _WIN32
        QSKIP("under wine this process crashes in the loader as the server driver connects");
#endif
        const QString url =
            QStringLiteral("postgresql://bench@127.0.0.1:%1/orvel").arg(testing::RefusingPort());
        WriteIni(("[Set]\r\nRecord=" + url + "\r\n").toUtf8());
        Start();
        const auto told = [this] { return LogLines(*view).filter(QStringLiteral("编程记录：")); };
        view->OnRead();
        QTRY_COMPARE(told().size(), 1);  // from the records' own thread
        view->OnRead();
        QTRY_COMPARE(told().size(), 2);
        const QStringList lines = told();
        const QString waits =
            QStringLiteral("暂存于待发区 %1，等服务器收下：").arg(RecordFilePath());
        QVERIFY2(lines[0].contains(waits + url + ": "), qPrintable(lines[0]));
        QVERIFY2(lines[1].endsWith(waits + url + QStringLiteral("：刚才连接不上，暂不重试")),
                 qPrintable(lines[1]));
    }

    void theRecordDialogListsFiltersExportsAndOpensAnImage() {
        WriteIni("[Set]\r\nAskUnit=1\r\n");
        Start();
        view->OnRead();
        unit = QStringLiteral("SN-1");
        view->OnWrite();
        EditChannelOne();
        unit = QStringLiteral("SN-2");
        view->OnWrite();
        const RecordPlace place{RecordFilePath().toStdString(), {}};
        {
            RecordDialog dialog(place);
            QCOMPARE(dialog.model()->rowCount(), 3);
            QCOMPARE(dialog.model()->record(0).unit, std::string("SN-2"));
            QCOMPARE(dialog.model()->data(dialog.model()->index(0, RecordTableModel::Result)),
                     QVariant(QStringLiteral("校验通过")));
            Control<QLineEdit>(&dialog, "recordUnitFilter")->setText(QStringLiteral("SN-1"));
            dialog.refresh();
            QCOMPARE(dialog.model()->rowCount(), 1);
            Control<QLineEdit>(&dialog, "recordSinceFilter")->setText(QStringLiteral("2999-01-01"));
            dialog.refresh();
            QCOMPARE(dialog.model()->rowCount(), 0);
            Control<QLineEdit>(&dialog, "recordSinceFilter")->setText(QStringLiteral("soon"));
            dialog.refresh();
            QVERIFY(dialog.statusText().contains(QStringLiteral("2026-12-07")));
            Control<QLineEdit>(&dialog, "recordSinceFilter")->clear();
            Control<QLineEdit>(&dialog, "recordUnitFilter")->clear();
            Control<QLineEdit>(&dialog, "recordStationFilter")
                ->setText(QStringLiteral("elsewhere"));
            dialog.refresh();
            QCOMPARE(dialog.model()->rowCount(), 0);
            Control<QLineEdit>(&dialog, "recordStationFilter")->clear();
            // A plan by its SHA-256, in either case.
            Control<QLineEdit>(&dialog, "recordPlanFilter")
                ->setText(QString::fromStdString(Records().front().planSha256).toUpper());
            dialog.refresh();
            QCOMPARE(dialog.model()->rowCount(), 1);
            QCOMPARE(dialog.model()->record(0).unit, std::string("SN-2"));
            // Its start as the 方案 column shows it; under 8 digits it is a name.
            for (const auto& [digits, rows] : {std::pair{7, 0}, std::pair{12, 1}}) {
                Control<QLineEdit>(&dialog, "recordPlanFilter")
                    ->setText(QString::fromStdString(Records().front().planSha256).left(digits));
                dialog.refresh();
                QCOMPARE(dialog.model()->rowCount(), rows);
            }

            // The export takes the records listed.
            QTemporaryDir folder;
            const QString csv = folder.filePath("records.csv");
            dialog.exportFileName = [&csv](const QString&) { return csv; };
            dialog.exportCsv();
            const QList<QByteArray> rows = FileBytes(csv).split('\n');
            QVERIFY(rows.first().startsWith("id,started_utc,ended_utc,station,operator_name,"));
            QCOMPARE(rows.size(), 3);  // the header, the record, and the end after it
            QVERIFY(rows[1].contains(",SN-2,"));
            Control<QLineEdit>(&dialog, "recordPlanFilter")->clear();
            dialog.refresh();
            QCOMPARE(dialog.model()->rowCount(), 3);

            Control<QPushButton>(&dialog, "recordOpenBefore")->click();
            QVERIFY(dialog.result() == QDialog::Accepted);
            QVERIFY(dialog.chosenImage());
            QVERIFY(dialog.chosenImage()->image == *Records().front().before);
            QVERIFY(dialog.chosenImage()->image != radio->Image());
        }

        // The chosen image opens unsaved, after the question about the work in the window.
        std::optional<RecordImage> chosen = RecordImage{held, QStringLiteral("old")};
        view->dialogs().records = [&chosen](const RecordSettings&) { return chosen; };
        QTemporaryDir work;
        chosenFile = work.filePath("work.dat");
        view->OnSaveAs();  // it is no longer that file's
        Control<QLineEdit>(view.get(), "rxEdit")->setText(QStringLiteral("227"));
        view->OnConfirm();
        answer = QMessageBox::Cancel;
        shown.clear();
        Trigger(*view, "actionRecords");
        QCOMPARE(Texts(), QStringList{"是否保存对信道数据的修改？"});
        QCOMPARE(view->table()[0][1], std::string("227.000"));
        answer = QMessageBox::Discard;
        Trigger(*view, "actionRecords");
        QVERIFY(view->image() == held);
        QVERIFY(view->isModified());
        QVERIFY(view->filePath().isEmpty());
    }

    // A plan added from the window, a unit assigned it: 按单元写入 opens it for the unit, the
    // write's record names the plan's version, or says the bytes were edited, and the record
    // dialog marks a unit's verified write that is not its plan's newest version.
    void aUnitsPlanOpensForItAndTheRecordsSayWhetherItWentOut() {
        WriteIni("[Set]\r\nAskUnit=1\r\n");
        Start();
        view->OnRead();
        EditChannelOne();
        unit = QStringLiteral("SN-1");
        view->OnWrite();
        // The window's document, as a write would send it, added as a plan twice.
        MemoryImage planned;
        QStringList said;
        view->dialogs().planLibrary = [&](const RecordSettings& settings,
                                          const MemoryImage& current, const QString& name) {
            planned = current;
            PlanLibraryDialog library(settings, current, name);
            library.askName = [](const QString&) { return std::optional<QString>("Site12"); };
            for (int i = 0; i < 2; ++i) {
                Control<QPushButton>(&library, "planAdd")->click();
                said << library.statusText();
            }
            if (const auto* table = Control<QTableView>(&library, "planTable"))
                said << table->model()->index(0, 0).data().toString();  // its one version listed
            return std::optional<PlanVersion>();
        };
        Trigger(*view, "actionPlanLibrary");
        QCOMPARE(said,
                 QStringList({QStringLiteral("已添加方案 Site12 第 1 版"),
                              QStringLiteral("方案 Site12 第 1 版已是这些数据，没有添加新版本"),
                              QStringLiteral("Site12")}));
        RecordSettings settings;
        settings.place.localFile = RecordFilePath().toStdString();
        auto store = RecordStore::OpenFile(RecordFilePath().toStdString(), false);
        QVERIFY(store && (*store)->Assign({Assignment("SN-7", "Site12")}).ok());
        // Other bytes, then the window's again: the unit's plan is the third version.
        for (const MemoryImage& image : {MemoryImage{}, planned})
            QVERIFY((*store)->AddPlan({"Site12", 0, "", image, "", "", "", ""}).ok());

        for (const char* label : {"SN-9", "SN-7"}) {
            unit = QString::fromUtf8(label);
            Trigger(*view, "actionWriteByUnit");
        }
        QCOMPARE(Texts().last(), QStringLiteral("单元 SN-9 没有分配方案，没有打开"));
        QCOMPARE(view->documentTitle(), QStringLiteral("单元 SN-7 — 方案 Site12 第 3 版"));
        QVERIFY(!view->isModified());
        unit = QStringLiteral("asked");  // the unit it was opened for is not asked again
        view->OnWrite();
        Control<QLineEdit>(view.get(), "rxEdit")->setText(QStringLiteral("227"));
        view->OnConfirm();
        view->OnWrite();
        QVERIFY(LogHas(QStringLiteral("写入的数据已编辑，不是方案 Site12 第 3 版的原样")));
        const std::vector<ProgrammingRecord> records = Records();
        QCOMPARE(records[1].unit, std::string("SN-7"));
        QCOMPARE(records[1].planFile, std::string("Site12@3"));
        QCOMPARE(records[1].planSha256, Sha256Hex(planned));
        QCOMPARE(records[0].planFile, std::string("Site12@3 (edited)"));
        QCOMPARE(records[0].unit, std::string("SN-7"));
        Trigger(*view, "actionVerifyWrites");  // a write not verified is no proof either way
        view->OnWrite();

        RecordDialog dialog(settings.place);
        const auto assigned = [&dialog](int row) {
            return dialog.model()->data(dialog.model()->index(row, RecordTableModel::Assigned));
        };
        QCOMPARE(assigned(0), QVariant(QStringLiteral("Site12")));  // not verified
        QCOMPARE(assigned(1), QVariant(QStringLiteral("Site12（写入的不是最新版本）")));
        QCOMPARE(assigned(2), QVariant(QStringLiteral("Site12")));
        QCOMPARE(dialog.model()->rowCount(), 5);  // and the read before the first write
        QCOMPARE(assigned(3), QVariant());        // a unit with no plan

        QString suggested;
        view->dialogs().planLibrary = [&](const RecordSettings&, const MemoryImage&,
                                          const QString& name) {
            suggested = name;
            PlanVersion first;
            (void)(*store)->Plan("Site12", 1).Into(first);
            return std::optional<PlanVersion>(first);
        };
        answer = QMessageBox::Discard;
        Trigger(*view, "actionPlanLibrary");
        QCOMPARE(suggested, QStringLiteral("Site12"));
        QCOMPARE(view->documentTitle(), QStringLiteral("方案 Site12 第 1 版"));
        QVERIFY(view->image() == planned);
        QTemporaryDir folder;
        chosenFile = folder.filePath("site12.dat");
        view->OnSaveAs();  // a file ends what it was opened from
        QCOMPARE(view->documentTitle(), QString());
    }
};

QTEST_MAIN(RecordTest)
#include "record_test.moc"
