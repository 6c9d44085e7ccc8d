#include "form_controls.h"

#include "ui_mainform.h"

FormControls FormControls::Bind(const Ui::MainForm& form) {
    FormControls controls;
    controls.channelList = form.id1000;
    controls.logEdit = form.id1001;
    controls.channelNoEdit = form.id1002;
    controls.rxEdit = form.id1003;
    controls.txEdit = form.id1004;
    controls.powerCombo = form.id1009;
    controls.rateCombo = form.id1010;
    controls.squelchCombo = form.id1011;
    controls.dataVoiceCombo = form.id1024;
    controls.clearButton = form.id1031;
    controls.confirmButton = form.id1032;
    return controls;
}
