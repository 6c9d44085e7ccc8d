#include "current_channel_dialog.h"

#include <QAbstractButton>
#include <QPushButton>

#include "exchanges.h"
#include "lower_texts.h"
#include "painting_pause.h"
#include "port.h"
#include "ui_current_channel_dialog.h"

namespace orvel {

CurrentChannelDialog::CurrentChannelDialog(Port* port, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::CurrentChannelForm), m_port(port) {
    m_ui->setupUi(this);
    m_channelCombo = m_ui->channelCombo;
    m_squelchCombo = m_ui->squelchCombo;
    // Inserted by position: the list keeps 1..16 in channel order.
    for (int n = 1; n <= kChannelCount; ++n)
        m_channelCombo->insertItem(n - 1, QString::number(n));
    m_channelCombo->setCurrentIndex(0);
    m_squelchCombo->setCurrentIndex(0);
    message = [this](const QString& text) {
        // The dialog's own boxes carry the program's title, an OK button and no icon.
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("OrvelTool"), text, QMessageBox::Ok,
                        this);
        box.button(QMessageBox::Ok)->setText(tr("确定"));
        box.exec();
    };
    pause = PaintingPause;
    connect(m_ui->readChannelButton, &QPushButton::clicked, this,
            &CurrentChannelDialog::OnReadCurrent);
    connect(m_ui->writeChannelButton, &QPushButton::clicked, this,
            &CurrentChannelDialog::OnWriteCurrent);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

CurrentChannelDialog::~CurrentChannelDialog() = default;

QComboBox* CurrentChannelDialog::channelList() const {
    return m_channelCombo;
}
QComboBox* CurrentChannelDialog::squelchList() const {
    return m_squelchCombo;
}

void CurrentChannelDialog::OnReadCurrent() {
    ExchangeHooks hooks;
    hooks.pause = pause;
    hooks.timing = timing;
    const CurrentChannelOutcome outcome = ReadCurrentChannel(
        *m_port, hooks, [this](int channel) { m_channelCombo->setCurrentIndex(channel); });
    switch (outcome.status) {
        case ChannelStatus::PortClosed:
            message(CoreLines(lines::kPortClosed));
            break;
        case ChannelStatus::Timeout:
            message(CoreLines(lines::kReadTimeout));
            break;
        case ChannelStatus::DataError:
            message(CoreLines(lines::kBadFormat));
            break;
        case ChannelStatus::Ok: {
            const int squelch = outcome.squelch;
            m_squelchCombo->setCurrentIndex(squelch < m_squelchCombo->count() ? squelch : -1);
            message(tr("成功接收数据\r\n"));
            break;
        }
    }
}

void CurrentChannelDialog::OnWriteCurrent() {
    ExchangeHooks hooks;
    hooks.pause = pause;
    hooks.timing = timing;
    switch (SetCurrentChannel(*m_port, m_channelCombo->currentIndex(),
                              m_squelchCombo->currentIndex(), hooks)) {
        case SetChannelStatus::PortClosed:
            message(CoreLines(lines::kPortClosed));
            break;
        case SetChannelStatus::Accepted:
            message(tr("写入数据成功\r\n"));
            break;
        case SetChannelStatus::Rejected:
            message(tr("写入数据失败\r\n"));
            break;
    }
}

}  // namespace orvel
