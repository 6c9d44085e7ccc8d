// 文件 > 方案库...: the plans and every version of each, newest first; any version opens as a
// document, and the document in the window goes in as a plan, or as a plan's next version.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "plan_library.h"
#include "record_settings.h"

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace orvel {

class RecordStore;

class PlanLibraryDialog : public QDialog {
    Q_OBJECT

public:
    // `current`: the bytes a write of the window's document would send, with the name to
    // suggest for it.
    PlanLibraryDialog(const RecordSettings& settings, const MemoryImage& current,
                      const QString& suggestedName, QWidget* parent = nullptr);
    ~PlanLibraryDialog() override;

    // The name to add the document under, starting from `suggested`; nothing when cancelled.
    // Tests put their own answer here.
    std::function<std::optional<QString>(const QString& suggested)> askName;

    // Set once 打开 accepted the dialog.
    const std::optional<PlanVersion>& chosen() const { return m_chosen; }
    QString statusText() const;

public slots:
    void refresh();
    void addCurrent();
    void openChosen();

private:
    Status store(bool create);

    RecordSettings m_settings;
    MemoryImage m_current;
    QString m_suggested;
    std::unique_ptr<RecordStore> m_store;
    std::vector<PlanVersion> m_versions;  // in the list's order
    QStandardItemModel* m_model = nullptr;
    QTableView* m_view = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_openButton = nullptr;
    std::optional<PlanVersion> m_chosen;
};

}  // namespace orvel
