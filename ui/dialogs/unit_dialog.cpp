#include "unit_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "echo_text.h"

namespace orvel {

UnitDialog::UnitDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("unitDialog"));
    setWindowTitle(tr("单元标签"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(tr("要写入的电台的单元标签（序列号），可用扫码枪扫入(&L)："), this);
    layout->addWidget(label);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("unitLabel"));
    m_edit->setMinimumWidth(m_edit->fontMetrics().horizontalAdvance(QLatin1Char('m')) * 28);
    label->setBuddy(m_edit);
    layout->addWidget(m_edit);
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("unitLabelProblem"));
    m_problem->setTextFormat(Qt::PlainText);
    m_problem->hide();
    layout->addWidget(m_problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(tr("写入"));
    // The scanner's Enter writes.
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Refused as orvelctl refuses it, and said why: a paste can bring a tab or a line end.
    connect(m_edit, &QLineEdit::textChanged, this, [this](const QString& text) {
        QString problem;
        switch (CheckLabel(text.toStdString())) {
            case LabelFault::None:
                break;
            case LabelFault::TooLong:
                problem = tr("单元标签最长 %1 字节（一个汉字占 3 字节）").arg(kLongestLabel);
                break;
            case LabelFault::Control:
                problem = tr("单元标签不能含控制字符（如制表符、换行）");
                break;
        }
        m_problem->setText(problem);
        m_problem->setVisible(!problem.isEmpty());
        m_ok->setEnabled(!text.isEmpty() && problem.isEmpty());
    });
}

QString UnitDialog::label() const {
    return m_edit->text();
}

}  // namespace orvel
