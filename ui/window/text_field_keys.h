// The window's editing keys act on the channel list and its settings, never inside a text field:
// there they do nothing at all, so that an edit box neither runs the window's command (Ctrl+V
// pasting rows while a frequency is typed) nor copies, pastes or undoes on its own. In a
// drop-down Alt with an arrow opens the list instead of moving rows.
#pragma once

#include <QObject>

class QWidget;

namespace orvel {

class TextFieldKeys : public QObject {
    Q_OBJECT

public:
    // Guards every text field and drop-down inside `form`.
    static void Guard(QWidget* form);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TextFieldKeys(QObject* parent) : QObject(parent) {}
};

}  // namespace orvel
