// The window and its port on a real bench: a cable that comes out (idle, reading, writing, in
// the current-channel dialog), the port in use on the toolbar and in the port menu, and the
// finder's choice taken as a port choice.
#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <ctime>
#include <memory>

#include "cmainframe.h"
#include "corveltoolview.h"
#include "current_channel_dialog.h"
#include "window_fixture.h"

using namespace orvel;
using namespace orvel::test;

namespace {

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

#ifndef _WIN32
// What a session's log-out does to the test process, as long as a test asks for it.
std::atomic<int> heardSignal{0};
extern "C" void HearSignal(int signal) {
    heardSignal.store(signal);
}
#endif

}  // namespace

class PortTest : public QObject, private WindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> frame;
    COrvelToolView* view = nullptr;  // owned by the frame
    QTemporaryDir folder;

    // The window on `port` (the radio's terminal when empty), or on the configured port.
    void Start(const QString& port, bool configured = false) {
        answer = QMessageBox::Ok;
        StartWindow(frame, view, configured ? QString() : port.isEmpty() ? Device(*radio) : port);
    }
    void StartOnRadio(sim::RadioBehaviour behaviour = {}) {
        radio = StartedRadio(behaviour);
        Start(QString());
    }

    QStringList LogLines() const { return test::LogLines(*view); }
    QString Gone() const { return QStringLiteral("串口已断开：") + Device(*radio); }
    QString Label() const {
        auto* label = Control<QLabel>(frame.get(), "portLabel");
        return label->isHidden() ? QString() : label->text();
    }
    // Pulls the cable the moment the exchange shows `percent` on the toolbar.
    void PullAtProgress(int percent) {
        connect(frame->progressBar(), &QProgressBar::valueChanged, view, [this, percent](int v) {
            if (v == percent)
                radio->Stop();
        });
    }

private slots:
    void init() { Begin(); }
    void cleanup() {
        frame.reset();
        End();
    }

    void anIdlePortThatGoesAwayIsToldOnceAndNotPolled() {
        StartOnRadio();
        QCOMPARE(Label(), QStringLiteral("串口 ") + Device(*radio));
        ORVEL_NOT_UNDER_WINE(LOST_PORT_NOT_TOLD);
        radio->Stop();
        const double before = ProcessCpuSeconds();
        QTest::qWait(2000);
        QVERIFY2(ProcessCpuSeconds() - before < 0.1, "the window kept polling the dead port");
        QCOMPARE(LogLines().last(), Gone());
        QCOMPARE(LogLines().count(Gone()), 1);
        QCOMPARE(Label(), QStringLiteral("串口 ") + Device(*radio) + QStringLiteral("（未打开）"));
        Trigger(*view, "actionReadRadio");
        QCOMPARE(LogLines().last(), QStringLiteral("串口没有打开，请重新选择串口"));
        Trigger(*view, "actionWriteRadio");
        QCOMPARE(LogLines().last(), QStringLiteral("串口没有打开，请重新选择串口"));
        QVERIFY(shown.isEmpty());
        QCOMPARE(LogLines().count(Gone()), 1);
    }

    void aReadThatLosesItsPortEndsWithItsTimeoutLine() {
        ORVEL_NOT_UNDER_WINE(LOST_PORT_NOT_TOLD);
        StartOnRadio(sim::RadioBehaviour{.pace = true});
        PullAtProgress(0);  // the image has just been asked for
        Trigger(*view, "actionReadRadio");
        QCOMPARE(LogLines().mid(LogLines().size() - 2),
                 (QStringList{Gone(), QStringLiteral("接收数据超时")}));
        QVERIFY(shown.isEmpty());
        QVERIFY(Label().endsWith(QStringLiteral("（未打开）")));
    }

    void aWriteThatLosesItsPortFailsAtTheNextFrame() {
        ORVEL_NOT_UNDER_WINE(LOST_PORT_NOT_TOLD);
        WriteIni("[Set]\r\nReadFirst=0\r\n");  // the write's progress, without a read first
        StartOnRadio();
        PullAtProgress(10);
        Trigger(*view, "actionWriteRadio");
        QCOMPARE(LogLines().mid(LogLines().size() - 4),
                 (QStringList{QStringLiteral("写入数据[% 10] 成功"), Gone(),
                              QStringLiteral("写入数据[% 10] 失败"),
                              QStringLiteral("写入停在第 8 帧（共 66 帧，信道数据），"
                                             "电台可能已收下此前的各帧")}));
        QCOMPARE(Texts(), QStringList{QStringLiteral("通讯失败")});
    }

    void aLogOutDuringAWriteEndsItOnlyOnceTheRadioHoldsEveryWord() {
#ifdef _WIN32
        ORVEL_POSIX_ONLY("a log-out is SIGTERM or SIGHUP");
#else
        WriteIni("[Set]\r\nReadFirst=0\r\n");  // the write's progress, without a read first
        for (const int logOut : {SIGTERM, SIGHUP}) {
            StartOnRadio();
            struct sigaction hear {};
            struct sigaction testRunners {};
            hear.sa_handler = HearSignal;
            sigemptyset(&hear.sa_mask);
            sigaction(logOut, &hear, &testRunners);
            heardSignal.store(0);
            bool heardDuringWrite = false;
            bool written = false;  // the read-back of the check follows with its own progress
            connect(frame->progressBar(), &QProgressBar::valueChanged, view, [&](int percent) {
                if (written)
                    return;
                if (percent == 10)
                    ::kill(::getpid(), logOut);
                heardDuringWrite = heardDuringWrite || (percent > 10 && heardSignal.load() != 0);
                written = percent == 100;
            });
            Trigger(*view, "actionWriteRadio");
            sigaction(logOut, &testRunners, nullptr);
            QVERIFY(!heardDuringWrite);
            QCOMPARE(heardSignal.load(), logOut);
            const auto frames = radio->Frames();
            QCOMPARE(std::count_if(frames.begin(), frames.end(),
                                   [](const RadioFrame& f) { return f[1] == CmdWriteWord; }),
                     66);
            frame.reset();
            radio.reset();
        }
#endif
    }

    void aCurrentChannelReadThatLosesItsPortTimesOut() {
        ORVEL_NOT_UNDER_WINE(LOST_PORT_NOT_TOLD);
        StartOnRadio();
        QStringList shown;
        bool pulled = false;
        view->dialogs().currentChannel = [&](Port& port) {
            CurrentChannelDialog dialog(&port);
            dialog.message = [&](const QString& text) { shown << text; };
            dialog.pause = [&](int ms) {
                if (ms == 500) {  // between the channel and its squelch
                    radio->Stop();
                    pulled = true;
                } else {
                    QTest::qSleep(ms);
                }
            };
            dialog.OnReadCurrent();
        };
        Trigger(*view, "actionCurrentChannel");
        QVERIFY(pulled);
        QCOMPARE(shown, QStringList{QStringLiteral("接收数据超时\r\n")});
        QCOMPARE(LogLines().last(), Gone());
    }

    void choosingThePortAgainOpensItOnceTheDeviceIsBack() {
#ifdef _WIN32
        ORVEL_POSIX_ONLY("the device comes back under a symbolic link");
#else
        radio = StartedRadio();
        const QString link = folder.filePath(QStringLiteral("radio"));
        QFile::remove(link);
        QVERIFY(QFile::link(Device(*radio), link));
        Start(link);
        radio->Stop();
        QTRY_COMPARE(LogLines().last(), QStringLiteral("串口已断开：") + link);
        radio = StartedRadio();
        QFile::remove(link);
        QVERIFY(QFile::link(Device(*radio), link));
        view->OnSelectDevice(link);
        QCOMPARE(view->serialPort().IsOpen(), 1);
        QCOMPARE(Label(), QStringLiteral("串口 ") + link);
        Trigger(*view, "actionReadRadio");
        QCOMPARE(LogLines().last(), QStringLiteral(" ***正确接收数据***"));
#endif
    }

    void theTickAndTheLabelFollowTheDeviceInUse() {
        // A device by name, and the third COM port by its number, as each system names them.
#ifdef _WIN32
        const QString named = "COM19", shownNamed = "COM19", third = "COM3", shownThird = "COM3";
#else
        const QString named = "ttyUSB9", shownNamed = "/dev/ttyUSB9", third = "ttyS2",
                      shownThird = "/dev/ttyS2";
#endif
        WriteIni("[Set]\r\nDevice=" + named.toUtf8() + "\r\n");
        Start(QString(), true);
        QVERIFY(view->isDeviceChecked(named));
        QVERIFY(!ActionOf(*view, "actionCom1")->isChecked());
        QCOMPARE(Label(), QStringLiteral("串口 ") + shownNamed + QStringLiteral("（未打开）"));

        Trigger(*view, "actionCom3");
        QVERIFY(ActionOf(*view, "actionCom3")->isChecked());
        QVERIFY(!view->isDeviceChecked(named));
        QVERIFY(!view->isDeviceChecked(third));  // chosen by its number
        QCOMPARE(Label(), QStringLiteral("串口 ") + shownThird + QStringLiteral("（未打开）"));

        // A device named on the command line is none of the items.
        frame.reset();
        Start(QStringLiteral("/dev/orvel-missing-port"), false);
        for (const char* com : {"actionCom1", "actionCom2", "actionCom3", "actionCom4"})
            QVERIFY(!ActionOf(*view, com)->isChecked());
        QVERIFY(!view->isDeviceChecked(named));
        QCOMPARE(Label(), QStringLiteral("串口 /dev/orvel-missing-port（未打开）"));
    }

    void theFinderOffersTheOpenPortAndTheDeviceAndTakesTheChoice() {
#ifdef _WIN32
        ORVEL_POSIX_ONLY("the configured device is a symbolic link to another radio");
#else
        auto other = StartedRadio(sim::RadioBehaviour{.identity = "ABCDEFGH"});
        const QString link = folder.filePath(QStringLiteral("other"));
        QFile::remove(link);
        QVERIFY(QFile::link(QString::fromStdString(other->DevicePath()), link));
        WriteIni(("[Set]\r\nDevice=" + link + "\r\n").toUtf8());
        StartOnRadio();
        std::vector<FindRadioDialog::Port> offered;
        view->dialogs().findRadio = [&](std::vector<FindRadioDialog::Port> ports) {
            offered = ports;
            return link;
        };
        Trigger(*view, "actionFindRadio");
        QVERIFY(offered.size() >= 2);
        const FindRadioDialog::Port& device = offered[offered.size() - 2];
        const FindRadioDialog::Port& inUse = offered.back();
        QCOMPARE(device.name, link);
        QVERIFY(!device.open);
        QCOMPARE(inUse.device, radio->DevicePath());
        QVERIFY(inUse.open);
        // Taken as the port menu takes a device: stored, opened, ticked, shown.
        QCOMPARE(view->serialPort().IsOpen(), 1);
        QCOMPARE(view->serialPort().DeviceName(), link.toStdString());
        QVERIFY(view->isDeviceChecked(link));
        QCOMPARE(Label(), QStringLiteral("串口 ") + link);
        QVERIFY(FileBytes(IniPath()).contains(("Device=" + link).toUtf8()));
        Trigger(*view, "actionReadRadio");
        QCOMPARE(LogLines().last(), QStringLiteral(" ***正确接收数据***"));
        other->Stop();
#endif
    }
};

QTEST_MAIN(PortTest)
#include "port_test.moc"
