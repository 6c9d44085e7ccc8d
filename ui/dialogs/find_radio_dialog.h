// 通信 > 查找电台: every port asked for a radio at once, one row each; a row that answered
// can be chosen as the window's port.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace orvel {

class Port;
class ProbeRun;
struct ProbeResult;

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
    bool isSearching() const { return m_pending > 0; }
    QTableWidget* table() const { return m_table; }
    // The name of the chosen row once the dialog was accepted.
    QString chosenName() const { return m_chosen; }
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

    std::vector<Port> m_ports;
    std::vector<bool> m_answered;
    orvel::Port* m_openPort;
    std::unique_ptr<orvel::ProbeRun> m_run;
    int m_pending = 0;
    bool m_started = false;
    bool m_cancelled = false;
    QString m_chosen;
    QLabel* m_status = nullptr;
    QProgressBar* m_busy = nullptr;
    QTableWidget* m_table = nullptr;
    QPushButton* m_use = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace orvel
