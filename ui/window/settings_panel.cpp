#include "settings_panel.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QSet>
#include <QVariant>
#include <QWidget>

#include "document.h"
#include "lower_texts.h"
#include "radio_fields.h"

namespace orvel {

namespace {

// A control is named after the innermost titled box around it: 接收忙指示 for its buttons, not
// 设置模式 around that.
QString TitleAround(const QWidget* control) {
    for (const QWidget* w = control->parentWidget(); w; w = w->parentWidget()) {
        const auto* box = qobject_cast<const QGroupBox*>(w);
        if (box && !box->title().isEmpty())
            return box->title();
    }
    return QString();
}

QLabel* LabelOf(const QWidget* control) {
    const auto labels =
        control->parentWidget()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    for (QLabel* label : labels) {
        if (label->buddy() == control)
            return label;
    }
    return nullptr;
}

// Tab enters an option group at its chosen button, where the arrow keys then move the choice.
// Qt keeps the Tab stop on the button that last had the focus; a choice made by the program
// (a read, a file) moves it here.
void KeepTabStopOnChoice(QButtonGroup* group) {
    QObject::connect(
        group, &QButtonGroup::buttonToggled, group, [group](QAbstractButton* chosen, bool checked) {
            if (!checked)
                return;
            for (QAbstractButton* button : group->buttons()) {
                const Qt::FocusPolicy policy = button->focusPolicy();
                button->setFocusPolicy(button == chosen ? Qt::FocusPolicy(policy | Qt::TabFocus)
                                                        : Qt::FocusPolicy(policy & ~Qt::TabFocus));
            }
        });
}

}  // namespace

SettingsPanel::SettingsPanel(QWidget* form, Document& document) : m_document(document) {
    QSet<QButtonGroup*> groups;
    for (QWidget* widget : form->findChildren<QWidget*>()) {
        const QVariant key = widget->property("setting");
        if (!key.isValid())
            continue;
        const SettingField* field = FindSetting(key.toString().toStdString());
        if (!field) {
            qWarning("the form names an unknown setting: %s", qPrintable(key.toString()));
            continue;
        }
        Controls& controls = m_controls[field->key];
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            controls.combo = combo;
            QObject::connect(combo, &QComboBox::currentIndexChanged, combo,
                             [this, field](int index) { OnChoice(*field, index); });
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            const int item = widget->property("item").toInt();
            // toggled, not clicked: a key or an assistive tool's toggle chooses too.
            QObject::connect(button, &QAbstractButton::toggled, button,
                             [this, field, item](bool checked) {
                                 if (checked)
                                     OnChoice(*field, item);
                             });
            if (item >= static_cast<int>(controls.buttons.size()))
                controls.buttons.resize(static_cast<std::size_t>(item) + 1, nullptr);
            controls.buttons[static_cast<std::size_t>(item)] = button;
            if (button->group() && !groups.contains(button->group())) {
                groups.insert(button->group());
                KeepTabStopOnChoice(button->group());
            }
        }
    }
    NameControls();
    QObject::connect(&m_document, &Document::changed, form, [this] {
        if (!(settings() == m_document.settings()))
            Show(m_document.settings());
    });
}

void SettingsPanel::NameControls() {
    for (const auto& [key, controls] : m_controls) {
        for (QAbstractButton* button : controls.buttons) {
            if (button) {
                button->setAccessibleName(QCoreApplication::translate("SettingsPanel", "%1：%2")
                                              .arg(TitleAround(button), button->text()));
            }
        }
        if (QComboBox* combo = controls.combo) {
            // The label beside a drop-down names its unit; the box's title says what it is.
            QString name = TitleAround(combo);
            if (QLabel* unit = LabelOf(combo)) {
                name = QCoreApplication::translate("SettingsPanel", "%1（%2）")
                           .arg(name, unit->text());
                unit->setAccessibleName(name);
            }
            combo->setAccessibleName(name);
        }
    }
}

void SettingsPanel::OnChoice(const SettingField& field, int value) {
    if (m_showing || m_document.settings().*field.member == value)
        return;
    m_document.Change(
        QCoreApplication::translate("SettingsPanel", "设置 %1").arg(CoreText(field.label)),
        [&field, value](DocumentState& state) { state.settings.*field.member = value; });
}

RadioSettings SettingsPanel::settings() const {
    RadioSettings settings = ClearedSettings();
    for (const SettingField& field : kSettingFields) {
        const auto found = m_controls.find(field.key);
        if (found == m_controls.end())
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
    m_showing = true;
    for (const SettingField& field : kSettingFields) {
        const auto found = m_controls.find(field.key);
        if (found == m_controls.end())
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
    m_showing = false;
}

}  // namespace orvel
