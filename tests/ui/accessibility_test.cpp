// The window as a screen reader and a keyboard user meet it: every control of the window and of
// its dialogs has a name in each language, the port and the progress are spoken as status and
// progress, Tab walks the form from top left to bottom right with one stop per option group, and
// every dialog answers Enter and Esc.
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <functional>
#include <memory>

#include "caboutdialog.h"
#include "chighlightlistctrl.h"
#include "cmainframe.h"
#include "compare_dialog.h"
#include "corveltoolview.h"
#include "current_channel_dialog.h"
#include "fill_dialog.h"
#include "find_radio_dialog.h"
#include "help_window.h"
#include "language.h"
#include "window_fixture.h"

using namespace orvel;
using namespace orvel::test;

namespace {

// The languages the program speaks.
const QList<UiLanguage> kLanguages = {UiLanguage::Chinese, UiLanguage::English};

bool Interactive(QAccessible::Role role) {
    using enum QAccessible::Role;
    static const QSet<QAccessible::Role> kInteractive = {
        PushButton, CheckBox,    RadioButton, ComboBox,   EditableText,   SpinBox,  Slider,
        Dial,       ProgressBar, StatusBar,   Table,      Cell,           List,     ListItem,
        Tree,       TreeItem,    PageTab,     ButtonMenu, ButtonDropDown, MenuItem, PopupMenu};
    return kInteractive.contains(role);
}

// What a screen reader says a control is. On Linux a drop-down's name is its current item, and
// what it is comes from the label that names it, as for any control without a name of its own.
QString SpokenName(QAccessibleInterface* control) {
    QString name = control->text(QAccessible::Name).trimmed();
    if (control->role() == QAccessible::ComboBox &&
        name == control->text(QAccessible::Value).trimmed()) {
        name.clear();
    }
    const auto labels = control->relations(QAccessible::Label);
    for (const auto& [label, relation] : labels) {
        if (name.isEmpty())
            name = label->text(QAccessible::Name).trimmed();
    }
    return name;
}

QString Describe(QAccessibleInterface* control) {
    const QObject* object = control->object();
    QString where = object ? QString::fromLatin1(object->metaObject()->className()) +
                                 QLatin1Char(':') + object->objectName()
                           : QStringLiteral("item");
    if (QAccessibleInterface* parent = control->parent(); parent && !object) {
        where += QStringLiteral(" in ") + Describe(parent);
    }
    return where + QStringLiteral(" role 0x%1").arg(int(control->role()), 0, 16);
}

// Every control a user can reach without a name. Hidden controls are not presented, except the
// menus: a closed menu is still what the menu bar offers.
void CollectUnnamed(QAccessibleInterface* node, QStringList& unnamed) {
    if (!node)
        return;
    const QAccessible::Role role = node->role();
    const bool offered =
        !node->state().invisible || role == QAccessible::MenuItem || role == QAccessible::PopupMenu;
    if (offered && Interactive(role) && SpokenName(node).isEmpty())
        unnamed << Describe(node);
    for (int i = 0; i < node->childCount(); ++i)
        CollectUnnamed(node->child(i), unnamed);
}

QStringList Unnamed(QWidget& window) {
    QStringList unnamed;
    CollectUnnamed(QAccessible::queryAccessibleInterface(&window), unnamed);
    return unnamed;
}

QAccessibleInterface* Accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

// Each dialog of the window, built as the window builds it.
struct DialogCase {
    const char* name;
    std::function<std::unique_ptr<QWidget>()> make;
    const char* defaultButton;  // what Enter presses; nullptr: none
};

const std::vector<DialogCase>& Dialogs() {
    static const std::vector<DialogCase> dialogs = {
        {"currentChannel", [] { return std::make_unique<CurrentChannelDialog>(nullptr); },
         "readChannelButton"},
        {"compare",
         [] {
             return std::make_unique<CompareDialog>(
                 DifferenceLinesShown({{"channel 3", "rxFreq", "223.025", "224.000"}}));
         },
         nullptr},
        {"findRadio",
         [] {
             return std::make_unique<FindRadioDialog>(
                 std::vector<FindRadioDialog::Port>{{QStringLiteral("ttyS9"), "/dev/orvel-none"}},
                 nullptr);
         },
         "useButton"},
        {"about", [] { return std::make_unique<CAboutDialog>(); }, "okButton"},
        {"fill",
         [] {
             return std::make_unique<FillDialog>(orvel::EmptyChannelTable(),
                                                 orvel::FrequencyLimits{223.0, 235.0}, 1, 16);
         },
         "fillOk"},
        {"help",
         [] {
             auto help = std::make_unique<HelpWindow>();
             help->Load(QStringLiteral("/orvel-missing/help.txt"));
             return help;
         },
         nullptr},
    };
    return dialogs;
}

}  // namespace

class AccessibilityTest : public QObject, private WindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> frame;
    COrvelToolView* view = nullptr;

    // The window as the program shows it, with or without a radio behind its port.
    void Start(bool withRadio = false) {
        if (withRadio)
            radio = StartedRadio();
        StartWindow(frame, view,
                    withRadio ? Device(*radio) : QStringLiteral("/dev/orvel-missing-port"));
        frame->show();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
    }
    QString Focused() const {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    QStringList TabStops(Qt::KeyboardModifiers modifiers) {
        QStringList stops;
        do {
            stops << Focused();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
        } while (Focused() != QLatin1String("channelList") && stops.size() < 60);
        return stops;
    }

private slots:
    void initTestCase() { QAccessible::setActive(true); }
    void init() { Begin(); }
    void cleanup() {
        InstallLanguage(UiLanguage::Chinese);
        frame.reset();
        view = nullptr;
        End();
    }

    void everyControlHasANameInEachLanguage_data() {
        QTest::addColumn<UiLanguage>("language");
        for (const UiLanguage language : kLanguages)
            QTest::newRow(language == UiLanguage::English ? "en" : "zh_CN") << language;
    }
    void everyControlHasANameInEachLanguage() {
        QFETCH(UiLanguage, language);
        QVERIFY(InstallLanguage(language));
        Start();
        // As during an exchange with the radio.
        frame->progressBar()->show();
        QCOMPARE(Unnamed(*frame), QStringList());
        for (const DialogCase& dialog : Dialogs()) {
            const std::unique_ptr<QWidget> window = dialog.make();
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            QVERIFY2(Unnamed(*window).isEmpty(),
                     qPrintable(dialog.name + QStringLiteral(": ") + Unnamed(*window).join(", ")));
        }
        InstallLanguage(UiLanguage::Chinese);
    }

    // Names composed from the texts shown: a setting with its group, a field with its label or
    // unit, a channel cell with its column.
    void namesSayWhatEachControlIs() {
        Start();
        ChannelTable table = view->table();
        table[2][1] = "223.025";
        view->document().Change({}, [&table](DocumentState& state) { state.table = table; });
        const struct {
            const char* object;
            const char* spoken;
        } kNames[] = {
            {"rxBusyLowButton", "接收忙指示：低-忙"},
            {"parityEvenButton", "校验：偶校验"},
            {"baud9600Button", "波特率：9600bps"},
            {"remoteOnButton", "遥控：允许"},
            {"rxEdit", "接收频率:"},
            {"squelchCombo", "静噪电平:"},
            {"txTimeLimitCombo", "发射限时（秒）"},
            {"powerSaveCombo", "省电模式（秒）"},
            {"logEdit", "消息"},
            {"channelList", "信道列表"},
            {"progressBar", "通信进度"},
        };
        for (const auto& expected : kNames) {
            QObject* control = frame->findChild<QObject*>(QLatin1String(expected.object));
            QVERIFY2(control, expected.object);
            QCOMPARE(SpokenName(Accessible(control)), QString::fromUtf8(expected.spoken));
        }
        QAccessibleTableInterface* list = Accessible(view->channelList())->tableInterface();
        QCOMPARE(SpokenName(list->cellAt(2, 1)), QStringLiteral("接收频率 223.025"));
        QCOMPARE(SpokenName(list->cellAt(2, 2)), QStringLiteral("发送频率"));
        QCOMPARE(SpokenName(list->cellAt(2, 0)), QStringLiteral("信道3"));
        QCOMPARE(view->table()[2][1], std::string("223.025"));

        QAccessibleInterface* port = Accessible(frame->findChild<QLabel*>("portLabel"));
        QCOMPARE(port->role(), QAccessible::StatusBar);
        QCOMPARE(port->text(QAccessible::Name), view->portStatusText());
        QCOMPARE(Accessible(frame->progressBar())->role(), QAccessible::ProgressBar);
    }

    // A read shows its progress; Qt tells the screen reader of a value while the bar is
    // visible (the offscreen platform has no accessibility bridge to listen to), and the bar's
    // accessible value follows it.
    void aReadAnnouncesItsProgress() {
        Start(true);
        QProgressBar* bar = frame->progressBar();
        QList<int> announced;
        connect(bar, &QProgressBar::valueChanged, this, [bar, &announced](int value) {
            QAccessibleValueInterface* spoken = Accessible(bar)->valueInterface();
            if (bar->isVisible() && spoken->currentValue().toInt() == value)
                announced << value;
            else
                announced << -1;
        });
        Trigger(*view, "actionReadRadio");
        QCOMPARE(LogLines(*view).last(), QStringLiteral(" ***正确接收数据***"));
        QVERIFY(announced.size() >= 5);
        QVERIFY(!announced.contains(-1));
        QVERIFY(std::is_sorted(announced.begin(), announced.end()));
        QVERIFY(!bar->isVisible());
    }

    // Tab runs from the list through the panel's fields and buttons, the settings group by
    // group, then the bottom row: the log, the two drop-downs and 遥控. An option group is one
    // stop, at its chosen button; Shift+Tab walks back the same way.
    void tabWalksTheFormTopLeftToBottomRight() {
        Start();
        const QStringList expected = {
            "channelList",     "rxEdit",
            "txEdit",          "powerCombo",
            "rateCombo",       "dataVoiceCombo",
            "squelchCombo",    "confirmButton",
            "clearButton",     "priorityDataButton",
            "rxBusyLowButton", "fsqcOffButton",
            "extSqcLowButton", "txVcoOffButton",
            "baud2400Button",  "parityNoneButton",
            "dataBits8Button", "stopBits1Button",
            "logEdit",         "txTimeLimitCombo",
            "powerSaveCombo",  "remoteOffButton",
        };
        QTRY_COMPARE(QApplication::focusWidget(), view->channelList());
        QCOMPARE(TabStops(Qt::NoModifier), expected);
        QStringList backwards(expected.rbegin(), expected.rend() - 1);
        backwards.prepend(expected.first());
        QCOMPARE(TabStops(Qt::ShiftModifier), backwards);
    }

    // Arrows move the choice within a group; Tab comes back to the new choice, also to one made
    // by the program.
    void optionGroupsTakeTheArrowKeys() {
        Start();
        auto* baud2400 = frame->findChild<QRadioButton*>("baud2400Button");
        baud2400->setFocus(Qt::TabFocusReason);
        QTest::keyClick(baud2400, Qt::Key_Down);
        QCOMPARE(Focused(), QStringLiteral("baud4800Button"));
        QVERIFY(frame->findChild<QRadioButton*>("baud4800Button")->isChecked());
        QCOMPARE(view->settings().baudRate, 2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(Focused(), QStringLiteral("parityNoneButton"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(Focused(), QStringLiteral("baud4800Button"));

        RadioSettings settings = view->settings();
        settings.baudRate = 3;
        view->settingsPanel().Show(settings);
        frame->findChild<QWidget*>("parityNoneButton")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(Focused(), QStringLiteral("baud9600Button"));
    }

    // Enter presses a dialog's default button; Esc closes every dialog.
    void dialogsAnswerEnterAndEsc() {
        for (const DialogCase& dialog : Dialogs()) {
            const std::unique_ptr<QWidget> window = dialog.make();
            window->show();
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window.get()));
            if (dialog.defaultButton) {
                auto* button = window->findChild<QPushButton*>(dialog.defaultButton);
                QVERIFY2(button && button->isDefault(), dialog.name);
            }
            QTRY_VERIFY(QApplication::focusWidget() != nullptr);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY2(!window->isVisible(), dialog.name);
        }
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
