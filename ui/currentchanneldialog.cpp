#include "currentchanneldialog.h"

#include <QAbstractButton>
#include <QPushButton>

#include "exchanges.h"
#include "lower_texts.h"
#include "painting_pause.h"
#include "port.h"
#include "ui_currentchanneldialog.h"

using namespace orvel;

CurrentChannelDialog::CurrentChannelDialog(Port* port, QWidget* parent)
    : QDialog(parent), ui_(new Ui::CurrentChannelForm), port_(port) {
    ui_->setupUi(this);
    channelCombo_ = ui_->channelCombo;
    squelchCombo_ = ui_->squelchCombo;
    // Inserted by position: the list keeps 1..16 in channel order.
    for (int n = 1; n <= kChannelCount; ++n)
        channelCombo_->insertItem(n - 1, QString::number(n));
    channelCombo_->setCurrentIndex(0);
    squelchCombo_->setCurrentIndex(0);
    message = [this](const QString& text) {
        // The dialog's own boxes carry the program's title, an OK button and no icon.
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("OrvelTool"), text, QMessageBox::Ok,
                        this);
        box.button(QMessageBox::Ok)->setText(tr("确定"));
        box.exec();
    };
    pause = PaintingPause;
    connect(ui_->readChannelButton, &QPushButton::clicked, this,
            &CurrentChannelDialog::OnReadCurrent);
    connect(ui_->writeChannelButton, &QPushButton::clicked, this,
            &CurrentChannelDialog::OnWriteCurrent);
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

CurrentChannelDialog::~CurrentChannelDialog() = default;

QComboBox* CurrentChannelDialog::channelList() const {
    return channelCombo_;
}
QComboBox* CurrentChannelDialog::squelchList() const {
    return squelchCombo_;
}

void CurrentChannelDialog::OnReadCurrent() {
    ExchangeHooks hooks;
    hooks.pause = pause;
    hooks.timing = timing;
    const CurrentChannelOutcome outcome = ReadCurrentChannel(
        *port_, hooks, [this](int channel) { channelCombo_->setCurrentIndex(channel); });
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
            squelchCombo_->setCurrentIndex(squelch < squelchCombo_->count() ? squelch : -1);
            message(tr("成功接收数据\r\n"));
            break;
        }
    }
}

void CurrentChannelDialog::OnWriteCurrent() {
    ExchangeHooks hooks;
    hooks.pause = pause;
    hooks.timing = timing;
    switch (SetCurrentChannel(*port_, channelCombo_->currentIndex(), squelchCombo_->currentIndex(),
                              hooks)) {
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
