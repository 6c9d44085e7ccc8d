// The numeric resource ids the window's controls were first given, by form, beside the object
// names they carry now: for whoever traces a control from an old note or log to its widget. A
// number is unique only within its form (1005 reads the current channel on one and is 1200 bps on
// the other). Nothing finds a control by its number.
#pragma once

#include <array>
#include <string_view>

namespace orvel {

enum class ControlForm { Main, CurrentChannel, About, FindRadio };

struct ControlId {
    int number;
    ControlForm form;
    std::string_view objectName;
};

inline constexpr std::array kControlIds = {
    ControlId{1000, ControlForm::Main, "channelList"},
    ControlId{1001, ControlForm::Main, "logEdit"},
    ControlId{1002, ControlForm::Main, "channelNoEdit"},
    ControlId{1003, ControlForm::Main, "rxEdit"},
    ControlId{1004, ControlForm::Main, "txEdit"},
    ControlId{1005, ControlForm::Main, "baud1200Button"},
    ControlId{1006, ControlForm::Main, "baud2400Button"},
    ControlId{1007, ControlForm::Main, "baud4800Button"},
    ControlId{1008, ControlForm::Main, "baud9600Button"},
    ControlId{1009, ControlForm::Main, "powerCombo"},
    ControlId{1010, ControlForm::Main, "rateCombo"},
    ControlId{1011, ControlForm::Main, "squelchCombo"},
    ControlId{1012, ControlForm::Main, "txTimeLimitCombo"},
    ControlId{1013, ControlForm::Main, "powerSaveCombo"},
    ControlId{1014, ControlForm::Main, "priorityDataButton"},
    ControlId{1015, ControlForm::Main, "priorityVoiceButton"},
    ControlId{1016, ControlForm::Main, "rxBusyLowButton"},
    ControlId{1017, ControlForm::Main, "rxBusyHighButton"},
    ControlId{1018, ControlForm::Main, "txVcoOffButton"},
    ControlId{1019, ControlForm::Main, "txVcoOnButton"},
    ControlId{1020, ControlForm::Main, "fsqcOffButton"},
    ControlId{1021, ControlForm::Main, "fsqcOnButton"},
    ControlId{1022, ControlForm::Main, "extSqcLowButton"},
    ControlId{1023, ControlForm::Main, "extSqcHighButton"},
    ControlId{1024, ControlForm::Main, "dataVoiceCombo"},
    ControlId{1029, ControlForm::Main, "parityNoneButton"},
    ControlId{1030, ControlForm::Main, "parityEvenButton"},
    ControlId{1031, ControlForm::Main, "clearButton"},
    ControlId{1032, ControlForm::Main, "confirmButton"},
    ControlId{1033, ControlForm::Main, "parityOddButton"},
    ControlId{1034, ControlForm::Main, "dataBits7Button"},
    ControlId{1035, ControlForm::Main, "dataBits8Button"},
    ControlId{1036, ControlForm::Main, "stopBits1Button"},
    ControlId{1037, ControlForm::Main, "stopBits2Button"},
    ControlId{1038, ControlForm::Main, "remoteOffButton"},
    ControlId{1039, ControlForm::Main, "remoteOnButton"},
    ControlId{2, ControlForm::CurrentChannel, "closeButton"},
    ControlId{1005, ControlForm::CurrentChannel, "readChannelButton"},
    ControlId{1006, ControlForm::CurrentChannel, "writeChannelButton"},
    ControlId{1029, ControlForm::CurrentChannel, "channelCombo"},
    ControlId{1030, ControlForm::CurrentChannel, "squelchCombo"},
    ControlId{1, ControlForm::About, "okButton"},
    ControlId{1, ControlForm::FindRadio, "useButton"},
    ControlId{2, ControlForm::FindRadio, "cancelButton"},
    ControlId{1041, ControlForm::FindRadio, "statusLabel"},
    ControlId{1042, ControlForm::FindRadio, "busyBar"},
    ControlId{1043, ControlForm::FindRadio, "portTable"},
};

}  // namespace orvel
