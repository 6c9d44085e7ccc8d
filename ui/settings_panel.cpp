#include "settings_panel.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QVariant>
#include <QWidget>

#include "radio_fields.h"

using namespace orvel;

SettingsPanel::SettingsPanel(QWidget* form) {
    for (QWidget* widget : form->findChildren<QWidget*>()) {
        const QVariant key = widget->property("setting");
        if (!key.isValid())
            continue;
        const SettingField* field = FindSetting(key.toString().toStdString());
        if (!field) {
            qWarning("the form names an unknown setting: %s", qPrintable(key.toString()));
            continue;
        }
        Controls& controls = controls_[field->key];
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            controls.combo = combo;
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            const int item = widget->property("item").toInt();
            if (item >= static_cast<int>(controls.buttons.size()))
                controls.buttons.resize(static_cast<std::size_t>(item) + 1, nullptr);
            controls.buttons[static_cast<std::size_t>(item)] = button;
        }
    }
}

RadioSettings SettingsPanel::Settings() const {
    RadioSettings settings = ClearedSettings();
    for (const SettingField& field : kSettingFields) {
        const auto found = controls_.find(field.key);
        if (found == controls_.end())
            continue;
        int& value = settings.*field.member;
        value = -1;
        if (found->second.combo) {
            value = found->second.combo->currentIndex();
            continue;
        }
        const auto& buttons = found->second.buttons;
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            if (buttons[i] && buttons[i]->isChecked())
                value = static_cast<int>(i);
        }
    }
    return settings;
}

void SettingsPanel::Show(const RadioSettings& settings) {
    for (const SettingField& field : kSettingFields) {
        const auto found = controls_.find(field.key);
        if (found == controls_.end())
            continue;
        const int value = settings.*field.member;
        if (QComboBox* combo = found->second.combo) {
            combo->setCurrentIndex(value >= 0 && value < combo->count() ? value : -1);
            continue;
        }
        const auto& buttons = found->second.buttons;
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            QAbstractButton* button = buttons[i];
            if (!button)
                continue;
            // An exclusive group refuses to uncheck its last button; a value outside the
            // group's range must leave none checked.
            QButtonGroup* group = button->group();
            if (group)
                group->setExclusive(false);
            button->setChecked(static_cast<int>(i) == value);
            if (group)
                group->setExclusive(true);
        }
    }
}

void SettingsPanel::OnUserChange(QObject* context, const std::function<void()>& changed) {
    for (const auto& [key, controls] : controls_) {
        for (QAbstractButton* button : controls.buttons) {
            if (button)
                QObject::connect(button, &QAbstractButton::clicked, context, changed);
        }
        if (controls.combo)
            QObject::connect(controls.combo, &QComboBox::activated, context, changed);
    }
}
