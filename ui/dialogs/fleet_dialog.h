// 通信 > 机群状态...: the units of the library (by site and plan) with the state their latest
// record left them in; 检查 reads the units shown in the background, 写入选中单元 brings the
// chosen ones into line with their plans, and a unit's row opens its records.
#pragma once

#include <QDialog>
#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "configuration.h"
#include "fleet_run.h"
#include "record_settings.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QThread;

namespace orvel {

class FleetTableModel;
class RecordStore;

class FleetDialog : public QDialog {
    Q_OBJECT

public:
    FleetDialog(const RecordSettings& settings, const Configuration& config,
                QWidget* parent = nullptr);
    ~FleetDialog() override;

    // Asked before a write with its question ("将写入 3 台电台。继续吗？"); true goes on. Tests
    // put their own answer here.
    std::function<bool(const QString& question)> confirmWrite;
    // Opens the unit's records. Tests put their own here.
    std::function<void(const QString& unit)> showRecords;

    FleetTableModel* model() const { return m_model; }
    QString countsText() const;
    QString statusText() const;
    bool running() const { return m_thread != nullptr; }

public slots:
    // The units again, as the filters say, each with the state of its latest record.
    void refresh();
    // A status of the units shown.
    void check();
    // The chosen units that are out of date or differ, written their plans after the question.
    void writeChosen();
    // No further unit begins; those in progress end with their radios.
    void cancel();
    void openRecords();

signals:
    // A check or a write has ended (done, or stopped by 取消).
    void runFinished();

protected:
    void reject() override;

private:
    Status store();
    void run(std::vector<UnitAssignment> units, FleetAction action);
    void unitDone(const UnitStatus& status, const std::string& seenUtc);
    void ended();
    void setStatus(const QString& text);
    void updateControls();

    RecordSettings m_settings;
    Configuration m_config;
    std::unique_ptr<RecordStore> m_store;
    std::map<std::string, std::vector<PlanVersion>> m_plans;  // of the units shown
    FleetTableModel* m_model = nullptr;
    QTableView* m_view = nullptr;
    QComboBox* m_siteFilter = nullptr;
    QComboBox* m_planFilter = nullptr;
    QLabel* m_counts = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_checkButton = nullptr;
    QPushButton* m_writeButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_recordsButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    QThread* m_thread = nullptr;
    std::atomic<bool> m_cancelled{false};
    bool m_closeWhenEnded = false;
};

}  // namespace orvel
