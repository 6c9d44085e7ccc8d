// 通信 > 选择串口 > 网络串口...: a radio in a cabinet, wired to a serial device server, named by
// the server's URL (rfc2217://HOST:PORT or socket://HOST:PORT).
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orvel {

class NetworkPortDialog : public QDialog {
    Q_OBJECT

public:
    // `lastUrl`, the one used last, stands in the field.
    explicit NetworkPortDialog(const QString& lastUrl, QWidget* parent = nullptr);

    // The URL as entered, without surrounding blanks; only a valid one can be accepted.
    QString url() const;

private:
    void Check();

    QLineEdit* m_edit = nullptr;
    QLabel* m_problem = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace orvel
