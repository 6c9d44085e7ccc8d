#include "compare_dialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "lower_texts.h"
#include "radio_fields.h"

namespace orvel {

namespace {

// The channel list's column heads and the settings panel's labels.
QString FieldName(const std::string& key) {
    for (const orvel::ChannelField& field : orvel::kChannelFields) {
        if (field.key == key)
            return CoreText(field.heading);
    }
    if (const orvel::SettingField* setting = orvel::FindSetting(key))
        return CoreText(setting->label);
    return QString::fromStdString(key);
}

QString Value(const std::string& text) {
    return text.empty() ? CompareDialog::tr("（空）") : CoreText(text);
}

}  // namespace

QString DifferenceLineShown(const orvel::ConfigDifference& d) {
    const QString change = Value(d.a) + QStringLiteral(" -> ") + Value(d.b);
    if (d.where == "header")
        return CompareDialog::tr("头部: ") + change;
    if (d.where == "spareA" || d.where == "spareB") {
        return CompareDialog::tr("备用区%1: 字节 %2 ")
                   .arg(d.where == "spareA" ? QLatin1Char('A') : QLatin1Char('B'))
                   .arg(QString::fromStdString(d.field)) +
               change;
    }
    const QString field = FieldName(d.field);
    QString where = CompareDialog::tr("设置");
    if (d.where.rfind("channel ", 0) == 0)
        where = CompareDialog::tr("信道%1").arg(QString::fromStdString(d.where.substr(8)));
    return where + QLatin1Char(' ') + field + QStringLiteral(": ") + change;
}

QStringList DifferenceLinesShown(const std::vector<orvel::ConfigDifference>& differences) {
    QStringList lines;
    for (const orvel::ConfigDifference& difference : differences)
        lines << DifferenceLineShown(difference);
    if (lines.isEmpty())
        lines << CompareDialog::tr("无差异");
    return lines;
}

CompareDialog::CompareDialog(const QStringList& lines, QWidget* parent, Purpose purpose)
    : QDialog(parent) {
    const bool beforeWrite = purpose == Purpose::BeforeWrite;
    setObjectName(beforeWrite ? QStringLiteral("writeCompareDialog")
                              : QStringLiteral("compareDialog"));
    setWindowTitle(beforeWrite ? tr("写入前比较") : tr("与电台比较"));
    auto* layout = new QVBoxLayout(this);
    auto* heading =
        new QLabel(beforeWrite ? tr("写入将改变电台中的这些数据（电台中的数据 -> 写入的数据）：")
                               : tr("窗口中的数据 -> 电台中的数据"),
                   this);
    layout->addWidget(heading);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("compareText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setPlainText(lines.join(QLatin1Char('\n')));
    // Read-only, yet it takes the keyboard, so that the lines can be read out one by one.
    m_text->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    heading->setBuddy(m_text);
    layout->addWidget(m_text);
    if (beforeWrite) {
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Ok)->setText(tr("写入(&W)"));
        buttons->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
        // Enter alone must not overwrite the radio: writing is a click or Alt+W.
        buttons->button(QDialogButtonBox::Cancel)->setDefault(true);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);
    } else {
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
        buttons->button(QDialogButtonBox::Close)->setText(tr("返回"));
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);
    }
    resize(460, 360);
}

QString CompareDialog::text() const {
    return m_text->toPlainText();
}

}  // namespace orvel
