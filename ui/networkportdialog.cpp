#include "networkportdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "network_address.h"

NetworkPortDialog::NetworkPortDialog(const QString& lastUrl, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("networkPortDialog"));
    setWindowTitle(tr("网络串口"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(tr("串口服务器上电台所接串口的地址(&A)："), this);
    layout->addWidget(label);
    edit_ = new QLineEdit(lastUrl, this);
    edit_->setObjectName(QStringLiteral("networkPortUrl"));
    edit_->setPlaceholderText(QStringLiteral("rfc2217://192.168.1.50:4001"));
    edit_->setMinimumWidth(edit_->fontMetrics().horizontalAdvance(QLatin1Char('m')) * 36);
    label->setBuddy(edit_);
    layout->addWidget(edit_);
    auto* forms = new QLabel(
        tr("rfc2217://主机:端口 — 本程序通过 RFC 2217 把服务器的串口设为 9600 波特、8 位数据、"
           "偶校验、1 位停止位\n"
           "socket://主机:端口 — 服务器的串口已设置好，数据原样传送"),
        this);
    forms->setWordWrap(true);
    layout->addWidget(forms);
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("networkPortProblem"));
    problem_->setWordWrap(true);
    layout->addWidget(problem_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setText(tr("打开"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(edit_, &QLineEdit::textChanged, this, &NetworkPortDialog::Check);
    Check();
    edit_->selectAll();
}

QString NetworkPortDialog::Url() const {
    return edit_->text().trimmed();
}

void NetworkPortDialog::Check() {
    const QString url = Url();
    orvel::NetworkAddress address;
    const std::string problem =
        url.isEmpty() ? std::string() : orvel::ParseNetworkPort(url.toStdString(), address);
    ok_->setEnabled(!url.isEmpty() && problem.empty());
    problem_->setText(problem.empty() ? QString()
                                      : tr("地址无效：%1").arg(QString::fromStdString(problem)));
    problem_->setVisible(!problem.empty());
}
