// The radio-wide settings on the form: every option group and drop-down marked with the
// "setting" property (the key of its setting) and, for a button, "item" (its value). The
// controls show the document's settings; a choice made on them, by a click, a key or an
// assistive tool, is a step of the document.
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

namespace orvel {

struct SettingField;
class Document;

class SettingsPanel {
public:
    // Binds the marked controls among the children of `form`.
    SettingsPanel(QWidget* form, Document& document);

    // Gives each control the name a screen reader speaks: its group's title with the button's
    // text ("接收忙指示：低-忙"), or with a drop-down's unit ("发射限时（秒）"). Composed from the
    // texts shown, so it speaks the loaded language; run again after the texts are retranslated.
    void NameControls();

    // The choice shown; an option group without a checked button reads -1.
    orvel::RadioSettings settings() const;
    // Shows `settings`; a value without a button or item leaves none chosen.
    void Show(const orvel::RadioSettings& settings);

private:
    // A control now shows `value` for its setting: a step, unless the document already has it.
    void OnChoice(const orvel::SettingField& field, int value);

    struct Controls {
        std::vector<QAbstractButton*> buttons;  // by value
        QComboBox* combo = nullptr;
    };
    Document& m_document;
    std::map<std::string_view, Controls> m_controls;
    bool m_showing = false;  // the controls change because the document did
};

}  // namespace orvel
