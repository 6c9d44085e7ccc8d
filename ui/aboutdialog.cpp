#include "aboutdialog.h"

#include <QLabel>

#include "language.h"
#include "shell_resources.h"
#include "ui_aboutdialog.h"

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent), m_ui(new Ui::AboutForm) {
    EnsureShellResources();
    m_ui->setupUi(this);
    setWindowIcon(OrvelToolIcon());
    // The language in use, under the copyright line, in the same font.
    auto* language = new QLabel(LanguageLine(), this);
    language->setObjectName(QStringLiteral("labelLanguage"));
    language->setGeometry(m_ui->labelCopyright->x(), 72, 220, m_ui->labelCopyright->height());
    // The box is laid out by position, like the form: a resize would only show empty space.
    setFixedSize(size());
}

CAboutDialog::~CAboutDialog() = default;
