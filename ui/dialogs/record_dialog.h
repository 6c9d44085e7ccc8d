// 文件 > 编程记录...: the bench's (or the shared) programming records, newest first, filtered by
// unit, plan, station and date, exported as CSV, and a record's before or after image taken out
// to open as a document, so a bad write can be undone by writing the old bytes back.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "memory_image.h"
#include "programming_record.h"
#include "record_keeper.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace orvel {

class RecordStore;
class RecordTableModel;

// An image out of a record, with the name the window's undo step and log give it.
struct RecordImage {
    MemoryImage image{};
    QString label;
};

class RecordDialog : public QDialog {
    Q_OBJECT

public:
    explicit RecordDialog(const RecordPlace& place, QWidget* parent = nullptr);
    ~RecordDialog() override;

    // The CSV file to export to, starting from `initialPath`; empty when cancelled. Tests put
    // their own answer here.
    std::function<QString(const QString& initialPath)> exportFileName;

    RecordTableModel* model() const { return m_model; }
    // Set once 打开写入前数据 or 打开读出数据 accepted the dialog.
    const std::optional<RecordImage>& chosenImage() const { return m_chosen; }
    QString statusText() const;
    // Only `unit`'s records, for a dialog opened from a unit's row, where no document opens: the
    // buttons that open an image as one are hidden.
    void showUnit(const QString& unit);

public slots:
    // The records again, as the filters now say.
    void refresh();
    void exportCsv();
    void openBefore() { openImage(true); }
    void openAfter() { openImage(false); }

private:
    Status store();
    void openImage(bool before);
    void setStatus(const QString& text);
    void updateButtons();

    RecordPlace m_place;
    RecordFilter m_filter;
    std::unique_ptr<RecordStore> m_store;
    RecordTableModel* m_model = nullptr;
    QTableView* m_view = nullptr;
    QLineEdit* m_unitEdit = nullptr;
    QLineEdit* m_planEdit = nullptr;
    QLineEdit* m_stationEdit = nullptr;
    QLineEdit* m_sinceEdit = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_beforeButton = nullptr;
    QPushButton* m_afterButton = nullptr;
    QPushButton* m_exportButton = nullptr;
    std::optional<RecordImage> m_chosen;
};

}  // namespace orvel
