// The programming records as the record dialog lists them: a row per record, newest first, with
// the columns a technician looks for (when, what, which unit and radio, which plan, where, who,
// how it went).
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "programming_record.h"

namespace orvel {

class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Started, Action, Unit, Radio, Plan, Station, Operator, Result, ColumnCount };

    explicit RecordTableModel(QObject* parent = nullptr);

    void setRecords(std::vector<ProgrammingRecord> records);
    const std::vector<ProgrammingRecord>& records() const { return m_records; }
    const ProgrammingRecord& record(int row) const { return m_records.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // "校验通过", "正确", or "失败（通信）：" with the outcome.
    static QString resultText(const ProgrammingRecord& record);

private:
    std::vector<ProgrammingRecord> m_records;
};

}  // namespace orvel
