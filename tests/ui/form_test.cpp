// The forms as a user sees them: every control with its kind, text, items, group and place in
// the tab order; and, in both languages, at the smallest size the form takes and at the size it
// opens with, every control shown inside its box and the window, clear of its neighbours, with
// its whole text.
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QtTest>
#include <map>
#include <vector>

#include "caboutdialog.h"
#include "chighlightlistctrl.h"
#include "language.h"
#include "shell_tests.h"
#include "ui_current_channel_dialog.h"
#include "ui_mainform.h"

using namespace orvel;

namespace {

enum class Kind { Radio, Group, Label, Edit, Log, Combo, Push, List };

struct Control {
    const char* name;
    Kind kind;
    const char* text;
    std::vector<const char*> items = {};
};

using enum Kind;

const std::vector<Control> kMainForm = {
    {"boxChannelList", Group, ""},
    {"channelList", List, ""},
    {"boxMessages", Group, "消息"},
    {"logEdit", Log, ""},
    {"boxEdit", Group, "编辑"},
    {"labelChannelNo", Label, "信道号:"},
    {"channelNoEdit", Edit, ""},
    {"labelRxFreq", Label, "接收频率:"},
    {"rxEdit", Edit, ""},
    {"labelTxFreq", Label, "发送频率:"},
    {"txEdit", Edit, ""},
    {"labelRxMhz", Label, "MHz"},
    {"labelTxMhz", Label, "MHz"},
    {"confirmButton", Push, "确认"},
    {"clearButton", Push, "清除"},
    {"labelPower", Label, "功率级别:"},
    {"powerCombo", Combo, "", {"P1", "P2", "P3", "P4", "P5"}},
    {"labelRate", Label, "信道速率:"},
    {"rateCombo", Combo, "", {"1200", "2400", "4800"}},
    {"labelDataVoice", Label, "数据/话音:"},
    {"dataVoiceCombo", Combo, "", {"关", "开"}},
    {"labelSquelch", Label, "静噪电平:"},
    {"squelchCombo", Combo, "", {"L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9"}},
    {"boxTxTimeLimit", Group, "发射限时"},
    {"txTimeLimitCombo",
     Combo,
     "",
     {"关", "30", "60", "90", "120", "150", "180", "240", "300", "600", "900", "1200"}},
    {"labelTxTimeLimitUnit", Label, "秒"},
    {"boxPowerSave", Group, "省电模式"},
    {"powerSaveCombo", Combo, "", {"关", "0.5", "1.0", "1.5", "2.0", "3.0", "5.0", "7.0", "9.0"}},
    {"labelPowerSaveUnit", Label, "秒"},
    {"boxSettingsMode", Group, "设置模式"},
    {"boxDataVoicePriority", Group, "数据/话音优先"},
    {"priorityDataButton", Radio, "高-数据 低-话音"},
    {"priorityVoiceButton", Radio, "低-数据 高-话音"},
    {"boxRxBusy", Group, "接收忙指示"},
    {"rxBusyLowButton", Radio, "低-忙"},
    {"rxBusyHighButton", Radio, "高-忙"},
    {"boxFsqc", Group, "FSQC"},
    {"fsqcOffButton", Radio, "关"},
    {"fsqcOnButton", Radio, "开"},
    {"boxExtSqc", Group, "Ext SQC"},
    {"extSqcLowButton", Radio, "低-打开"},
    {"extSqcHighButton", Radio, "高-打开"},
    {"boxTxVco", Group, "发射VCO"},
    {"txVcoOffButton", Radio, "关"},
    {"txVcoOnButton", Radio, "开"},
    {"boxSerialSettings", Group, "串口设置"},
    {"boxBaudRate", Group, "波特率"},
    {"baud1200Button", Radio, "1200bps"},
    {"baud2400Button", Radio, "2400bps"},
    {"baud4800Button", Radio, "4800bps"},
    {"baud9600Button", Radio, "9600bps"},
    {"boxParity", Group, "校验"},
    {"parityNoneButton", Radio, "无校验"},
    {"parityOddButton", Radio, "奇校验"},
    {"parityEvenButton", Radio, "偶校验"},
    {"boxDataBits", Group, "数据位"},
    {"dataBits7Button", Radio, "7位"},
    {"dataBits8Button", Radio, "8位"},
    {"boxStopBits", Group, "停止位"},
    {"stopBits1Button", Radio, "1位"},
    {"stopBits2Button", Radio, "2位"},
    {"boxRemoteControl", Group, "遥控"},
    {"remoteOffButton", Radio, "禁止"},
    {"remoteOnButton", Radio, "允许"},
};

const std::vector<Control> kCurrentChannelForm = {
    {"readChannelButton", Push, "读当前信道"},
    {"writeChannelButton", Push, "写当前信道"},
    {"closeButton", Push, "返回"},
    {"labelChannel", Label, "通道号:"},
    {"channelCombo", Combo, ""},
    {"labelSquelch", Label, "静噪电平:"},
    {"squelchCombo",
     Combo,
     "",
     {"- - - - -", "L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9"}},
};

struct RadioGroup {
    const char* name;
    std::vector<const char*> buttons;
};

const std::vector<RadioGroup> kRadioGroups = {
    {"groupParity", {"parityNoneButton", "parityOddButton", "parityEvenButton"}},
    {"groupDataVoicePriority", {"priorityDataButton", "priorityVoiceButton"}},
    {"groupRxBusy", {"rxBusyLowButton", "rxBusyHighButton"}},
    {"groupTxVco", {"txVcoOffButton", "txVcoOnButton"}},
    {"groupFsqc", {"fsqcOffButton", "fsqcOnButton"}},
    {"groupExtSqc", {"extSqcLowButton", "extSqcHighButton"}},
    {"groupBaudRate", {"baud1200Button", "baud2400Button", "baud4800Button", "baud9600Button"}},
    {"groupDataBits", {"dataBits7Button", "dataBits8Button"}},
    {"groupStopBits", {"stopBits1Button", "stopBits2Button"}},
    {"groupRemoteControl", {"remoteOffButton", "remoteOnButton"}},
};

// The room small screens leave the form: the width of an 800x600 one, and the height a
// 1920x1080 one leaves at 200 % (540 pixels) below the frame's menu bar and toolbar.
constexpr QSize kSmallScreenRoom(800, 540 - 50);

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QWidget* Child(QWidget& form, const char* name) {
    return form.findChild<QWidget*>(QLatin1String(name));
}

const char* ClassOf(Kind kind) {
    static const char* const kClasses[] = {
        "QRadioButton",   "QGroupBox", "QLabel",      "QLineEdit",
        "QPlainTextEdit", "QComboBox", "QPushButton", "orvel::CHighlightListCtrl"};
    return kClasses[int(kind)];
}

// The text a control shows, whatever its kind.
QString ShownText(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* box = qobject_cast<QGroupBox*>(widget))
        return box->title();
    return QString();
}

// The form has these controls and no other of their kinds.
void CheckInventory(QWidget& form, const std::vector<Control>& controls) {
    int shown = 0;
    for (QWidget* widget : form.findChildren<QWidget*>()) {
        for (int kind = 0; kind <= int(List); ++kind)
            shown += widget->metaObject()->className() == QByteArray(ClassOf(Kind(kind)));
    }
    QCOMPARE(shown, int(controls.size()));
    for (const Control& control : controls) {
        QWidget* widget = Child(form, control.name);
        QVERIFY2(widget != nullptr, control.name);
        QVERIFY2(widget->inherits(ClassOf(control.kind)), control.name);
        QCOMPARE(ShownText(widget), Text(control.text));
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            QVERIFY2(!combo->isEditable(), control.name);
            QStringList expected;
            for (const char* item : control.items)
                expected << Text(item);
            QStringList actual;
            for (int i = 0; i < combo->count(); ++i)
                actual << combo->itemText(i);
            QCOMPARE(actual, expected);
        }
    }
}

// Where a control has room for its text, and the text it must show whole.
struct TextRoom {
    QRect room;
    QStringList texts;
};

TextRoom RoomForText(QWidget* widget) {
    const QStyle* style = widget->style();
    if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        option.text = radio->text();
        return {style->subElementRect(QStyle::SE_RadioButtonContents, &option, radio),
                {radio->text()}};
    }
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        return {style->subElementRect(QStyle::SE_PushButtonContents, &option, button),
                {button->text()}};
    }
    if (auto* label = qobject_cast<QLabel*>(widget))
        return {label->contentsRect(), {label->text()}};
    if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        // The title starts a little in from the frame's corner; the same room is kept at the end.
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        const QRect label =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        return {QRect(label.left(), label.top(), box->width() - 2 * label.left(), label.height()),
                {box->title()}};
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = false;
        option.frame = true;
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return {style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                      combo),
                items};
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
        // The longest entry the field takes, in its widest digits.
        const QString widest = edit->maxLength() < 100
                                   ? QString(edit->maxLength() - 1, u'8') + QStringLiteral(".")
                                   : QStringLiteral("16");
        return {style->subElementRect(QStyle::SE_LineEditContents, &option, edit), {widest}};
    }
    return {};
}

QString Describe(const QWidget* widget) {
    const QRect r = widget->geometry();
    return QStringLiteral("%1 at %2,%3 %4x%5")
        .arg(widget->objectName())
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height());
}

// What a user sees of each control: shown, inside what holds it (a box's frame and title not
// covered) and the window, on top of no neighbour, its text whole.
void CheckEveryControlShowsWhole(QWidget& form, const std::vector<Control>& controls) {
    for (const Control& control : controls) {
        QWidget* widget = Child(form, control.name);
        QVERIFY2(widget != nullptr, control.name);
        QVERIFY2(widget->isVisible() && !widget->size().isEmpty(), control.name);
        QWidget* parent = widget->parentWidget();
        QVERIFY2(parent->contentsRect().contains(widget->geometry()),
                 qPrintable(Describe(widget) + QStringLiteral(" outside ") + Describe(parent)));
        const QRect inForm(widget->mapTo(&form, QPoint(0, 0)), widget->size());
        QVERIFY2(form.rect().contains(inForm), qPrintable(Describe(widget)));
        for (QWidget* other : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other != widget && other->isVisible() && !other->isWindow()) {
                QVERIFY2(!other->geometry().intersects(widget->geometry()),
                         qPrintable(Describe(widget) + QStringLiteral(" / ") + Describe(other)));
            }
        }
        const QFontMetrics metrics = widget->fontMetrics();
        const TextRoom room = RoomForText(widget);
        for (const QString& text : room.texts) {
            if (text.isEmpty())
                continue;
            QVERIFY2(metrics.horizontalAdvance(text) <= room.room.width(),
                     qPrintable(QStringLiteral("%1: \"%2\" needs %3, has %4")
                                    .arg(Describe(widget), text)
                                    .arg(metrics.horizontalAdvance(text))
                                    .arg(room.room.width())));
        }
        if (!room.texts.isEmpty() && !room.texts.first().isEmpty()) {
            QVERIFY2(metrics.height() <= room.room.height() + 2, qPrintable(Describe(widget)));
            QVERIFY2(widget->height() >= widget->minimumSizeHint().height(),
                     qPrintable(Describe(widget)));
        }
        if (auto* list = qobject_cast<CHighlightListCtrl*>(widget)) {
            // Every column's head whole, and all the columns side by side without scrolling.
            int width = 0;
            for (int c = 0; c < list->model()->columnCount(); ++c) {
                QVERIFY2(list->horizontalHeader()->sectionSizeHint(c) <= list->columnWidth(c),
                         qPrintable(list->model()->headerData(c, Qt::Horizontal).toString()));
                width += list->columnWidth(c);
            }
            QVERIFY2(width <= list->viewport()->width(), qPrintable(Describe(widget)));
        }
    }
}

void BothLanguages() {
    QTest::addColumn<UiLanguage>("language");
    QTest::newRow("Chinese") << UiLanguage::Chinese;
    QTest::newRow("English") << UiLanguage::English;
}

// The main form as the view builds it: the list with its seven columns and sixteen rows.
class MainForm {
public:
    MainForm() {
        ui.setupUi(&form);
        model.setColumnCount(7);
        model.setRowCount(16);
        model.setHorizontalHeaderLabels({QCoreApplication::translate("CoreText", "信道号"),
                                         QCoreApplication::translate("CoreText", "接收频率"),
                                         QCoreApplication::translate("CoreText", "发送频率"),
                                         QCoreApplication::translate("CoreText", "功率级别"),
                                         QCoreApplication::translate("CoreText", "信道速率"),
                                         QCoreApplication::translate("CoreText", "数据/话音"),
                                         QCoreApplication::translate("CoreText", "静噪电平")});
        for (int row = 0; row < 16; ++row) {
            model.setItem(row, 0, new QStandardItem(QStringLiteral("信道%1").arg(row + 1)));
            model.setItem(row, 1, new QStandardItem(QStringLiteral("223.025")));
        }
        CHighlightListCtrl* list = ui.channelList;
        list->setModel(&model);
        const int frequency = list->widthFor(QStringLiteral("888.888"));
        list->setColumnWidths(
            {list->widthFor(QStringLiteral("信道16")), frequency, frequency, 0, 0, 0, 0});
    }
    // Laid out at `size`, or at its own preferred size.
    void Show(QSize size = QSize()) {
        form.show();
        form.resize(size.isValid() ? size : form.sizeHint());
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCoreApplication::processEvents();
    }

    QWidget form;
    Ui::MainForm ui;
    QStandardItemModel model;
};

}  // namespace

class FormTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_main = std::make_unique<MainForm>(); }
    void cleanup() {
        m_main.reset();
        InstallLanguage(UiLanguage::Chinese);
    }

    void mainFormHasTheTemplateControls() { CheckInventory(m_main->form, kMainForm); }

    // At its smallest the form fits a small screen; there, and at the size it opens with,
    // everything shows whole, in Chinese and in English.
    void everyControlShowsWholeOnASmallScreenAndAtItsOwnSize_data() {
        QTest::addColumn<UiLanguage>("language");
        QTest::addColumn<bool>("smallest");
        QTest::newRow("Chinese, smallest") << UiLanguage::Chinese << true;
        QTest::newRow("Chinese, preferred") << UiLanguage::Chinese << false;
        QTest::newRow("English, smallest") << UiLanguage::English << true;
        QTest::newRow("English, preferred") << UiLanguage::English << false;
    }
    void everyControlShowsWholeOnASmallScreenAndAtItsOwnSize() {
        QFETCH(UiLanguage, language);
        QFETCH(bool, smallest);
        QVERIFY(InstallLanguage(language));
        m_main = std::make_unique<MainForm>();
        const QSize minimum = m_main->form.minimumSizeHint();
        QVERIFY2(minimum.width() <= kSmallScreenRoom.width() &&
                     minimum.height() <= kSmallScreenRoom.height(),
                 qPrintable(QStringLiteral("%1x%2").arg(minimum.width()).arg(minimum.height())));
        m_main->Show(smallest ? minimum : QSize());
        CheckEveryControlShowsWhole(m_main->form, kMainForm);
    }

    // A larger window gives its width to the list and the log; the panels keep theirs and
    // spread out over the height.
    void extraRoomGoesToTheListAndTheLog() {
        m_main->Show();
        const QSize list = m_main->ui.channelList->size();
        const QSize log = m_main->ui.logEdit->size();
        const int edit = m_main->ui.boxEdit->width();
        const int settings = m_main->ui.boxSerialSettings->width();
        m_main->form.resize(m_main->form.size() + QSize(300, 200));
        QCoreApplication::processEvents();
        QCOMPARE(m_main->ui.channelList->width(), list.width() + 300);
        QCOMPARE(m_main->ui.logEdit->size(), log + QSize(300, 200));
        QCOMPARE(m_main->ui.boxEdit->width(), edit);
        QCOMPARE(m_main->ui.boxSerialSettings->width(), settings);
        CheckEveryControlShowsWhole(m_main->form, kMainForm);
    }

    // A click on a button's text reaches the button, not a box over it.
    void optionButtonsTakeTheirClicks() {
        m_main->Show();
        for (QRadioButton* radio : m_main->form.findChildren<QRadioButton*>()) {
            const QPoint centre = radio->mapTo(&m_main->form, radio->rect().center());
            QCOMPARE(m_main->form.childAt(centre), radio);
        }
    }

    void radioButtonsFormTheTemplateGroups() {
        int grouped = 0;
        for (const RadioGroup& expected : kRadioGroups) {
            auto* group = m_main->form.findChild<QButtonGroup*>(QLatin1String(expected.name));
            QVERIFY2(group != nullptr, expected.name);
            QVERIFY(group->exclusive());
            QStringList names;
            for (QAbstractButton* button : group->buttons())
                names << button->objectName();
            QStringList expectedNames;
            for (const char* name : expected.buttons)
                expectedNames << QLatin1String(name);
            // The order is the value order the settings fields use.
            QCOMPARE(names, expectedNames);
            grouped += int(expected.buttons.size());
        }
        QCOMPARE(m_main->form.findChildren<QRadioButton*>().size(), grouped);
    }

    // A choice in one group leaves the others as they are.
    void checkingAButtonLeavesOtherGroupsAlone() {
        m_main->Show();
        QRadioButton* noParity = m_main->ui.parityNoneButton;
        QRadioButton* evenParity = m_main->ui.parityEvenButton;
        QRadioButton* vcoOff = m_main->ui.txVcoOffButton;
        const auto click = [](QRadioButton* radio) {
            QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
        };
        click(noParity);
        click(vcoOff);
        QVERIFY(noParity->isChecked());
        QVERIFY(vcoOff->isChecked());
        click(evenParity);
        QVERIFY(evenParity->isChecked());
        QVERIFY(!noParity->isChecked());
        QVERIFY(vcoOff->isChecked());
    }

    void editsKeepTheirLimits() {
        for (QLineEdit* edit : {m_main->ui.rxEdit, m_main->ui.txEdit}) {
            QTest::keyClicks(edit, "223.12345");
            QCOMPARE(edit->text(), QStringLiteral("223.1234"));
        }
        QVERIFY(m_main->ui.channelNoEdit->isReadOnly());
        QVERIFY(m_main->ui.channelNoEdit->alignment() & Qt::AlignHCenter);
        QVERIFY(!(m_main->ui.channelNoEdit->focusPolicy() & Qt::TabFocus));
        QVERIFY(!m_main->ui.logEdit->isReadOnly());
    }

    // Top left to bottom right: the list, the edit panel's fields and buttons, the settings
    // group by group, then the bottom row (log, the two drop-downs, 遥控).
    void tabOrderRunsTopLeftToBottomRight() {
        const QStringList expected = {"channelList",
                                      "channelNoEdit",
                                      "rxEdit",
                                      "txEdit",
                                      "powerCombo",
                                      "rateCombo",
                                      "dataVoiceCombo",
                                      "squelchCombo",
                                      "confirmButton",
                                      "clearButton",
                                      "priorityDataButton",
                                      "priorityVoiceButton",
                                      "rxBusyLowButton",
                                      "rxBusyHighButton",
                                      "fsqcOffButton",
                                      "fsqcOnButton",
                                      "extSqcLowButton",
                                      "extSqcHighButton",
                                      "txVcoOffButton",
                                      "txVcoOnButton",
                                      "baud1200Button",
                                      "baud2400Button",
                                      "baud4800Button",
                                      "baud9600Button",
                                      "parityNoneButton",
                                      "parityOddButton",
                                      "parityEvenButton",
                                      "dataBits7Button",
                                      "dataBits8Button",
                                      "stopBits1Button",
                                      "stopBits2Button",
                                      "logEdit",
                                      "txTimeLimitCombo",
                                      "powerSaveCombo",
                                      "remoteOffButton",
                                      "remoteOnButton"};
        QWidget* form = &m_main->form;
        QStringList chain;
        for (QWidget* w = form->nextInFocusChain(); w != form; w = w->nextInFocusChain()) {
            if (w->focusPolicy() != Qt::NoFocus && expected.contains(w->objectName()))
                chain << w->objectName();
        }
        QCOMPARE(chain, expected);
    }

    void screenshot() {
        m_main->Show();
        SaveScreenshot(m_main->form, QStringLiteral("mainform"));
    }

    void currentChannelFormShowsWholeInBothLanguages_data() { BothLanguages(); }
    void currentChannelFormShowsWholeInBothLanguages() {
        QFETCH(UiLanguage, language);
        QVERIFY(InstallLanguage(language));
        QDialog dialog;
        Ui::CurrentChannelForm ui;
        ui.setupUi(&dialog);
        if (language == UiLanguage::Chinese) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("设置当前信道"));
            CheckInventory(dialog, kCurrentChannelForm);
        } else {
            QCOMPARE(ui.readChannelButton->text(), QStringLiteral("Read Current"));
        }
        // Channel numbers are inserted at run time; the form only sizes the box for them.
        ui.channelCombo->addItems({QStringLiteral("16")});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        CheckEveryControlShowsWhole(dialog, kCurrentChannelForm);
        SaveScreenshot(dialog, QStringLiteral("currentchannel"));
        QTest::mouseClick(ui.closeButton, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
    }

    // The controls that tools and notes name are found under those names.
    void everyNamedControlIsOnItsForm() {
        QDialog current;
        Ui::CurrentChannelForm currentUi;
        currentUi.setupUi(&current);
        CAboutDialog about;
        const std::pair<QWidget*, QStringList> forms[] = {
            {&m_main->form,
             {"channelList",      "logEdit",          "channelNoEdit",      "rxEdit",
              "txEdit",           "baud1200Button",   "baud2400Button",     "baud4800Button",
              "baud9600Button",   "powerCombo",       "rateCombo",          "squelchCombo",
              "txTimeLimitCombo", "powerSaveCombo",   "priorityDataButton", "priorityVoiceButton",
              "rxBusyLowButton",  "rxBusyHighButton", "txVcoOffButton",     "txVcoOnButton",
              "fsqcOffButton",    "fsqcOnButton",     "extSqcLowButton",    "extSqcHighButton",
              "dataVoiceCombo",   "parityNoneButton", "parityEvenButton",   "clearButton",
              "confirmButton",    "parityOddButton",  "dataBits7Button",    "dataBits8Button",
              "stopBits1Button",  "stopBits2Button",  "remoteOffButton",    "remoteOnButton"}},
            {&current,
             {"closeButton", "readChannelButton", "writeChannelButton", "channelCombo",
              "squelchCombo"}},
            {&about, {"okButton"}}};
        for (const auto& [form, names] : forms) {
            for (const QString& name : names)
                QVERIFY2(form->findChild<QWidget*>(name) != nullptr, qPrintable(name));
        }
    }

    void aboutBoxShowsVersionIconAndClosesWithOk_data() { BothLanguages(); }
    void aboutBoxShowsVersionIconAndClosesWithOk() {
        QFETCH(UiLanguage, language);
        QVERIFY(InstallLanguage(language));
        CAboutDialog about;
        QStringList texts;
        bool hasIcon = false;
        for (QLabel* label : about.findChildren<QLabel*>()) {
            texts << label->text();
            hasIcon = hasIcon || !label->pixmap().isNull();
        }
        QVERIFY(hasIcon);
        auto* ok = about.findChild<QPushButton*>();
        if (language == UiLanguage::Chinese) {
            QCOMPARE(about.windowTitle(), QStringLiteral("关于 OrvelTool"));
            QVERIFY(texts.contains(QStringLiteral("OrvelTool 1.0 版")));
            QVERIFY(texts.contains(QStringLiteral("语言：中文（简体）")));
            QCOMPARE(ok->text(), QStringLiteral("确定"));
        }
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const std::vector<Control> controls = {{"labelVersion", Label, ""},
                                               {"labelCopyright", Label, ""},
                                               {"labelLanguage", Label, ""},
                                               {"labelIcon", Label, ""},
                                               {"okButton", Push, ""}};
        CheckEveryControlShowsWhole(about, controls);
        SaveScreenshot(about, QStringLiteral("about"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

private:
    std::unique_ptr<MainForm> m_main;
};

int RunFormTests(int argc, char** argv) {
    FormTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "form_test.moc"
