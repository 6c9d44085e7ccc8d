// The current-channel dialog against the virtual radio: what the lists show and which frames go
// out for each answer the radio can give.
#include <QComboBox>
#include <QtTest>
#include <memory>

#include "current_channel_dialog.h"
#include "port.h"
#include "window_fixture.h"

using namespace orvel;

class ChannelDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<sim::VirtualRadio> radio;
    std::unique_ptr<Port> port;
    std::unique_ptr<CurrentChannelDialog> dialog;
    QStringList shown;

    void Start(sim::RadioBehaviour behaviour = {}, int current = 0, int squelch = 0) {
        MemoryImage image = sim::VirtualRadio::DefaultImage();
        if (current < 16)
            image[layout::ChannelOffset(current) + layout::kSquelch] =
                static_cast<std::uint8_t>(squelch);
        radio = test::StartedRadio(behaviour, image);
        radio->SetCurrentChannel(current);
        port = std::make_unique<Port>();
        QCOMPARE(port->OpenDevice(radio->DevicePath()), 1);
        dialog = std::make_unique<CurrentChannelDialog>(port.get());
        shown.clear();
        dialog->message = [this](const QString& text) { shown << text; };
    }

private slots:
    void cleanup() {
        dialog.reset();
        if (port)
            port->Close();
        if (radio)
            radio->Stop();
    }

    void opensOnChannelOneWithoutSquelch() {
        Start();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("设置当前信道"));
        QCOMPARE(dialog->channelList()->count(), 16);
        QCOMPARE(dialog->channelList()->itemText(9), QStringLiteral("10"));
        QCOMPARE(dialog->channelList()->currentText(), QStringLiteral("1"));
        QCOMPARE(dialog->squelchList()->currentText(), QStringLiteral("- - - - -"));
    }

    void readingShowsTheChannelAndItsSquelch() {
        Start({}, 4, 7);
        dialog->OnReadCurrent();
        QCOMPARE(shown, QStringList{"成功接收数据\r\n"});
        QCOMPARE(dialog->channelList()->currentText(), QStringLiteral("5"));
        QCOMPARE(dialog->squelchList()->currentText(), QStringLiteral("L7"));
        const auto frames = radio->Frames();
        QCOMPARE(frames.size(), std::size_t{2});
        QCOMPARE(frames[1], (RadioFrame{0xCC, 0x03, 0x11, 0, 0, 0, 0x00, 0x14}));
    }

    void aSquelchOfZeroShowsNoLevel() {
        Start({}, 2, 0);
        dialog->squelchList()->setCurrentIndex(4);
        dialog->OnReadCurrent();
        QCOMPARE(dialog->squelchList()->currentIndex(), 0);
    }

    void aMissingSecondAnswerKeepsTheChannel() {
        Start(sim::RadioBehaviour{.answerReadWords = 1}, 6);
        dialog->OnReadCurrent();
        QCOMPARE(shown, QStringList{"接收数据超时\r\n"});
        QCOMPARE(dialog->channelList()->currentText(), QStringLiteral("7"));
    }

    void aChannelBeyondSixteenIsAFormatError() {
        Start({}, 16);
        dialog->channelList()->setCurrentIndex(3);
        dialog->OnReadCurrent();
        QCOMPARE(shown, QStringList{"格式出错\r\n"});
        QCOMPARE(dialog->channelList()->currentIndex(), 3);
        QCOMPARE(radio->Frames().size(), std::size_t{1});
    }

    void writingSendsTheSelectedChannelAndLevel() {
        Start();
        dialog->channelList()->setCurrentIndex(15);
        dialog->squelchList()->setCurrentIndex(9);
        dialog->OnWriteCurrent();
        QCOMPARE(shown, QStringList{"写入数据成功\r\n"});
        QCOMPARE(radio->Frames().back(), (RadioFrame{0xCC, 0x07, 0x0F, 0x09, 0, 0, 0x00, 0x1F}));
        QCOMPARE(radio->CurrentChannel(), 15);
        dialog->squelchList()->setCurrentIndex(-1);
        dialog->OnWriteCurrent();
        QCOMPARE(radio->Frames().back()[3], 0xFF);
    }

    void aSilentRadioAndAClosedPortAreReported() {
        Start(sim::RadioBehaviour{.silent = true});
        dialog->OnWriteCurrent();
        QCOMPARE(shown.last(), QStringLiteral("写入数据失败\r\n"));
        port->Close();
        dialog->OnReadCurrent();
        QCOMPARE(shown.last(), QStringLiteral("串口没有打开，请重新选择串口\r\n"));
        dialog->OnWriteCurrent();
        QCOMPARE(shown.last(), QStringLiteral("串口没有打开，请重新选择串口\r\n"));
    }
};

QTEST_MAIN(ChannelDialogTest)
#include "channel_dialog_test.moc"
