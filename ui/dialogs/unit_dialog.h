// The unit's label for a write's programming record (INI AskUnit=1): typed, or scanned, since a
// barcode scanner types like a keyboard and ends with Enter.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orvel {

class UnitDialog : public QDialog {
    Q_OBJECT

public:
    explicit UnitDialog(QWidget* parent = nullptr);

    // As typed or scanned: the record keeps a label as given.
    QString label() const;

private:
    QLineEdit* m_edit = nullptr;
    QLabel* m_problem = nullptr;  // why the label cannot be taken
    QPushButton* m_ok = nullptr;
};

}  // namespace orvel
