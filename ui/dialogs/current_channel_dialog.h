// Reads the radio's current channel with its squelch level, or makes another channel current.
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <functional>
#include <memory>

#include "poll_receive.h"

namespace Ui {
class CurrentChannelForm;
}
class QComboBox;

namespace orvel {

class Port;

class CurrentChannelDialog : public QDialog {
    Q_OBJECT

public:
    // The port stays the caller's; the dialog only talks through it.
    explicit CurrentChannelDialog(orvel::Port* port, QWidget* parent = nullptr);
    ~CurrentChannelDialog() override;

    void OnReadCurrent();
    void OnWriteCurrent();

    QComboBox* channelList() const;
    QComboBox* squelchList() const;

    // Shows a message; tests answer it instead.
    std::function<void(const QString&)> message;
    // The pause between polls; keeps the dialog painting.
    std::function<void(int)> pause;
    orvel::PollTiming timing = orvel::PollTiming::Prompt;

private:
    std::unique_ptr<Ui::CurrentChannelForm> m_ui;
    orvel::Port* m_port;
    QComboBox* m_channelCombo = nullptr;
    QComboBox* m_squelchCombo = nullptr;
};

}  // namespace orvel
