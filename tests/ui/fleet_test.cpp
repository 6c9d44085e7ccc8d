// 通信 > 机群状态...: three units of one plan (one radio holding it, one with a channel changed,
// one on a port that is not there; a fourth another bench's run reads) checked, the one that
// differs written after the question, and a check stopped by 取消 before the units not begun.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>
#include <memory>

#include "app_paths.h"
#include "cell_rules.h"
#include "fleet_dialog.h"
#include "fleet_table_model.h"
#include "radio_operations.h"
#include "record_store.h"
#include "window_fixture.h"

using namespace orvel;
using namespace orvel::test;

namespace {

// The bytes a write of `image` sends, with channel 1's receive frequency `rx` when given.
MemoryImage PlanBytes(const MemoryImage& image, const char* rx = nullptr) {
    DecodedImage decoded = DecodeAsShown(image, DecodeSource::FromFile, {223, 235});
    if (rx != nullptr)
        decoded.table[0][1] = rx;
    return WrittenImage(image, WriteRequest{decoded.table, decoded.settings, {}});
}

}  // namespace

class FleetTest : public QObject, private WindowFixture {
    Q_OBJECT

    const MemoryImage plan = PlanBytes(sim::VirtualRadio::DefaultImage());
    std::unique_ptr<sim::VirtualRadio> changed;
    std::unique_ptr<FleetDialog> dialog;
    QStringList asked;

    void Library(const std::vector<UnitAssignment>& units) {
        auto store = RecordStore::OpenFile(RecordFilePath().toStdString());
        QVERIFY(store && (*store)->AddPlan({"P", 0, "", plan, "", "", "", ""}).ok());
        QVERIFY((*store)->Assign(units).ok());
    }
    void Open() {
        RecordSettings settings;
        QVERIFY(RecordSettingsFromConfig(Configuration(), settings).ok());
        settings.place.localFile = RecordFilePath().toStdString();
        dialog = std::make_unique<FleetDialog>(settings, Configuration());
        dialog->confirmWrite = [this](const QString& question) {
            asked << question;
            return true;
        };
    }
    // Presses the button and waits for the run it starts to end.
    void Run(const char* button) {
        QSignalSpy finished(dialog.get(), &FleetDialog::runFinished);
        Control<QPushButton>(dialog.get(), button)->click();
        QVERIFY(finished.wait(30000));
    }
    QStringList Column(int column) const {
        QStringList texts;
        for (int row = 0; row < dialog->model()->rowCount(); ++row)
            texts << dialog->model()->index(row, column).data().toString();
        return texts;
    }

private slots:
    void init() {
        if (!RecordsAvailable())
            QSKIP("a build without Qt SQL keeps no records");
        Begin();
        QFile::remove(RecordFilePath());
        asked.clear();
    }
    void cleanup() {
        dialog.reset();
        changed.reset();
        End();
    }

    void theFleetIsCheckedAndOnlyTheUnitThatDiffersIsWritten() {
        radio = StartedRadio({}, plan);
        changed = StartedRadio({}, PlanBytes(plan, "231.000"));
        Library({Assignment("SN-1", "P", radio->DevicePath(), "north"),
                 Assignment("SN-2", "P", changed->DevicePath(), "north"),
                 Assignment("SN-3", "P", "/dev/orvel-gone", "south"),
                 Assignment("SN-4", "P", changed->DevicePath(), "north")});
        // Another bench's run reads SN-4: it is left to that run, and not written here.
        {
            const auto other = RecordStore::OpenFile(RecordFilePath().toStdString());
            QVERIFY(other && (*other)->Claim({"other", 0}, {"SN-4"}, 600000).ok());
        }
        Open();
        QCOMPARE(dialog->countsText(), QStringLiteral("4 个单元：4 尚未检查"));

        Run("fleetCheck");
        QCOMPARE(Column(FleetTableModel::State),
                 (QStringList{"符合方案", "与方案不同", "无法连接", "由其他工作台处理"}));
        QVERIFY(Column(FleetTableModel::Detail)[1].contains("231.000"));
        QVERIFY(Column(FleetTableModel::Detail)[2].contains("no such port"));
        QCOMPARE(
            dialog->countsText(),
            QStringLiteral("4 个单元：1 符合方案，1 与方案不同，1 无法连接，1 由其他工作台处理"));
        QSet<QRgb> colours;
        for (int row = 0; row < 4; ++row)
            colours << dialog->model()
                           ->index(row, FleetTableModel::State)
                           .data(Qt::ForegroundRole)
                           .value<QColor>()
                           .rgb();
        QCOMPARE(colours.size(), 4);

        // All chosen: only the unit that differs is out of line, and only its radio is written.
        Control<QTableView>(dialog.get(), "fleetTable")->selectAll();
        Run("fleetWrite");
        QCOMPARE(asked, QStringList{"将写入 1 台电台。继续吗？"});
        QCOMPARE(Column(FleetTableModel::State)[1], QStringLiteral("已写入"));
        QVERIFY(DecodeAsShown(changed->Image(), DecodeSource::FromRadio, {223, 235}).table ==
                DecodeAsShown(plan, DecodeSource::FromFile, {223, 235}).table);

        Run("fleetCheck");
        QCOMPARE(dialog->countsText(),
                 QStringLiteral("4 个单元：2 符合方案，1 无法连接，1 由其他工作台处理"));
        // Opened again, each unit reads as its latest record left it; a site shows its own.
        Open();
        QCOMPARE(Column(FleetTableModel::State),
                 (QStringList{"符合方案", "符合方案", "无法连接", "尚未检查"}));
        QVERIFY(!Column(FleetTableModel::Seen)[0].isEmpty());
        // A newer version of the plan: the two units last seen in plan hold version 1 now.
        {
            const auto store = RecordStore::OpenFile(RecordFilePath().toStdString());
            const MemoryImage newer = PlanBytes(plan, "230.000");
            QVERIFY(store && (*store)->AddPlan({"P", 0, "", newer, "", "", "", ""}).ok());
        }
        Open();
        QCOMPARE(Column(FleetTableModel::Detail).mid(0, 2), QStringList(2, "持有 P@1"));
        Control<QComboBox>(dialog.get(), "fleetSiteFilter")->setCurrentText("south");
        QCOMPARE(Column(FleetTableModel::Unit), QStringList{"SN-3"});
        QString opened;
        dialog->showRecords = [&](const QString& unit) { opened = unit; };
        auto* table = Control<QTableView>(dialog.get(), "fleetTable");
        table->setCurrentIndex(dialog->model()->index(0, 0));
        Control<QPushButton>(dialog.get(), "fleetRecords")->click();
        QCOMPARE(opened, QStringLiteral("SN-3"));
    }

    // 取消 begins no further unit: the units behind one port are read one after another, and
    // those not begun stay unchecked.
    void cancelLeavesTheUnitsNotBegunUnchecked() {
        sim::RadioBehaviour paced;
        paced.pace = true;
        radio = StartedRadio(paced, plan);
        std::vector<UnitAssignment> units;
        for (const char* unit : {"A", "B", "C", "D", "E"})
            units.push_back(Assignment(unit, "P", radio->DevicePath()));
        Library(units);
        Open();
        QSignalSpy finished(dialog.get(), &FleetDialog::runFinished);
        Control<QPushButton>(dialog.get(), "fleetCheck")->click();
        QVERIFY(Control<QPushButton>(dialog.get(), "fleetCancel")->isEnabled());
        Control<QPushButton>(dialog.get(), "fleetCancel")->click();
        QVERIFY(!Control<QPushButton>(dialog.get(), "fleetCancel")->isEnabled());
        QVERIFY(finished.wait(30000));
        QVERIFY(Column(FleetTableModel::State).count("尚未检查") >= 4);
        QVERIFY(dialog->statusText().startsWith("已取消："));
        QVERIFY(Control<QPushButton>(dialog.get(), "fleetCheck")->isEnabled());
    }
};

QTEST_MAIN(FleetTest)
#include "fleet_test.moc"
