#include "network_port_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "lower_texts.h"
#include "port_kinds.h"

namespace orvel {

NetworkPortDialog::NetworkPortDialog(const QString& lastUrl, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("networkPortDialog"));
    setWindowTitle(tr("网络串口"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(tr("串口服务器上电台所接串口的地址(&A)："), this);
    layout->addWidget(label);
    m_edit = new QLineEdit(lastUrl, this);
    m_edit->setObjectName(QStringLiteral("networkPortUrl"));
    m_edit->setPlaceholderText(QStringLiteral("rfc2217://192.168.1.50:4001"));
    m_edit->setMinimumWidth(m_edit->fontMetrics().horizontalAdvance(QLatin1Char('m')) * 36);
    label->setBuddy(m_edit);
    layout->addWidget(m_edit);
    QStringList lines;
    for (const orvel::PortKindEntry& kind : orvel::PortKinds()) {
        if (!kind.dialogLine.empty())
            lines.append(CoreText(kind.dialogLine));
    }
    auto* forms = new QLabel(lines.join(QLatin1Char('\n')), this);
    forms->setWordWrap(true);
    layout->addWidget(forms);
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("networkPortProblem"));
    m_problem->setWordWrap(true);
    layout->addWidget(m_problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(tr("打开"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_edit, &QLineEdit::textChanged, this, &NetworkPortDialog::Check);
    Check();
    m_edit->selectAll();
}

QString NetworkPortDialog::url() const {
    return m_edit->text().trimmed();
}

void NetworkPortDialog::Check() {
    const QString url = this->url();
    const std::string problem =
        url.isEmpty() ? std::string() : orvel::NetworkPortProblem(url.toStdString());
    m_ok->setEnabled(!url.isEmpty() && problem.empty());
    m_problem->setText(problem.empty() ? QString()
                                       : tr("地址无效：%1").arg(QString::fromStdString(problem)));
    m_problem->setVisible(!problem.empty());
}

}  // namespace orvel
