// The forms against their templates: every control with its kind, text, items, group, place in
// the tab order and position, and every text readable at the form's font.
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionComboBox>
#include <QtTest>
#include <map>
#include <vector>

#include "aboutdialog.h"
#include "chighlightlistctrl.h"
#include "control_ids.h"
#include "form_layout.h"
#include "language.h"
#include "shell_tests.h"
#include "ui_currentchanneldialog.h"
#include "ui_mainform.h"
#include "under_wine.h"

namespace {

enum class Kind { Radio, Group, Label, Edit, Log, Combo, Push, List };

struct Control {
    const char* name;
    Kind kind;
    const char* text;
    QRect units;  // dialog units; for a combo box the height is that of its opened list
    std::vector<const char*> items = {};
};

using enum Kind;

// Template 101 in template order. The edit panel's fields are three units narrower than in the
// classic template, and the "MHz" labels start three units earlier: at this font "MHz" needs 16
// units and must stay clear of the 编辑 box's edge.
const std::vector<Control> kMainForm = {
    {"parityNoneButton", Radio, "无校验", {474, 173, 37, 12}},
    {"parityOddButton", Radio, "奇校验", {474, 193, 36, 12}},
    {"parityEvenButton", Radio, "偶校验", {474, 212, 37, 10}},
    {"boxChannelList", Group, "", {4, 2, 291, 228}},
    {"channelList", List, "", {10, 16, 281, 209}},
    {"boxMessages", Group, "消息", {3, 231, 292, 75}},
    {"logEdit", Log, "", {10, 241, 280, 58}},
    {"boxEdit", Group, "编辑", {298, 2, 107, 270}},
    {"labelChannelNo", Label, "信道号:", {312, 19, 30, 11}},
    {"channelNoEdit", Edit, "", {342, 17, 44, 15}},
    {"labelRxFreq", Label, "接收频率:", {306, 50, 36, 8}},
    {"rxEdit", Edit, "", {342, 47, 44, 15}},
    {"labelTxFreq", Label, "发送频率:", {306, 82, 36, 8}},
    {"txEdit", Edit, "", {342, 78, 44, 15}},
    {"labelRxMhz", Label, "MHz", {387, 50, 16, 8}},
    {"labelTxMhz", Label, "MHz", {387, 81, 16, 9}},
    {"confirmButton", Push, "确认", {310, 241, 38, 17}},
    {"clearButton", Push, "清除", {354, 241, 40, 17}},
    {"labelPower", Label, "功率级别:", {306, 114, 36, 8}},
    {"powerCombo", Combo, "", {342, 111, 44, 100}, {"P1", "P2", "P3", "P4", "P5"}},
    {"labelRate", Label, "信道速率:", {306, 146, 36, 8}},
    {"rateCombo", Combo, "", {342, 143, 44, 86}, {"1200", "2400", "4800"}},
    {"labelSquelch", Label, "静噪电平:", {305, 211, 36, 9}},
    {"squelchCombo",
     Combo,
     "",
     {342, 209, 44, 110},
     {"L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9"}},
    {"boxSettingsMode", Group, "设置模式", {409, 2, 111, 146}},
    {"boxTxTimeLimit", Group, "发射限时", {298, 275, 52, 31}},
    {"labelTxTimeLimitUnit", Label, "秒", {339, 289, 9, 10}},
    {"txTimeLimitCombo",
     Combo,
     "",
     {303, 286, 33, 158},
     {"关", "30", "60", "90", "120", "150", "180", "240", "300", "600", "900", "1200"}},
    {"labelPowerSaveUnit", Label, "秒", {393, 289, 8, 9}},
    {"powerSaveCombo",
     Combo,
     "",
     {362, 287, 30, 144},
     {"关", "0.5", "1.0", "1.5", "2.0", "3.0", "5.0", "7.0", "9.0"}},
    {"boxDataVoicePriority", Group, "数据/话音优先", {415, 15, 99, 40}},
    {"priorityDataButton", Radio, "高-数据 低-话音", {421, 27, 79, 13}},
    {"priorityVoiceButton", Radio, "低-数据 高-话音", {421, 40, 78, 13}},
    {"boxRxBusy", Group, "接收忙指示", {414, 60, 51, 42}},
    {"rxBusyLowButton", Radio, "低-忙", {421, 72, 39, 14}},
    {"rxBusyHighButton", Radio, "高-忙", {421, 85, 39, 14}},
    {"boxTxVco", Group, "发射VCO", {469, 103, 45, 39}},
    {"txVcoOffButton", Radio, "关", {474, 114, 25, 14}},
    {"txVcoOnButton", Radio, "开", {474, 130, 26, 10}},
    {"boxFsqc", Group, "FSQC", {469, 60, 45, 42}},
    {"fsqcOffButton", Radio, "关", {474, 71, 22, 14}},
    {"fsqcOnButton", Radio, "开", {474, 87, 25, 10}},
    {"boxExtSqc", Group, "Ext SQC", {414, 103, 51, 39}},
    {"extSqcLowButton", Radio, "低-打开", {421, 113, 40, 14}},
    {"extSqcHighButton", Radio, "高-打开", {421, 127, 40, 14}},
    {"boxSerialSettings", Group, "串口设置", {409, 150, 111, 122}},
    {"boxBaudRate", Group, "波特率", {414, 162, 52, 64}},
    {"baud1200Button", Radio, "1200bps", {421, 172, 42, 10}},
    {"baud2400Button", Radio, "2400bps", {421, 185, 42, 10}},
    {"baud4800Button", Radio, "4800bps", {421, 198, 41, 10}},
    {"baud9600Button", Radio, "9600bps", {421, 211, 41, 10}},
    {"boxParity", Group, "校验", {470, 162, 45, 64}},
    {"boxDataBits", Group, "数据位", {414, 228, 52, 38}},
    {"dataBits7Button", Radio, "7位", {421, 240, 27, 10}},
    {"dataBits8Button", Radio, "8位", {421, 254, 26, 10}},
    {"boxStopBits", Group, "停止位", {470, 228, 45, 38}},
    {"stopBits1Button", Radio, "1位", {474, 240, 29, 10}},
    {"stopBits2Button", Radio, "2位", {474, 254, 30, 10}},
    {"boxRemoteControl", Group, "遥控", {409, 275, 112, 31}},
    {"remoteOffButton", Radio, "禁止", {421, 288, 30, 10}},
    {"remoteOnButton", Radio, "允许", {473, 287, 31, 11}},
    {"labelDataVoice", Label, "数据/话音:", {302, 180, 40, 8}},
    {"dataVoiceCombo", Combo, "", {342, 178, 44, 86}, {"关", "开"}},
    {"boxPowerSave", Group, "省电模式", {355, 275, 50, 31}},
};

const std::vector<Control> kCurrentChannelForm = {
    {"readChannelButton", Push, "读当前信道", {14, 14, 53, 18}},
    {"writeChannelButton", Push, "写当前信道", {14, 41, 53, 18}},
    {"closeButton", Push, "返回", {14, 67, 53, 18}},
    {"labelChannel", Label, "通道号:", {96, 16, 29, 9}},
    {"channelCombo", Combo, "", {126, 14, 27, 177}},
    {"labelSquelch", Label, "静噪电平:", {88, 43, 36, 8}},
    {"squelchCombo",
     Combo,
     "",
     {126, 41, 28, 177},
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

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QWidget* Child(QWidget& form, const char* name) {
    return form.findChild<QWidget*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

const char* ClassOf(Kind kind) {
    static const char* const kClasses[] = {"QRadioButton", "QGroupBox",         "QLabel",
                                           "QLineEdit",    "QPlainTextEdit",    "QComboBox",
                                           "QPushButton",  "CHighlightListCtrl"};
    return kClasses[int(kind)];
}

// The text a control shows, whatever its kind.
QString ShownText(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        return box->title();
    }
    return QString();
}

void CheckInventory(QWidget& form, const std::vector<Control>& controls) {
    const auto children = form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(children.size(), qsizetype(controls.size()));
    for (const Control& control : controls) {
        QWidget* widget = Child(form, control.name);
        QVERIFY2(widget != nullptr, control.name);
        QVERIFY2(widget->inherits(ClassOf(control.kind)), control.name);
        QCOMPARE(ShownText(widget), Text(control.text));
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            QVERIFY2(!combo->isEditable(), control.name);
            QStringList expected;
            for (const char* item : control.items) {
                expected << Text(item);
            }
            QStringList actual;
            for (int i = 0; i < combo->count(); ++i) {
                actual << combo->itemText(i);
            }
            QCOMPARE(actual, expected);
        }
    }
}

// Both axes scale dialog units by one factor each, taken from the form's own size. Combo boxes
// keep their closed height, so only their top edge is checked.
void CheckDialogUnits(QWidget& form, QSize formUnits, const std::vector<Control>& controls) {
    const double fx = double(form.width()) / formUnits.width();
    const double fy = double(form.height()) / formUnits.height();
    for (const Control& control : controls) {
        QWidget* widget = Child(form, control.name);
        QVERIFY2(widget != nullptr, control.name);
        const QRect actual = widget->geometry();
        const QRect& du = control.units;
        const auto near = [](int a, double b) { return std::abs(a - b) <= 1.0; };
        QVERIFY2(near(actual.x(), du.x() * fx), control.name);
        QVERIFY2(near(actual.y(), du.y() * fy), control.name);
        // A label may reach further right when its text needs it (the "MHz" units do).
        if (control.kind == Label) {
            QVERIFY2(actual.width() >= du.width() * fx - 1.0, control.name);
        } else {
            QVERIFY2(near(actual.width(), du.width() * fx), control.name);
        }
        if (control.kind != Combo) {
            QVERIFY2(near(actual.height(), du.height() * fy), control.name);
        }
    }
}

// Where a control draws its text or frame; for a radio button only indicator and text, which
// is less than the template's rectangle.
QRect InkRect(QWidget* widget) {
    const QRect r = widget->geometry();
    if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        option.text = radio->text();
        const QStyle* style = radio->style();
        const QRect indicator =
            style->subElementRect(QStyle::SE_RadioButtonIndicator, &option, radio);
        const int textWidth = radio->fontMetrics().horizontalAdvance(radio->text());
        const int height = std::max(indicator.height(), radio->fontMetrics().height());
        const int width = indicator.width() +
                          style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &option, radio) +
                          textWidth;
        return QRect(r.x(), r.y() + (r.height() - height) / 2, width, height);
    }
    return r;
}

// The texts the controls show, in the language installed.
void CheckTextsFit(QWidget& form, const std::vector<Control>& controls) {
    for (const Control& control : controls) {
        QWidget* widget = Child(form, control.name);
        QVERIFY2(widget != nullptr, control.name);
        const QFontMetrics metrics = widget->fontMetrics();
        if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            QVERIFY2(InkRect(radio).width() <= radio->width(),
                     qPrintable(QStringLiteral("%1: %2 of %3 wide, font %4 %5px")
                                    .arg(control.name)
                                    .arg(InkRect(radio).width())
                                    .arg(radio->width())
                                    .arg(QFontInfo(radio->font()).family())
                                    .arg(QFontInfo(radio->font()).pixelSize())));
            QVERIFY2(InkRect(radio).height() <= radio->height() + 2, control.name);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->contentsRect().width(),
                     control.name);
            QVERIFY2(metrics.height() <= label->height(), control.name);
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin);
            QVERIFY2(metrics.horizontalAdvance(button->text()) + 2 * margin <= button->width(),
                     control.name);
        } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            QVERIFY2(metrics.horizontalAdvance(box->title()) + 16 <= box->width(), control.name);
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.editable = false;
            option.frame = true;
            const int field = combo->style()
                                  ->subControlRect(QStyle::CC_ComboBox, &option,
                                                   QStyle::SC_ComboBoxEditField, combo)
                                  .width();
            for (int i = 0; i < combo->count(); ++i) {
                QVERIFY2(metrics.horizontalAdvance(combo->itemText(i)) <= field,
                         qPrintable(combo->itemText(i)));
            }
            QVERIFY2(combo->height() >= combo->minimumSizeHint().height(), control.name);
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            QVERIFY2(edit->height() >= edit->minimumSizeHint().height(), control.name);
        }
    }
}

// Group boxes frame other controls by design; everything else must stand on its own.
void CheckNoOverlap(QWidget& form, const std::vector<Control>& controls) {
    std::vector<std::pair<const char*, QRect>> inks;
    for (const Control& control : controls) {
        QWidget* widget = Child(form, control.name);
        QVERIFY2(widget != nullptr, control.name);
        if (control.kind != Group) {
            inks.emplace_back(control.name, InkRect(widget));
        }
    }
    for (size_t a = 0; a < inks.size(); ++a) {
        QVERIFY2(form.rect().contains(inks[a].second), inks[a].first);
        for (size_t b = a + 1; b < inks.size(); ++b) {
            QVERIFY2(!inks[a].second.intersects(inks[b].second),
                     qPrintable(QStringLiteral("%1 / %2").arg(inks[a].first, inks[b].first)));
        }
    }
}

// Where a label draws its text: a label may be wider than its text.
QRect TextInk(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        const QRect r = label->geometry();
        const int width = label->fontMetrics().horizontalAdvance(label->text());
        const Qt::Alignment align = label->alignment();
        const int left = (align & Qt::AlignRight)     ? r.right() + 1 - width
                         : (align & Qt::AlignHCenter) ? r.x() + (r.width() - width) / 2
                                                      : r.x();
        return QRect(left, r.y(), width, r.height());
    }
    return InkRect(widget);
}

// Every control lies within the smallest group box around it, clear of the box's frame line by
// at least two pixels, so that no text touches an edge.
void CheckInsideTheirBoxes(QWidget& form, const std::vector<Control>& controls) {
    std::vector<QWidget*> boxes;
    for (const Control& control : controls) {
        if (control.kind == Group) {
            boxes.push_back(Child(form, control.name));
        }
    }
    for (const Control& control : controls) {
        if (control.kind == Group) {
            continue;
        }
        const QRect ink = TextInk(Child(form, control.name));
        QWidget* around = nullptr;
        for (QWidget* box : boxes) {
            const QRect frame = box->geometry();
            if (frame.contains(ink.center()) &&
                (!around || frame.width() * frame.height() < around->width() * around->height())) {
                around = box;
            }
        }
        if (!around) {
            continue;
        }
        const QRect inner = around->geometry().adjusted(3, 3, -3, -3);
        QVERIFY2(inner.contains(ink), qPrintable(QStringLiteral("%1 in %2: %3,%4 %5x%6")
                                                     .arg(QLatin1String(control.name))
                                                     .arg(around->objectName())
                                                     .arg(ink.x())
                                                     .arg(ink.y())
                                                     .arg(ink.width())
                                                     .arg(ink.height())));
    }
}

}  // namespace

class FormTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_form = std::make_unique<QWidget>();
        m_ui.setupUi(m_form.get());
    }
    void cleanup() { m_form.reset(); }

    void mainFormHasTheTemplateControls() { CheckInventory(*m_form, kMainForm); }

    void controlsStandWhereTheTemplatePutsThem() {
        CheckDialogUnits(*m_form, QSize(523, 314), kMainForm);
    }

    void everyTextFitsItsControl() { CheckTextsFit(*m_form, kMainForm); }

    void noTwoControlsOverlap() { CheckNoOverlap(*m_form, kMainForm); }

    void controlsStayClearOfTheirBoxEdges() { CheckInsideTheirBoxes(*m_form, kMainForm); }

    // A small screen gets the same form at a smaller scale, font included: every text still
    // fits, nothing overlaps or touches a box's edge, and the controls keep their places.
    void theFormScalesDownWithItsTexts_data() {
        QTest::addColumn<double>("scale");
        for (int step = 0; step <= 6; ++step) {
            const double scale = CFormLayout::kSmallestScale + step * 0.025;
            QTest::newRow(qPrintable(QString::number(scale, 'f', 3))) << scale;
        }
    }
    void theFormScalesDownWithItsTexts() {
        QFETCH(double, scale);
        if (orvel::test::UnderWine() && scale < CFormLayout::kSmallestScale + 0.01) {
            QSKIP(
                "wine has none of Windows' fonts: in its fallback, WenQuanYi Micro Hei, "
                "a radio's text at the smallest scale is a pixel wider than the radio");
        }
        const QSize full = m_form->size();
        std::map<QString, QRect> template_;
        for (const Control& control : kMainForm) {
            template_[QLatin1String(control.name)] = Child(*m_form, control.name)->geometry();
        }
        CFormLayout* layout = LayOutMainForm(m_form.get());
        m_form->show();
        m_form->resize(qCeil(full.width() * scale), qCeil(full.height() * scale));
        layout->activate();
        QVERIFY(std::abs(layout->Scale() - scale) < 1e-6);
        QCOMPARE(QFontInfo(m_form->font()).pixelSize(), layout->PixelSizeAt(scale));
        QVERIFY(layout->PixelSizeAt(scale) >= 10);
        // Each control where the full-size form has it, scaled; labels and combo boxes may be
        // taller, about the same centre, where their text needs it.
        for (const Control& control : kMainForm) {
            const QRect was = template_[QLatin1String(control.name)];
            const QRect now = Child(*m_form, control.name)->geometry();
            const auto near = [](double a, double b) { return std::abs(a - b) <= 1.0; };
            // The form is up to a pixel larger than the scaled template: the list and the log
            // take that pixel.
            const QString name = QLatin1String(control.name);
            const double extra = (name == "boxChannelList" || name == "channelList" ||
                                  name == "boxMessages" || name == "logEdit")
                                     ? m_form->width() - full.width() * scale
                                     : 0.0;
            // Controls right of the list move along by that pixel.
            const double slack = m_form->width() - full.width() * scale;
            QVERIFY2(std::abs(now.x() - was.x() * scale) <= 1.0 + slack, control.name);
            QVERIFY2(near(now.width(), was.width() * scale + extra), control.name);
            if (control.kind == Label || control.kind == Combo) {
                // A height grown by an odd number of pixels moves the centre by half of one.
                QVERIFY2(std::abs(now.center().y() - was.center().y() * scale) <= 1.5,
                         control.name);
                QVERIFY2(now.height() >= was.height() * scale - 1.0, control.name);
            } else {
                const double extraHeight = (name == "boxMessages" || name == "logEdit")
                                               ? m_form->height() - full.height() * scale
                                               : 0.0;
                QVERIFY2(near(now.y(), was.y() * scale), control.name);
                QVERIFY2(near(now.height(), was.height() * scale + extraHeight), control.name);
            }
        }
        CheckTextsFit(*m_form, kMainForm);
        CheckNoOverlap(*m_form, kMainForm);
        CheckInsideTheirBoxes(*m_form, kMainForm);
    }

    // Past the smallest scale the form stops shrinking: its frame scrolls instead.
    void theFormNeverShrinksBelowTheSmallestScale() {
        CFormLayout* layout = LayOutMainForm(m_form.get());
        QCOMPARE(m_form->minimumSizeHint(), QSize(qCeil(889 * CFormLayout::kSmallestScale),
                                                  qCeil(565 * CFormLayout::kSmallestScale)));
        m_form->show();
        m_form->resize(300, 200);
        layout->activate();
        QCOMPARE(layout->Scale(), CFormLayout::kSmallestScale);
    }

    // A larger window widens the list and the log and makes the log taller; everything right of
    // them moves along unchanged, and the font stays as it is.
    void extraRoomGoesToTheListAndTheLog() {
        CFormLayout* layout = LayOutMainForm(m_form.get());
        m_form->show();
        m_form->resize(889, 565);
        layout->activate();
        std::map<QString, QRect> before;
        for (const Control& control : kMainForm) {
            before[QLatin1String(control.name)] = Child(*m_form, control.name)->geometry();
        }
        const QSize extra(300, 200);
        m_form->resize(QSize(889, 565) + extra);
        layout->activate();
        QCOMPARE(layout->Scale(), 1.0);
        QCOMPARE(m_form->font().pointSize(), 9);
        for (const Control& control : kMainForm) {
            const QString name = QLatin1String(control.name);
            const QRect was = before[name];
            const QRect now = Child(*m_form, control.name)->geometry();
            if (name == "boxChannelList" || name == "channelList") {
                QCOMPARE(now, was.adjusted(0, 0, extra.width(), 0));
            } else if (name == "boxMessages" || name == "logEdit") {
                QCOMPARE(now, was.adjusted(0, 0, extra.width(), extra.height()));
            } else {
                QCOMPARE(now, was.translated(extra.width(), 0));
            }
        }
    }

    // A group box stacked above its buttons would take their clicks.
    void groupBoxesLieBelowTheOtherControls() {
        for (const Control& control : kMainForm) {
            if (control.kind == Kind::Radio) {
                QWidget* radio = Child(*m_form, control.name);
                const QPoint centre = radio->geometry().center();
                QCOMPARE(m_form->childAt(centre), radio);
            }
        }
    }

    void radioButtonsFormTheTemplateGroups() {
        int grouped = 0;
        for (const RadioGroup& expected : kRadioGroups) {
            auto* group = m_form->findChild<QButtonGroup*>(QLatin1String(expected.name));
            QVERIFY2(group != nullptr, expected.name);
            QVERIFY(group->exclusive());
            QStringList names;
            for (QAbstractButton* button : group->buttons()) {
                names << button->objectName();
            }
            QStringList expectedNames;
            for (const char* name : expected.buttons) {
                expectedNames << QLatin1String(name);
            }
            // The order is the value order the settings fields use.
            QCOMPARE(names, expectedNames);
            grouped += int(expected.buttons.size());
        }
        QCOMPARE(m_form->findChildren<QRadioButton*>().size(), grouped);
    }

    // All buttons share one parent, so without their groups Qt would make them exclude each
    // other across the whole form.
    void checkingAButtonLeavesOtherGroupsAlone() {
        m_form->show();
        auto* noParity = m_form->findChild<QRadioButton*>("parityNoneButton");
        auto* evenParity = m_form->findChild<QRadioButton*>("parityEvenButton");
        auto* vcoOff = m_form->findChild<QRadioButton*>("txVcoOffButton");
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
        for (QLineEdit* edit : {m_ui.rxEdit, m_ui.txEdit}) {
            QTest::keyClicks(edit, "223.12345");
            QCOMPARE(edit->text(), QStringLiteral("223.1234"));
        }
        QVERIFY(m_ui.channelNoEdit->isReadOnly());
        QVERIFY(m_ui.channelNoEdit->alignment() & Qt::AlignHCenter);
        QVERIFY(!(m_ui.channelNoEdit->focusPolicy() & Qt::TabFocus));
        QVERIFY(!m_ui.logEdit->isReadOnly());
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
        QStringList chain;
        for (QWidget* w = m_form->nextInFocusChain(); w != m_form.get();
             w = w->nextInFocusChain()) {
            if (w->parentWidget() == m_form.get() && w->focusPolicy() != Qt::NoFocus) {
                chain << w->objectName();
            }
        }
        QCOMPARE(chain, expected);
    }

    void screenshot() {
        m_form->show();
        SaveScreenshot(*m_form, QStringLiteral("mainform"));
    }

    void currentChannelFormMatchesItsTemplate() {
        QDialog dialog;
        Ui::CurrentChannelForm ui;
        ui.setupUi(&dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("设置当前信道"));
        CheckInventory(dialog, kCurrentChannelForm);
        CheckDialogUnits(dialog, QSize(175, 95), kCurrentChannelForm);
        // Channel numbers are inserted at run time; the form only sizes the box for them.
        ui.channelCombo->addItems({QStringLiteral("16")});
        CheckTextsFit(dialog, kCurrentChannelForm);
        CheckNoOverlap(dialog, kCurrentChannelForm);
        dialog.show();
        SaveScreenshot(dialog, QStringLiteral("currentchannel"));
        QTest::mouseClick(ui.closeButton, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
    }

    // The forms in English: the translated texts fit (the longer option texts take the room
    // beside them), nothing overlaps and nothing touches a box's edge.
    void theEnglishFormsFitTheirTexts() {
        QVERIFY(InstallLanguage(UiLanguage::English));
        m_form = std::make_unique<QWidget>();
        m_ui.setupUi(m_form.get());
        QCOMPARE(m_ui.boxMessages->title(), QStringLiteral("Messages"));
        LayOutMainForm(m_form.get());
        m_form->show();
        QDialog dialog;
        Ui::CurrentChannelForm ui;
        ui.setupUi(&dialog);
        QCOMPARE(ui.readChannelButton->text(), QStringLiteral("Read Current"));
        InstallLanguage(UiLanguage::Chinese);
        CheckTextsFit(*m_form, kMainForm);
        CheckNoOverlap(*m_form, kMainForm);
        CheckInsideTheirBoxes(*m_form, kMainForm);
        CheckTextsFit(dialog, kCurrentChannelForm);
        CheckNoOverlap(dialog, kCurrentChannelForm);
    }

    // A control traced from its old number is found under the name the map gives it.
    void everyNumberedControlIsOnItsForm() {
        QDialog current;
        Ui::CurrentChannelForm currentUi;
        currentUi.setupUi(&current);
        CAboutDialog about;
        const std::map<orvel::ControlForm, QWidget*> forms = {
            {orvel::ControlForm::Main, m_form.get()},
            {orvel::ControlForm::CurrentChannel, &current},
            {orvel::ControlForm::About, &about}};
        for (const orvel::ControlId& id : orvel::kControlIds) {
            const auto form = forms.find(id.form);
            if (form == forms.end())
                continue;
            const QString name = QString::fromUtf8(id.objectName.data(), id.objectName.size());
            QVERIFY2(form->second->findChild<QWidget*>(name) != nullptr, qPrintable(name));
        }
    }

    void aboutBoxShowsVersionIconAndClosesWithOk() {
        CAboutDialog about;
        QCOMPARE(about.windowTitle(), QStringLiteral("关于 OrvelTool"));
        // Same font and so the same dialog units as the main form.
        QVERIFY(std::abs(about.width() - 235.0 * m_form->width() / 523) <= 1.0);
        QVERIFY(std::abs(about.height() - 55.0 * m_form->height() / 314) <= 1.0);
        QStringList texts;
        bool hasIcon = false;
        for (QLabel* label : about.findChildren<QLabel*>()) {
            texts << label->text();
            hasIcon = hasIcon || !label->pixmap().isNull();
        }
        QVERIFY(texts.contains(QStringLiteral("OrvelTool 1.0 版")));
        QVERIFY(texts.contains(QStringLiteral("语言：中文（简体）")));
        QVERIFY(hasIcon);
        auto* ok = about.findChild<QPushButton*>();
        QCOMPARE(ok->text(), QStringLiteral("确定"));
        about.show();
        SaveScreenshot(about, QStringLiteral("about"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

private:
    std::unique_ptr<QWidget> m_form;
    Ui::MainForm m_ui;
};

int RunFormTests(int argc, char** argv) {
    FormTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "form_test.moc"
