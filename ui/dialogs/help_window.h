// The program's own window for a help text, used where the desktop has no viewer for text
// files: read-only, searchable with Ctrl+F.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace orvel {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the file's text; false (and a line saying so in the window) when it cannot be read.
    bool Load(const QString& path);
    QString path() const { return m_path; }

    // Finds the next (or previous) place of the search field's text, wrapping round at the end.
    bool FindNext(bool backwards = false);

private:
    void ShowSearch();

    QString m_path;
    QPlainTextEdit* m_text;
    QWidget* m_searchBar;
    QLineEdit* m_searchField;
    QLabel* m_searchState;
};

// Shows the file in the program's help window, raising the window that already shows it.
HelpWindow* ShowHelpWindow(const QString& path);

// The text of a help file: UTF-8, or GBK as the classic files are written.
QString DecodeHelpText(const QByteArray& bytes);

}  // namespace orvel
