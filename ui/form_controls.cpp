#include "form_controls.h"

#include "ui_mainform.h"

FormControls FormControls::Bind(const Ui::MainForm& form) {
    FormControls controls;
    controls.channelList = form.channelList;
    controls.logEdit = form.logEdit;
    controls.channelNoEdit = form.channelNoEdit;
    controls.rxEdit = form.rxEdit;
    controls.txEdit = form.txEdit;
    controls.powerCombo = form.powerCombo;
    controls.rateCombo = form.rateCombo;
    controls.squelchCombo = form.squelchCombo;
    controls.dataVoiceCombo = form.dataVoiceCombo;
    controls.clearButton = form.clearButton;
    controls.confirmButton = form.confirmButton;
    return controls;
}
