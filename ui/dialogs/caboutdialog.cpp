#include "caboutdialog.h"

#include <QLabel>

#include "language.h"
#include "shell_resources.h"
#include "ui_caboutdialog.h"

namespace orvel {

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent), m_ui(new Ui::AboutForm) {
    EnsureShellResources();
    m_ui->setupUi(this);
    setWindowIcon(OrvelToolIcon());
    // The language in use, under the copyright line.
    m_ui->labelLanguage->setText(LanguageLine());
}

CAboutDialog::~CAboutDialog() = default;

}  // namespace orvel
