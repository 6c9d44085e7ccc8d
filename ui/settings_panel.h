// The radio-wide settings on the form: every option group and drop-down marked with the
// "setting" property (the key of its setting) and, for a button, "item" (its value). The
// controls hold the choice; nothing is kept beside them.
#pragma once

#include <QString>
#include <functional>
#include <map>
#include <string_view>
#include <vector>

#include "memory_image.h"

class QAbstractButton;
class QComboBox;
class QObject;
class QWidget;

class SettingsPanel {
public:
    // Binds the marked controls among the children of `form`.
    explicit SettingsPanel(QWidget* form);

    // Gives each control the name a screen reader speaks: its group's title with the button's
    // text ("接收忙指示：低-忙"), or with a drop-down's unit ("发射限时（秒）"). Composed from the
    // texts shown, so it speaks the loaded language; run again after the texts are retranslated.
    void NameControls();

    // The choice shown; an option group without a checked button reads -1.
    orvel::RadioSettings Settings() const;
    // Shows `settings`; a value without a button or item leaves none chosen.
    void Show(const orvel::RadioSettings& settings);
    // Calls `changed` after each choice the user makes on the panel (not after Show).
    void OnUserChange(QObject* context, const std::function<void()>& changed);

    // Called after the user changed a setting (a click, a key, a choice in a drop-down; never
    // for Show), with the setting's label and the settings as they were before.
    std::function<void(const QString& label, const orvel::RadioSettings& before)> userChanged;

private:
    void OnUserChoice(std::string_view label);

    struct Controls {
        std::vector<QAbstractButton*> buttons;  // by value
        QComboBox* combo = nullptr;
    };
    std::map<std::string_view, Controls> controls_;
    orvel::RadioSettings shown_;  // as last shown or chosen
};
