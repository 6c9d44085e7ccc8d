// The about box of the help menu and toolbar.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class AboutForm;
}

namespace orvel {

class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* parent = nullptr);
    ~CAboutDialog() override;

private:
    std::unique_ptr<Ui::AboutForm> m_ui;
};

}  // namespace orvel
