// 通信 > 查找电台: every port asked for a radio at once, one row each; a row that answered
// can be chosen as the window's port.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvel {
class Port;
class ProbeRun;
struct ProbeResult;
}  // namespace orvel
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

class FindRadioDialog : public QDialog {
    Q_OBJECT

public:
    struct Port {
        QString name;           // as the port menu names it; what choosing the row stores
        std::string device;     // the path that is opened
        bool open = false;      // the window's own open port, asked through it
        QString description{};  // what the system says of the device; may be empty
    };

    // The rows of a search: the ports the system lists (named as the port menu names them),
    // the configured Device and the device in use, each device once, the open one marked.
    static std::vector<Port> PortsToSearch(const QString& configuredDevice,
                                           const std::string& deviceInUse, bool inUseOpen);

    // `openPort` is the window's port; the rows marked open are asked through it, on this thread.
    FindRadioDialog(std::vector<Port> ports, orvel::Port* openPort, QWidget* parent = nullptr);
    ~FindRadioDialog() override;

    // Starts when the dialog is first shown; tests start it themselves.
    void StartSearch();
    bool Searching() const { return pending_ > 0; }
    QTableWidget* table() const { return table_; }
    // The name of the chosen row once the dialog was accepted.
    QString ChosenName() const { return chosen_; }
    // Chooses a row that answered and closes the dialog; other rows are refused.
    bool Choose(int row);

    // The pause between polls of the open port; it keeps the dialog working.
    std::function<void(int)> pause;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowResult(std::size_t row, const orvel::ProbeResult& result);
    void Finish();
    void UpdateButtons();

    std::vector<Port> ports_;
    std::vector<bool> answered_;
    orvel::Port* openPort_;
    std::unique_ptr<orvel::ProbeRun> run_;
    int pending_ = 0;
    bool started_ = false;
    bool cancelled_ = false;
    QString chosen_;
    QLabel* status_ = nullptr;
    QProgressBar* busy_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* use_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
