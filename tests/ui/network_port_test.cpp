// 通信 > 选择串口 > 网络串口...: the dialog as the window shows it, a radio behind the test's
// own serial device server opened through it, the INI keeping it, and a server that goes.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "../link/device_server.h"
#include "cmainframe.h"
#include "corveltoolview.h"
#include "network_port_dialog.h"
#include "window_fixture.h"

using namespace orvel;
using namespace orvel::test;

class NetworkPortTest : public QObject, private WindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> frame;
    COrvelToolView* view = nullptr;  // owned by the frame
    std::unique_ptr<testing::DeviceServer> server;

    QString Label() const {
        auto* label = Control<QLabel>(frame.get(), "portLabel");
        return label->isHidden() ? QString() : label->text();
    }
    QString Url() const { return QString::fromStdString(server->Url()); }

    // Chooses 网络串口... and does `fill` to the dialog the window shows, once it is up.
    void ChooseNetworkPort(const std::function<void(NetworkPortDialog&)>& fill) {
        bool seen = false;
        QTimer::singleShot(0, view, [&] {
            auto* dialog = qobject_cast<NetworkPortDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            seen = true;
            fill(*dialog);
            // A check that failed inside leaves the dialog up: it must not hold the test.
            if (dialog->isVisible())
                dialog->reject();
        });
        Trigger(*view, "actionNetworkPort");
        QVERIFY(seen);
    }
    static void Type(NetworkPortDialog& dialog, const QString& url) {
        auto* edit = Control<QLineEdit>(&dialog, "networkPortUrl");
        edit->selectAll();
        QTest::keyClicks(edit, url);
    }
    static QPushButton* OpenButton(NetworkPortDialog& dialog) {
        for (auto* button : dialog.findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("打开"))
                return button;
        }
        return nullptr;
    }

private slots:
    void init() {
        Begin();
        radio = StartedRadio();
        server =
            std::make_unique<testing::DeviceServer>(radio->DevicePath(), testing::ServerFaults{});
    }
    void cleanup() {
        frame.reset();
        server.reset();
        End();
    }

    void theDialogOpensTheServersPortAndTheIniKeepsIt() {
        answer = QMessageBox::Ok;
        StartWindow(frame, view, QString());  // COM1: nothing there
        ChooseNetworkPort([&](NetworkPortDialog& dialog) {
            QCOMPARE(Control<QLineEdit>(&dialog, "networkPortUrl")->text(), QString());
            QVERIFY(!OpenButton(dialog)->isEnabled());
            Type(dialog, QStringLiteral("rfc2217://127.0.0.1"));
            QVERIFY(!OpenButton(dialog)->isEnabled());
            QCOMPARE(Control<QLabel>(&dialog, "networkPortProblem")->text(),
                     QStringLiteral("地址无效：no port: give HOST:PORT"));
            Type(dialog, Url());
            QVERIFY(OpenButton(dialog)->isEnabled());
            QVERIFY(Control<QLabel>(&dialog, "networkPortProblem")->isHidden());
            QTest::mouseClick(OpenButton(dialog), Qt::LeftButton);
        });
        QCOMPARE(view->serialPort().IsOpen(), 1);
        QCOMPARE(Label(), QStringLiteral("串口 ") + Url());
        QVERIFY(ActionOf(*view, "actionNetworkPort")->isChecked());
        QVERIFY(!ActionOf(*view, "actionCom1")->isChecked());
        const QByteArray ini = FileBytes(IniPath());
        QVERIFY2(ini.contains(("NetworkPort=" + Url()).toUtf8()), ini.constData());
        QVERIFY2(ini.contains(("Device=" + Url()).toUtf8()), ini.constData());
        Trigger(*view, "actionReadRadio");
        QCOMPARE(LogLines(*view).last(), QStringLiteral(" ***正确接收数据***"));

        // The next start opens it again, as it would a local port.
        frame.reset();
        StartWindow(frame, view, QString());
        QCOMPARE(view->serialPort().IsOpen(), 1);
        QCOMPARE(Label(), QStringLiteral("串口 ") + Url());
        QVERIFY(LogLines(*view).join('\n').contains(Url()));

        // A local port takes its place; the dialog still offers the last URL, and a cancel
        // leaves the port as it was.
        Trigger(*view, "actionCom2");
        QVERIFY(!ActionOf(*view, "actionNetworkPort")->isChecked());
        QVERIFY(!FileBytes(IniPath()).contains("Device="));
        ChooseNetworkPort([&](NetworkPortDialog& dialog) {
            QCOMPARE(Control<QLineEdit>(&dialog, "networkPortUrl")->text(), Url());
            dialog.reject();
        });
        QVERIFY(ActionOf(*view, "actionCom2")->isChecked());
        QVERIFY(FileBytes(IniPath()).contains(("NetworkPort=" + Url()).toUtf8()));
    }

    void aRefusedServerIsLoggedAndAServerThatGoesIsToldOnce() {
        StartWindow(frame, view, Device(*radio));
        const QString refused =
            QStringLiteral("socket://127.0.0.1:%1").arg(testing::RefusingPort());
        ChooseNetworkPort([&](NetworkPortDialog& dialog) {
            Type(dialog, refused);
            dialog.accept();
        });
        QCOMPARE(view->serialPort().IsOpen(), 0);
        QCOMPARE(LogLines(*view).last(), QStringLiteral("串口打开失败：串口 %1 无法打开：%1: the "
                                                        "server refused the connection")
                                             .arg(refused));
        QCOMPARE(Label(), QStringLiteral("串口 ") + refused + QStringLiteral("（未打开）"));

        ChooseNetworkPort([&](NetworkPortDialog& dialog) {
            Type(dialog, Url());
            dialog.accept();
        });
        QCOMPARE(view->serialPort().IsOpen(), 1);
        const QString gone = QStringLiteral("串口已断开：%1：服务器关闭了连接").arg(Url());
        server.reset();  // the server goes while the window is idle
        QTRY_COMPARE_WITH_TIMEOUT(LogLines(*view).last(), gone, 3000);
        QTest::qWait(200);
        QCOMPARE(LogLines(*view).count(gone), 1);
        QVERIFY(Label().endsWith(QStringLiteral("（未打开）")));
        Trigger(*view, "actionReadRadio");
        QCOMPARE(LogLines(*view).last(), QStringLiteral("串口没有打开，请重新选择串口"));
    }

    // The server hangs up in the middle of frame 8: the log says why, then where.
    void aServerLostMidWriteIsToldWithTheFrame() {
        server = std::make_unique<testing::DeviceServer>(
            radio->DevicePath(), testing::ServerFaults{.closeAfterBytes = 7 * 8 + 3});
        WriteIni("[Set]\r\nReadFirst=0\r\n");
        StartWindow(frame, view, Url());
        Trigger(*view, "actionWriteRadio");
        const QStringList lines = LogLines(*view);
        QCOMPARE(lines.mid(lines.size() - 3),
                 (QStringList{QStringLiteral("串口已断开：%1：服务器关闭了连接").arg(Url()),
                              QStringLiteral("写入数据[% 10] 失败"),
                              QStringLiteral("写入停在第 8 帧（共 66 帧，信道数据），"
                                             "电台可能已收下此前的各帧")}));
        QCOMPARE(shown.last().text, QStringLiteral("通讯失败"));
    }
};

QTEST_MAIN(NetworkPortTest)
#include "network_port_test.moc"
