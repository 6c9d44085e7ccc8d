#include "form_controls.h"

#include <QComboBox>
#include <QLineEdit>

#include "radio_fields.h"
#include "ui_mainform.h"

namespace orvel {

FormControls FormControls::Bind(const Ui::MainForm& form, const QWidget& root) {
    FormControls controls;
    controls.channelList = form.channelList;
    controls.logEdit = form.logEdit;
    controls.channelNoEdit = form.channelNoEdit;
    for (const orvel::ChannelField& field : orvel::kChannelFields) {
        const QString key =
            QString::fromLatin1(field.key.data(), static_cast<qsizetype>(field.key.size()));
        if (field.kind == orvel::ColumnKind::Frequency)
            controls.columnEdits[field.column] =
                root.findChild<QLineEdit*>(key + QStringLiteral("Edit"));
        if (field.IsList())
            controls.columnCombos[field.column] =
                root.findChild<QComboBox*>(key + QStringLiteral("Combo"));
    }
    controls.clearButton = form.clearButton;
    controls.confirmButton = form.confirmButton;
    return controls;
}

}  // namespace orvel
