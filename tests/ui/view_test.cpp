// The main form driven as a technician would: start-up, channel editing, settings, the radio
// exchanges against the virtual radio, channel files, the port menu and the report.
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>
#include <future>
#include <memory>

#include "channel_file.h"
#include "chighlightlistctrl.h"
#include "cmainframe.h"
#include "codec.h"
#include "corveltoolview.h"
#include "language.h"
#include "radio_fields.h"
#include "settings_panel.h"
#include "window_fixture.h"
#include "window_placement.h"

using namespace orvel;

using namespace orvel::test;

class ViewTest : public QObject, private WindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<COrvelToolView> view;

    void Start(sim::RadioBehaviour behaviour = {}, bool withRadio = true) {
        view = std::make_unique<COrvelToolView>();
        StartView(*view, behaviour, withRadio);
    }
    // The window as the program shows it: the view inside the frame, shown and active.
    std::unique_ptr<CMainFrame> frame;
    COrvelToolView* framed = nullptr;
    void StartInFrame() {
        framed = new COrvelToolView;
        frame = std::make_unique<CMainFrame>(framed, framed);
        StartView(*framed, {}, true);
        frame->show();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
    }
    void StartView(COrvelToolView& started, sim::RadioBehaviour behaviour, bool withRadio) {
        Catch(started);
        COrvelToolView::StartOptions options;
        if (withRadio) {
            radio = StartedRadio(behaviour);
            options.portOverride = Device(*radio);
        } else {
            options.portOverride = QStringLiteral("/dev/orvel-missing-port");
        }
        started.OnInitialUpdate(options);
    }

    // The view under test, alone or inside the frame.
    COrvelToolView* View() const { return view ? view.get() : framed; }
    QString Cell(int row, int column) const {
        return QString::fromStdString(View()->table()[row][column]);
    }
    QStringList LogLines() const { return test::LogLines(*View()); }
    template <typename T>
    T* Control(const char* name) const {
        return test::Control<T>(View(), name);
    }
    void FillPanel(const QString& rx, const QString& tx, int power, int rate, int dataVoice,
                   int squelch) {
        Control<QLineEdit>("rxEdit")->setText(rx);
        Control<QLineEdit>("txEdit")->setText(tx);
        Control<QComboBox>("powerCombo")->setCurrentIndex(power);
        Control<QComboBox>("rateCombo")->setCurrentIndex(rate);
        Control<QComboBox>("dataVoiceCombo")->setCurrentIndex(dataVoice);
        Control<QComboBox>("squelchCombo")->setCurrentIndex(squelch);
    }
    void ClickRow(int row) {
        View()->channelList()->clearSelection();
        if (row >= 0)
            View()->channelList()->selectRow(row);
        View()->OnRowClicked();
    }

private slots:
    void init() { Begin(); }
    void cleanup() {
        view.reset();
        frame.reset();
        framed = nullptr;
        End();
        InstallLanguage(UiLanguage::Chinese);
    }

    void startUpShowsTheBannerLabelsAndDefaults() {
        Start();
        const QStringList lines = LogLines();
        QVERIFY(lines[0].startsWith(QStringLiteral("今天日期:")));
        QVERIFY(lines[1].startsWith(QStringLiteral("当前时间:")));
        QCOMPARE(lines.mid(2),
                 (QStringList{"****正在初始化****", "模式:Proper ", "串口号:" + Device(*radio),
                              "****初始化结束****", "数据清除[信道1]"}));
        QVERIFY(shown.isEmpty());
        for (int r = 0; r < 16; ++r)
            QCOMPARE(Cell(r, 0), QStringLiteral(" 信道%1").arg(r + 1));
        QCOMPARE(Control<QLineEdit>("channelNoEdit")->text(), QStringLiteral("1"));
        QCOMPARE(Control<QComboBox>("txTimeLimitCombo")->currentIndex(), 0);
        QCOMPARE(Control<QComboBox>("powerSaveCombo")->currentIndex(), 0);
        for (const char* combo : {"powerCombo", "rateCombo", "squelchCombo", "dataVoiceCombo"}) {
            QCOMPARE(Control<QComboBox>(combo)->currentIndex(), -1);
        }
        for (const char* checked :
             {"priorityDataButton", "rxBusyLowButton", "txVcoOffButton", "fsqcOffButton",
              "extSqcLowButton", "baud2400Button", "parityNoneButton", "dataBits8Button",
              "stopBits1Button", "remoteOffButton"}) {
            QVERIFY2(Control<QRadioButton>(checked)->isChecked(), checked);
        }
        QCOMPARE(view->image()[0], 0x33);
        QCOMPARE(view->image()[1], 0x06);
        QCOMPARE(view->image()[2], 0x81);
        QVERIFY(!ActionOf(*view, "actionSave")->isEnabled());
        QCOMPARE(view->minFreq(), 223.0);
        QCOMPARE(view->maxFreq(), 235.0);
        // The radio's terminal came from the command line: no port item names it.
        for (const char* com : {"actionCom1", "actionCom2", "actionCom3", "actionCom4"})
            QVERIFY(!ActionOf(*view, com)->isChecked());
    }

    // A title bar of 30 and borders of 8 (as at 150 %) on a 1280 x 720 screen with its task bar:
    // the whole frame stays on the screen, shrunk only where it must be.
    void theWholeFrameStaysOnTheScreen() {
        const QRect area(0, 0, 1280, 690);
        const QMargins decoration(8, 30, 8, 8);
        const auto frameOf = [&](const QRect& client) { return client.marginsAdded(decoration); };
        const QRect tall(40, 30, 1200, 700);
        QCOMPARE(ClientWithinArea(tall, frameOf(tall), area), QRect(40, 30, 1200, 652));
        const QRect fits(100, 100, 800, 500);
        QCOMPARE(ClientWithinArea(fits, frameOf(fits), area), fits);
        const QRect outside(600, 300, 800, 500);
        QCOMPARE(ClientWithinArea(outside, frameOf(outside), area), QRect(472, 182, 800, 500));
        const QRect wide(-50, 30, 1400, 600);
        QCOMPARE(ClientWithinArea(wide, frameOf(wide), area), QRect(8, 30, 1264, 600));
    }

    void theFrameFillsAnEightHundredBySixHundredScreen() {
        auto* form = new COrvelToolView;
        form->dialogs().message = [](QMessageBox::Icon, const QString&, const QString&,
                                     QMessageBox::StandardButtons) { return QMessageBox::Ok; };
        CMainFrame frame(form, form);
        COrvelToolView::StartOptions options;
        options.portOverride = QStringLiteral("/dev/orvel-missing-port");
        form->OnInitialUpdate(options);
        const QSize screen = frame.screen()->size();
        if (screen == QSize(800, 600)) {
            QCOMPARE(frame.geometry().size(), QSize(800, 600));
        } else {
            QCOMPARE(frame.size(), (form->sizeHint() + QSize(70, 100))
                                       .boundedTo(frame.screen()->availableGeometry().size()));
        }
    }

    // An 800x600 screen shows the whole form with no scroll bar, and once the radio is read
    // every cell of the list whole, in either language.
    void aSmallScreenShowsTheWholeFormAndEveryCell_data() {
        QTest::addColumn<UiLanguage>("language");
        QTest::newRow("Chinese") << UiLanguage::Chinese;
        QTest::newRow("English") << UiLanguage::English;
    }
    void aSmallScreenShowsTheWholeFormAndEveryCell() {
        QFETCH(UiLanguage, language);
        QVERIFY(InstallLanguage(language));
        StartInFrame();
        frame->setGeometry(0, 0, 800, 600);  // what the frame takes of such a screen
        Trigger(*frame, "actionReadRadio");
        QCoreApplication::processEvents();
        auto* scroller = frame->findChild<QScrollArea*>(QStringLiteral("formScroller"));
        QVERIFY(!scroller->horizontalScrollBar()->isVisible());
        QVERIFY(!scroller->verticalScrollBar()->isVisible());
        CHighlightListCtrl* list = framed->channelList();
        for (int row = 0; row < kChannelCount; ++row) {
            for (int column = 0; column < kTableColumns; ++column) {
                const QModelIndex cell = list->model()->index(row, column);
                const QString text = cell.data().toString();
                // A cell draws its text two pixels in from either edge, cut short if too long.
                const int room = list->visualRect(cell).width() - 4;
                QCOMPARE(list->fontMetrics().elidedText(text, Qt::ElideRight, room), text);
            }
        }
    }

    // At the size the window opens with on a usual screen, the log shows at least ten lines,
    // its newest line whole, also once more lines have come than fit.
    void theLogShowsTenLinesAndItsNewestWhole() {
        StartInFrame();
        frame->resize(framed->sizeHint() + QSize(70, 100));
        QTest::qWait(20);
        auto* log = Control<QPlainTextEdit>("logEdit");
        for (int i = 1; i <= 20; ++i)
            framed->AppendLog(QStringLiteral("第%1行").arg(i));
        QCoreApplication::processEvents();
        const QRect viewport = log->viewport()->rect();
        int whole = 0;
        QString newest;
        for (QTextBlock block = log->document()->begin(); block.isValid(); block = block.next()) {
            const QRect line = log->cursorRect(QTextCursor(block));
            if (viewport.contains(line) && !block.text().isEmpty()) {
                ++whole;
                newest = block.text();
            }
        }
        QVERIFY2(whole >= 10, qPrintable(QString::number(whole)));
        QCOMPARE(newest, QStringLiteral("第20行"));
    }

    void aMissingPortShowsOneBoxAndLogsTheReason() {
        Start({}, false);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text.section(u'\n', 0, 0),
                 QStringLiteral("打开串口失败，请重新选择串口"));
        QCOMPARE(shown[0].text.section(u'\n', 1),
                 QStringLiteral("串口 /dev/orvel-missing-port 不存在"));
        QCOMPARE(shown[0].caption, QStringLiteral("OrvelTool"));
        QVERIFY(LogLines().last().contains(QStringLiteral("不存在")));
        // The start-up log names the port of this run, as the toolbar does.
        QVERIFY(LogLines().contains(QStringLiteral("串口号:/dev/orvel-missing-port")));
    }

    // A port whose open hangs neither keeps the window from being built nor holds it for
    // longer than the bound; the box and the log say why.
    void aPortThatHangsLeavesTheWindowUpAndSaysWhy() {
        view = std::make_unique<COrvelToolView>();
        Catch(*view);
        radio = StartedRadio({});
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        view->serialPort().SetOpenBound(300);
        view->serialPort().SetOpener([released](QSerialPort& serial) {
            released.wait();
            return serial.open(QIODevice::ReadWrite);
        });
        COrvelToolView::StartOptions options;
        options.portOverride = Device(*radio);
        options.openPortLater = true;
        QElapsedTimer clock;
        clock.start();
        view->OnInitialUpdate(options);
        QVERIFY(clock.elapsed() < 250);
        QVERIFY(shown.isEmpty());
        QVERIFY(LogLines().contains(QStringLiteral("串口号:") + Device(*radio)));
        view->OpenPort();
        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text,
                 QStringLiteral("打开串口失败，请重新选择串口\n串口 %1 在 3 秒内没有打开"
                                "（设备或其驱动没有响应）")
                     .arg(Device(*radio)));
        QVERIFY(LogLines().last().contains(QStringLiteral("在 3 秒内没有打开")));
        release.set_value();
        QTest::qWait(200);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void confirmChecksEveryFieldInOrder() {
        Start();
        FillPanel("", "999", -1, -1, -1, -1);
        view->OnConfirm();
        QCOMPARE(LogLines().mid(LogLines().size() - 6),
                 (QStringList{"***接收频率数据非法***", "***发送频率数据非法***",
                              "***SQL数据非法***", "***功率级别数据非法***",
                              "***数据/语音数据非法***", "***信道速率数据非法***"}));
        QCOMPARE(Cell(0, 1), QString());
        const InvalidFlags all{true, true, true, true, true, true};
        QCOMPARE(view->invalidFlags(), all);
        QVERIFY(Control<QLineEdit>("rxEdit")->styleSheet().contains("#ff0000"));
        QVERIFY(Control<QLineEdit>("channelNoEdit")->styleSheet().contains("#00ffff"));
    }

    // Enter in either frequency field confirms, with the button's checks and messages.
    void enterInAFrequencyFieldConfirms() {
        Start();
        ClickRow(4);
        FillPanel("", "224", 2, 1, 1, 4);
        QTest::keyClick(Control<QLineEdit>("rxEdit"), Qt::Key_Return);
        QCOMPARE(LogLines().last(), QStringLiteral("***接收频率数据非法***"));
        QCOMPARE(Cell(4, 1), QString());
        Control<QLineEdit>("rxEdit")->setText(QStringLiteral("223.5"));
        QTest::keyClick(Control<QLineEdit>("txEdit"), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(LogLines().last(), QStringLiteral("数据设置 [信道5]"));
        QCOMPARE(Cell(4, 1), QStringLiteral("223.500"));
        QVERIFY(!View()->invalidFlags().rx);
    }

    // Moving through the list with the keys loads each row as a click on it would.
    void keyboardSelectionLoadsThePanel() {
        StartInFrame();
        View()->OnRead();
        auto* list = View()->channelList();
        QTRY_VERIFY(list->hasFocus());
        const auto panelShows = [this](int row) {
            QCOMPARE(Control<QLineEdit>("channelNoEdit")->text(), QString::number(row + 1));
            QCOMPARE(Control<QLineEdit>("rxEdit")->text(), Cell(row, 1));
            QCOMPARE(Control<QLineEdit>("txEdit")->text(), Cell(row, 2));
            QCOMPARE(Control<QComboBox>("powerCombo")->currentText(), Cell(row, 3));
            QCOMPARE(Control<QComboBox>("squelchCombo")->currentText(), Cell(row, 6));
        };
        QTest::keyClick(list, Qt::Key_End);
        panelShows(15);
        QTest::keyClick(list, Qt::Key_Up);
        panelShows(14);
        QTest::keyClick(list, Qt::Key_Home);
        panelShows(0);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        panelShows(2);
        // Enter on the chosen row loads it afresh, dropping what was typed, as a click does.
        Control<QLineEdit>("rxEdit")->setText(QStringLiteral("229"));
        QTest::keyClick(list, Qt::Key_Return);
        panelShows(2);
        QVERIFY(shown.isEmpty());
    }

    // The whole job without the mouse: read the radio, choose channel 3, change it, confirm,
    // write it back and save it, with menu access keys, the list's keys, Tab, Enter and Space.
    void theWholeJobByKeyboard() {
        QTemporaryDir folder;
        chosenFile = folder.path() + QStringLiteral("/walk.dat");
        StartInFrame();
        const auto press = [](int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QTRY_VERIFY(QApplication::focusWidget() != nullptr);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
        };
        // A menu by its access key, then an item by arrows and Enter or by its own access key.
        const auto menu = [this, &press](int access, int downs, int itemKey = Qt::Key_Return) {
            press(access, Qt::AltModifier);
            QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
            QWidget* popup = QApplication::activePopupWidget();
            for (int i = 0; i < downs; ++i)
                QTest::keyClick(popup, Qt::Key_Down);
            QTest::keyClick(popup, Qt::Key(itemKey));
            QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
            // The offscreen platform leaves the closed menu as the active window, where a
            // desktop gives the activation back; the frame's own focus widget is unchanged.
            if (QApplication::activeWindow() != frame.get()) {
                frame->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(frame.get()));
            }
        };

        // The list has the focus from the start.
        QTRY_COMPARE(QApplication::focusWidget(), framed->channelList());
        menu(Qt::Key_C, 0);  // 通信 > 读取
        QCOMPARE(LogLines().last(), QStringLiteral(" ***正确接收数据***"));
        QTRY_COMPARE(QApplication::focusWidget(), framed->channelList());

        press(Qt::Key_Home);
        press(Qt::Key_Down);
        press(Qt::Key_Down);
        QCOMPARE(Control<QLineEdit>("channelNoEdit")->text(), QStringLiteral("3"));

        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Control<QWidget>("rxEdit"));
        press(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "230.125");
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Control<QWidget>("txEdit"));
        press(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "234.5");
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Control<QWidget>("powerCombo"));
        const int power = Control<QComboBox>("powerCombo")->currentIndex();
        press(power < 4 ? Qt::Key_Down : Qt::Key_Up);
        const QString newPower = Control<QComboBox>("powerCombo")->currentText();
        QVERIFY(Control<QComboBox>("powerCombo")->currentIndex() != power);
        press(Qt::Key_Tab);  // 信道速率
        press(Qt::Key_Tab);  // 数据/话音
        press(Qt::Key_Tab);  // 静噪电平
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Control<QWidget>("confirmButton"));
        press(Qt::Key_Space);
        QCOMPARE(LogLines().last(), QStringLiteral("数据设置 [信道3]"));
        QCOMPARE(Cell(2, 1), QStringLiteral("230.125"));
        QCOMPARE(Cell(2, 2), QStringLiteral("234.500"));
        QCOMPARE(Cell(2, 3), newPower);

        menu(Qt::Key_C, 1);  // 通信 > 写入
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("正确写入数据"));
        const DecodedImage written = DecodeImage(radio->Image(), DecodeSource::FromRadio);
        QCOMPARE(QString::fromStdString(written.table[2][1]), QStringLiteral("230.125"));
        QCOMPARE(QString::fromStdString(written.table[2][3]), newPower);

        menu(Qt::Key_F, 0, Qt::Key_A);  // 文件 > 另存为(&A)
        QCOMPARE(framed->filePath(), chosenFile);
        const QByteArray bytes = FileBytes(chosenFile);
        const ChannelFileContent content =
            ImageFromChannelFile(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        QVERIFY(content.complete);
        const DecodedImage file = DecodeImage(content.image, DecodeSource::FromFile);
        QCOMPARE(QString::fromStdString(file.table[2][2]), QStringLiteral("234.500"));
    }

    void confirmAcceptsTheBoundsAndReformatsTheFrequency() {
        Start();
        ClickRow(2);
        FillPanel("223", "224abc", 2, 1, 1, 4);
        view->OnConfirm();
        QCOMPARE(LogLines().last(), QStringLiteral("数据设置 [信道3]"));
        QCOMPARE(Cell(2, 1), QStringLiteral("223.000"));
        QCOMPARE(Cell(2, 2), QStringLiteral("224.000"));
        QCOMPARE(Cell(2, 3), QStringLiteral("P3"));
        QCOMPARE(Cell(2, 4), QStringLiteral("2400"));
        QCOMPARE(Cell(2, 5), QStringLiteral("开"));
        QCOMPARE(Cell(2, 6), QStringLiteral("L5"));
        QCOMPARE(Control<QLineEdit>("txEdit")->text(), QStringLiteral("224abc"));
        for (const char* bad : {"235.001", "222.999", "1000", "-1", "0.0004"}) {
            Control<QLineEdit>("rxEdit")->setText(QLatin1String(bad));
            view->OnConfirm();
            QCOMPARE(LogLines().last(), QStringLiteral("***接收频率数据非法***"));
        }
        Control<QLineEdit>("rxEdit")->setText("235");
        view->OnConfirm();
        QCOMPARE(Cell(2, 1), QStringLiteral("235.000"));
    }

    void theFrequencyEditsTakeEightCharacters() {
        Start();
        QLineEdit* rx = Control<QLineEdit>("rxEdit");
        rx->setFocus();
        QTest::keyClicks(rx, "123456789");
        QCOMPARE(rx->text(), QStringLiteral("12345678"));
    }

    void clickingBelowTheLastRowSelectsNoChannel() {
        Start();
        ClickRow(-1);
        QCOMPARE(Control<QLineEdit>("channelNoEdit")->text(), QStringLiteral("0"));
        QCOMPARE(Control<QLineEdit>("rxEdit")->text(), QString());
        FillPanel("230", "230", 0, 0, 0, 0);
        const int before = LogLines().size();
        view->OnConfirm();
        QCOMPARE(LogLines().size(), before);
        for (int r = 0; r < 16; ++r)
            QCOMPARE(Cell(r, 1), QString());
    }

    void aRowWithAnUnknownPowerLoadsWithoutSelection() {
        Start();
        ChannelTable table = view->table();
        table[1] = {ChannelLabel(2), "230.000", "230.000", "P7", "2400", "开", "L15"};
        view->document().Change({}, [&table](DocumentState& state) { state.table = table; });
        ClickRow(1);
        QCOMPARE(Control<QComboBox>("powerCombo")->currentIndex(), -1);
        QCOMPARE(Control<QComboBox>("squelchCombo")->currentIndex(), -1);
        QCOMPARE(Control<QComboBox>("rateCombo")->currentIndex(), 1);
        view->OnConfirm();
        QVERIFY(LogLines().contains(QStringLiteral("***功率级别数据非法***")));
    }

    void clearAndDefaultEmptyRowsAndKeepSettings() {
        Start();
        ClickRow(4);
        FillPanel("230", "231", 0, 0, 0, 0);
        view->OnConfirm();
        FillPanel("", "231", 0, 0, 0, 0);
        view->OnConfirm();  // marks RX red
        Control<QRadioButton>("baud9600Button")->setChecked(true);
        view->OnClear();
        QCOMPARE(Cell(4, 1), QString());
        QCOMPARE(Control<QLineEdit>("channelNoEdit")->text(), QStringLiteral("5"));
        QCOMPARE(view->invalidFlags(), InvalidFlags{});
        QCOMPARE(LogLines().last(), QStringLiteral("***清除信道数据***"));

        ClickRow(0);
        FillPanel("230", "231", 0, 0, 0, 0);
        view->OnConfirm();
        const int before = LogLines().size();
        view->OnDefault();
        QCOMPARE(LogLines().size(), before + 1);
        QCOMPARE(Cell(0, 1), QString());
        QCOMPARE(Control<QLineEdit>("channelNoEdit")->text(), QStringLiteral("1"));
        QVERIFY(Control<QRadioButton>("baud9600Button")->isChecked());
        QCOMPARE(Control<QComboBox>("txTimeLimitCombo")->currentIndex(), 0);
    }

    void aClickedOptionSurvivesRowClicksDefaultAndAFailedRead() {
        Start(sim::RadioBehaviour{.cutImage = 50});
        Control<QRadioButton>("baud9600Button")->click();
        Control<QRadioButton>("remoteOnButton")->click();
        ClickRow(2);
        QVERIFY(Control<QRadioButton>("baud9600Button")->isChecked());
        view->OnDefault();
        QVERIFY(Control<QRadioButton>("baud9600Button")->isChecked());
        view->OnRead();  // times out after the list was emptied
        QCOMPARE(LogLines().last(), QStringLiteral("接收数据超时"));
        QVERIFY(Control<QRadioButton>("baud9600Button")->isChecked());
        QVERIFY(Control<QRadioButton>("remoteOnButton")->isChecked());
        QCOMPARE(view->settings().baudRate, 3);
        QCOMPARE(view->settings().remoteControl, 1);
    }

    void applyPanelToRowLeavesARedSquelchRed() {
        Start();
        FillPanel("230", "230", 0, 0, 0, -1);
        view->OnConfirm();
        QVERIFY(view->invalidFlags().squelch);
        Control<QComboBox>("squelchCombo")->setCurrentIndex(3);
        view->ApplyPanelToRow();
        QVERIFY(view->invalidFlags().squelch);
        QCOMPARE(Cell(0, 6), QStringLiteral("L4"));
    }

    void theLogStartsAgainPastTwoKilobytes() {
        Start();
        view->setLogText(QString(2100, QLatin1Char('x')));
        view->AppendLog(QStringLiteral("新行"));
        QCOMPARE(view->logText(), QStringLiteral("新行\r\n"));
        // Chinese counts two bytes: 1025 characters are 2050 bytes.
        view->setLogText(QString(1025, QChar(0x4FE1)));
        view->AppendLog(QStringLiteral("a"));
        QCOMPARE(view->logText(), QStringLiteral("a\r\n"));
        view->setLogText(QString(1024, QChar(0x4FE1)));
        view->AppendLog(QStringLiteral("a"));
        QVERIFY(view->logText().size() > 1024);
    }

    void radioGroupsReadMinusOneWhenNothingIsChecked() {
        Start();
        RadioSettings settings;
        settings.baudRate = 7;
        view->settingsPanel().Show(settings);
        for (const char* b :
             {"baud1200Button", "baud2400Button", "baud4800Button", "baud9600Button"}) {
            QVERIFY(!Control<QRadioButton>(b)->isChecked());
        }
        QCOMPARE(view->settingsPanel().settings().baudRate, -1);
        settings.parity = 2;
        view->settingsPanel().Show(settings);
        QVERIFY(Control<QRadioButton>("parityEvenButton")->isChecked());
    }

    // The form has a control for every value of every setting in the table.
    void everySettingShowsAndReadsBackEachValue() {
        Start();
        for (const SettingField& field : kSettingFields) {
            for (int value = field.Low(); value <= field.High(); ++value) {
                RadioSettings settings;
                settings.*field.member = value;
                view->settingsPanel().Show(settings);
                QCOMPARE(view->settingsPanel().settings().*field.member, value);
            }
        }
    }

    void aReadFillsTheListSettingsAndPanel() {
        Start();
        view->OnRead();
        const MemoryImage sent = radio->Image();
        const DecodedImage expected = DecodeImage(sent, DecodeSource::FromRadio);
        for (int r = 0; r < 16; ++r) {
            for (int c = 1; c < 7; ++c)
                QCOMPARE(Cell(r, c), QString::fromStdString(expected.table[r][c]));
        }
        QCOMPARE(view->image(), sent);
        QVERIFY(LogLines().contains(QStringLiteral("接收数据[% 90]")));
        QCOMPARE(LogLines().last(), QStringLiteral(" ***正确接收数据***"));
        QCOMPARE(Control<QLineEdit>("rxEdit")->text(),
                 QString::fromStdString(expected.table[0][1]));
        QCOMPARE(Control<QComboBox>("txTimeLimitCombo")->currentIndex(),
                 expected.settings.txTimeLimit);
        QVERIFY(shown.isEmpty());
    }

    void aReadWithABadChecksumShowsTheDataAndSaysSo() {
        Start(sim::RadioBehaviour{.badChecksum = true});
        view->OnRead();
        QVERIFY(LogLines().contains(QStringLiteral("数据校验错")));
        QCOMPARE(LogLines().last(), QStringLiteral("接收数据[% 100]"));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("数据校验错"));
        QCOMPARE(shown[0].icon, QMessageBox::Critical);
        QVERIFY(!Cell(0, 1).isEmpty());
    }

    void aSilentRadioIsACommunicationError() {
        Start(sim::RadioBehaviour{.silent = true});
        view->OnRead();
        QCOMPARE(LogLines().last(), QStringLiteral("通信错误"));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("通信错误"));
    }

    void aWriteSendsWhatTheWindowShows() {
        WriteIni("[Set]\r\nReadFirst=0\r\n");  // the write's own frames, without the read first
        Start();
        ClickRow(0);
        FillPanel("223.5", "235", 2, 1, 1, 4);
        view->OnConfirm();
        Control<QRadioButton>("baud9600Button")
            ->setChecked(true);  // no confirm needed for settings
        Control<QComboBox>("powerSaveCombo")->setCurrentIndex(-1);
        radio->ClearRecord();
        view->OnWrite();
        const auto frames = radio->Frames();
        // The write, then the read-back of the check that is on by default.
        QCOMPARE(frames.size(), std::size_t{68});
        QCOMPARE(frames[0], MakeFrame(CmdWriteWord, 0, 0x22, 0x35));
        QCOMPARE(frames[64][4], 0xFF);
        QCOMPARE(frames[65][4], 0x30);
        QCOMPARE(frames[66], MakeFrame(CmdIdentify));
        QCOMPARE(frames[67], MakeFrame(CmdReadImage));
        QVERIFY(LogLines().contains(QStringLiteral("***正确写入数据***")));
        QCOMPARE(LogLines().last(), QStringLiteral("校验正确"));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("正确写入数据"));
    }

    void aRejectedFrameEndsTheWriteWithAStopBox() {
        Start(sim::RadioBehaviour{.nakWriteFrame = 14});
        view->OnWrite();
        // The log names the frame, as orvelctl does: the radio may hold every word before it.
        QCOMPARE(LogLines().mid(LogLines().size() - 2),
                 (QStringList{QStringLiteral("写入数据[% 20] 失败"),
                              QStringLiteral("写入停在第 14 帧（共 66 帧，信道数据），"
                                             "电台可能已收下此前的各帧")}));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("通讯失败"));
        QCOMPARE(shown[0].icon, QMessageBox::Critical);
        // A frame of the settings is named as one.
        Start(sim::RadioBehaviour{.nakWriteFrame = 65});
        view->OnWrite();
        QCOMPARE(LogLines().last(), QStringLiteral("写入停在第 65 帧（共 66 帧，设置数据），"
                                                   "电台可能已收下此前的各帧"));
    }

    void savedFilesOpenAgainUnchanged() {
        QTemporaryDir folder;
        Start();
        view->OnRead();
        chosenFile = folder.path() + "/a.dat";
        view->OnSaveAs();
        QCOMPARE(view->filePath(), chosenFile);
        QVERIFY(ActionOf(*view, "actionSave")->isEnabled());
        const ChannelTable table = view->table();
        const MemoryImage image = view->image();
        view->OnDefault();
        view->OnOpen();
        QCOMPARE(view->table(), table);
        QCOMPARE(view->image(), image);
        QVERIFY(LogLines().contains(QStringLiteral("文件打开[%1]").arg(chosenFile)));

        answer = QMessageBox::No;
        view->OnSave();
        QCOMPARE(shown.last().text, QStringLiteral("要保存当前文件吗?"));
        answer = QMessageBox::Yes;
        view->OnSave();
        QCOMPARE(LogLines().last(), QStringLiteral("文件保存[%1]").arg(chosenFile));
    }

    void aShortFileIsRefusedWhole() {
        QTemporaryDir folder;
        Start();
        view->OnRead();
        const ChannelTable before = view->table();
        const MemoryImage image = view->image();
        chosenFile = folder.path() + "/short.dat";
        QFile file(chosenFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(100, 0x5A));
        file.close();
        view->OnOpen();
        QCOMPARE(shown.last().text, QStringLiteral("试图越过其尾端对 一未命名文件 进行读写。"));
        QCOMPARE(view->table(), before);
        QCOMPARE(view->image(), image);
        QVERIFY(view->filePath().isEmpty());
    }

    void onlyARegularFileIsOpened() {
        QTemporaryDir folder;
        Start();
        view->OnRead();
        const ChannelTable before = view->table();
#ifndef _WIN32
        // Opening this FIFO once blocked the window for ever: no one writes to it.
        chosenFile = folder.path() + "/f.dat";
        QCOMPARE(::mkfifo(chosenFile.toLocal8Bit().constData(), 0600), 0);
        view->OnOpen();
        QCOMPARE(shown.last().text, QStringLiteral("读文件出错：这不是普通文件，不能打开"));
#endif
        const qsizetype refused = shown.size() + 1;  // the folder's too
        chosenFile = folder.path();
        view->OnOpen();
        QCOMPARE(shown.size(), refused);
        QCOMPARE(shown.last().text, QStringLiteral("读文件出错：这不是普通文件，不能打开"));
        QCOMPARE(view->table(), before);
        QVERIFY(view->filePath().isEmpty());
        // A channel file is its first 260 bytes: what follows, however much, is ignored.
        chosenFile = folder.path() + "/huge.dat";
        QFile huge(chosenFile);
        QVERIFY(huge.open(QIODevice::WriteOnly));
        const MemoryImage image = view->image();
        const std::vector<std::uint8_t> bytes = ChannelFileBytes(image);
        huge.write(reinterpret_cast<const char*>(bytes.data()), qint64{kImageSize});
        QVERIFY(huge.resize(qint64{17} << 20));
        huge.close();
        view->OnOpen();
        QCOMPARE(shown.size(), refused);
        QCOMPARE(view->filePath(), chosenFile);
        QCOMPARE(view->image(), image);
    }

    void aFileWithABadChecksumClearsThePanelsButKeepsItsName() {
        QTemporaryDir folder;
        Start();
        view->OnRead();
        MemoryImage image = radio->Image();
        image[259] ^= 0xFF;
        chosenFile = folder.path() + "/bad.dat";
        std::string error;
        QVERIFY(WriteFileAtomically(chosenFile.toStdString(), ChannelFileBytes(image), error));
        view->OnOpen();
        QCOMPARE(LogLines().last(), QStringLiteral("数据校验错"));
        QCOMPARE(shown.last().text, QStringLiteral("数据校验错"));
        QCOMPARE(view->filePath(), chosenFile);
        QVERIFY(ActionOf(*view, "actionSave")->isEnabled());
        for (int r = 0; r < 16; ++r)
            QCOMPARE(Cell(r, 1), QString());
        for (const char* combo : {"powerCombo", "rateCombo", "squelchCombo", "dataVoiceCombo",
                                  "txTimeLimitCombo", "powerSaveCombo"}) {
            QCOMPARE(Control<QComboBox>(combo)->currentIndex(), -1);
        }
        for (const char* zero :
             {"priorityDataButton", "rxBusyLowButton", "txVcoOffButton", "fsqcOffButton",
              "extSqcLowButton", "baud1200Button", "parityNoneButton", "dataBits7Button",
              "stopBits1Button", "remoteOffButton"}) {
            QVERIFY2(Control<QRadioButton>(zero)->isChecked(), zero);
        }
    }

    void aLongerFileLoadsFromItsFirst260Bytes() {
        QTemporaryDir folder;
        Start();
        MemoryImage image = radio->Image();
        std::vector<std::uint8_t> bytes = ChannelFileBytes(image);
        bytes.resize(300, 0x11);
        chosenFile = folder.path() + "/long.dat";
        std::string error;
        QVERIFY(WriteFileAtomically(chosenFile.toStdString(), bytes, error));
        view->OnOpen();
        QCOMPARE(view->image(), image);
        QVERIFY(shown.isEmpty());
        QCOMPARE(Cell(15, 1),
                 QString::fromStdString(DecodeImage(image, DecodeSource::FromFile).table[15][1]));
    }

    void aCancelledPrintLogsNothing() {
        Start();
        view->dialogs().print = [](QPrinter&) { return false; };
        const QString before = view->logText();
        view->OnPrint();
        QCOMPARE(view->logText(), before);
    }

    void aFailedSaveKeepsTheOldFileAndName() {
        QTemporaryDir folder;
        Start();
        chosenFile = folder.path() + "/missing-folder/x.dat";
        view->OnSaveAs();
        QVERIFY(view->filePath().isEmpty());
        QCOMPARE(shown.last().caption, QStringLiteral("OrvelTool"));
        QVERIFY(!QFile::exists(chosenFile));
    }

    void theIniSetsLimitsWordAndPort() {
        WriteIni("; bench settings\r\n[set]\r\nmin=230\r\nMAX=232\r\nWord=12,34,56\r\nPort=7\r\n");
        Start();
        QCOMPARE(view->minFreq(), 230.0);
        QCOMPARE(view->maxFreq(), 232.0);
        QCOMPARE(view->specialWord(), std::string("12,34,56"));
        QCOMPARE(view->portNumber(), 7);
        for (const char* com : {"actionCom1", "actionCom2", "actionCom3", "actionCom4"})
            QVERIFY(!ActionOf(*view, com)->isChecked());
        FillPanel("229.9", "232", 0, 0, 0, 0);
        view->OnConfirm();
        QCOMPARE(LogLines().last(), QStringLiteral("***接收频率数据非法***"));
        FillPanel("230", "232", 0, 0, 0, 0);
        view->OnConfirm();
        QCOMPARE(LogLines().last(), QStringLiteral("数据设置 [信道1]"));
    }

    void choosingAPortStoresItAndKeepsTheRest() {
        WriteIni("; bench settings\r\n[Set]\r\nMin=223\r\nDevice=ttyUSB9\r\n");
        Start();
        Trigger(*view, "actionCom3");
        QVERIFY(ActionOf(*view, "actionCom3")->isChecked());
        QCOMPARE(FileBytes(IniPath()),
                 QByteArray("; bench settings\r\n[Set]\r\nMin=223\r\nPort=3\r\n"));
        QVERIFY(!view->serialPort().IsOpen());  // /dev/ttyS2 is no port here
    }

    void choosingAPortWithoutAnIniCreatesIt() {
        Start();
        Trigger(*view, "actionCom3");
        QVERIFY(FileBytes(IniPath()).contains("[Set]"));
    }

    void theReportPrintsToAPdf() {
        QTemporaryDir folder;
        Start();
        view->OnRead();
        const QString pdf = folder.path() + "/report.pdf";
        QVERIFY(view->PrintToPdf(pdf));
        QVERIFY(LogLines().contains(QStringLiteral("***打印开始***")));
        QCOMPARE(LogLines().last(), QStringLiteral("***打印结束***"));
        const QByteArray bytes = FileBytes(pdf);
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r"), 1);
    }
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
