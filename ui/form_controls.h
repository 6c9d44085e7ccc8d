// The main form's controls that the view's parts reach directly (the settings find theirs by
// their "setting" property).
#pragma once

class QLineEdit;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class CHighlightListCtrl;
namespace Ui {
class MainForm;
}

struct FormControls {
    QLineEdit* channelNoEdit = nullptr;
    QLineEdit* rxEdit = nullptr;
    QLineEdit* txEdit = nullptr;
    QComboBox* powerCombo = nullptr;
    QComboBox* rateCombo = nullptr;
    QComboBox* squelchCombo = nullptr;
    QComboBox* dataVoiceCombo = nullptr;
    QPlainTextEdit* logEdit = nullptr;
    CHighlightListCtrl* channelList = nullptr;
    QPushButton* confirmButton = nullptr;
    QPushButton* clearButton = nullptr;

    static FormControls Bind(const Ui::MainForm& form);
};
