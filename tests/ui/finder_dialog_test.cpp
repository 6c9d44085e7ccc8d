// The finder against several virtual radios at once: one behind the window's open port, one
// answering, one silent, one held by another program and one missing path.
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "find_radio_dialog.h"
#include "port.h"
#include "window_fixture.h"

using namespace orvel;
using orvel::test::StartedRadio;

namespace {

QString Text(const FindRadioDialog& dialog, int row, int column) {
    return dialog.table()->item(row, column)->text();
}

}  // namespace

class FinderDialogTest : public QObject {
    Q_OBJECT

private slots:
    void everyPortGetsItsRowAndOnlyARadioCanBeChosen() {
        auto windowRadio = StartedRadio();
        auto answering = StartedRadio({.identity = "ABCDEFGH"});
        auto silent = StartedRadio({.silent = true});
        auto held = StartedRadio();
        Port windowPort;
        QCOMPARE(windowPort.OpenDevice(windowRadio->DevicePath()), 1);
        Port otherProgram;
        QCOMPARE(otherProgram.OpenDevice(held->DevicePath()), 1);

        FindRadioDialog dialog({{"current", windowRadio->DevicePath(), true},
                                {"answering", answering->DevicePath(), false},
                                {"silent", silent->DevicePath(), false},
                                {"held", held->DevicePath(), false},
                                {"gone", "/dev/orvel-missing-port", false}},
                               &windowPort);
        auto* use = dialog.findChild<QPushButton*>(QStringLiteral("useButton"));
        auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("cancelButton"));
        for (const char* name :
             {"useButton", "cancelButton", "statusLabel", "busyBar", "portTable"})
            QVERIFY2(dialog.findChild<QWidget*>(QLatin1String(name)) != nullptr, name);
        QCOMPARE(Text(dialog, 2, 1), QStringLiteral("查找中…"));
        QVERIFY(!use->isEnabled());
        dialog.StartSearch();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isSearching(), 10000);

        const QStringList expected = {"ORVEL-R1", "ABCDEFGH", "无应答", "被占用", "不存在"};
        const int heldRow = 3;  // checked last: wine cannot show it
        for (int row = 0; row < 5; ++row) {
            if (row != heldRow)
                QCOMPARE(Text(dialog, row, 1), expected[row]);
        }
        QCOMPARE(Text(dialog, 0, 0), QStringLiteral("current（当前）"));
        QCOMPARE(windowPort.IsOpen(), 1);  // asked through itself, not found busy
        QCOMPARE(cancel->text(), QStringLiteral("关闭"));
        QCOMPARE(dialog.table()->currentRow(), 0);  // the first radio is offered
        QVERIFY(use->isEnabled());
        QVERIFY(dialog.table()->verticalHeader()->isHidden());  // no row numbers
        QTest::keyClick(dialog.table(), Qt::Key_F2);            // a row is chosen, never edited
        QVERIFY(dialog.table()->findChild<QLineEdit*>() == nullptr);

        dialog.table()->selectRow(2);
        QVERIFY(!use->isEnabled());
        QVERIFY(!dialog.Choose(2));
        QVERIFY(!dialog.Choose(4));
        QVERIFY(dialog.Choose(1));
        QCOMPARE(dialog.chosenName(), QStringLiteral("answering"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        // The ports the search opened are free again.
        Port after;
        QCOMPARE(after.OpenDevice(answering->DevicePath()), 1);

        ORVEL_NOT_UNDER_WINE(HELD_PORT_OPENS_TWICE);
        QCOMPARE(Text(dialog, heldRow, 1), expected[heldRow]);
    }

    void closingCallsTheSearchOff() {
        auto silent = StartedRadio({.silent = true});
        auto other = StartedRadio({.silent = true});
        {
            FindRadioDialog dialog(
                {{"a", silent->DevicePath(), false}, {"b", other->DevicePath(), false}}, nullptr);
            dialog.StartSearch();
            QVERIFY(dialog.isSearching());
            dialog.reject();
            QVERIFY(dialog.chosenName().isEmpty());
        }
        // Both ports were let go: nothing holds them.
        Port after;
        QCOMPARE(after.OpenDevice(silent->DevicePath()), 1);
    }

    void aDeviceIsSearchedOnceUnderItsFirstName() {
#ifdef _WIN32
        ORVEL_POSIX_ONLY("a symbolic link names the same device");
#else
        auto radio = StartedRadio();
        QTemporaryDir folder;
        const QString link = folder.filePath(QStringLiteral("radio"));
        QVERIFY(QFile::link(QString::fromStdString(radio->DevicePath()), link));
        const auto ports = FindRadioDialog::PortsToSearch(link, radio->DevicePath(), true);
        QVERIFY(!ports.empty());
        QCOMPARE(ports.back().name, link);
        QVERIFY(ports.back().open);  // the link names the open device
        for (const auto& port : ports)
            QVERIFY(port.device != radio->DevicePath());
        const auto closed = FindRadioDialog::PortsToSearch(QString(), radio->DevicePath(), false);
        QCOMPARE(closed.back().device, radio->DevicePath());
        QVERIFY(!closed.back().open);
#endif
    }
};

QTEST_MAIN(FinderDialogTest)
#include "finder_dialog_test.moc"
