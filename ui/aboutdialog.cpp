#include "aboutdialog.h"

#include "shell_resources.h"
#include "ui_aboutdialog.h"

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent), m_ui(new Ui::AboutForm) {
    EnsureShellResources();
    m_ui->setupUi(this);
    setWindowIcon(OrvelToolIcon());
    // The box is laid out by position, like the form: a resize would only show empty space.
    setFixedSize(size());
}

CAboutDialog::~CAboutDialog() = default;
