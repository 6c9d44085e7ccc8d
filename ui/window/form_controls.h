// The main form's controls that the view's parts reach directly (the settings find theirs by
// their "setting" property).
#pragma once

#include <array>

#include "memory_image.h"

class QLineEdit;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QWidget;
namespace Ui {
class MainForm;
}

namespace orvel {

class CHighlightListCtrl;

struct FormControls {
    QLineEdit* channelNoEdit = nullptr;
    // Each column's field on the panel, named after its key ("rxEdit", "powerCombo"); null
    // where the column has none of that sort.
    std::array<QLineEdit*, orvel::kTableColumns> columnEdits{};
    std::array<QComboBox*, orvel::kTableColumns> columnCombos{};
    QPlainTextEdit* logEdit = nullptr;
    CHighlightListCtrl* channelList = nullptr;
    QPushButton* confirmButton = nullptr;
    QPushButton* clearButton = nullptr;

    // `root` is the widget the form was set up on.
    static FormControls Bind(const Ui::MainForm& form, const QWidget& root);
};

}  // namespace orvel
