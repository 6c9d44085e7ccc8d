// The programming records as the record dialog lists them: a row per record, newest first, with
// the columns a technician looks for (when, what, which unit and radio, which plan, where, who,
// how it went).
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "programming_record.h"

namespace orvel {

class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        Started,
        Action,
        Unit,
        Assigned,
        Radio,
        Plan,
        Station,
        Operator,
        Result,
        ColumnCount
    };

    explicit RecordTableModel(QObject* parent = nullptr);

    // A shared database may hold a hundred thousand records: the list asks for a page at a time
    // as the view scrolls to its end.
    static constexpr std::size_t kPageSize = 200;
    // Up to `count` records, newest first, after `last` (none: from the newest); false with the
    // reason when they could not be read.
    using PageSource =
        std::function<bool(const ProgrammingRecord* last, std::size_t count,
                           std::vector<ProgrammingRecord>& page, std::string& error)>;

    // Starts over with the first page of `source`; false with the reason (and no records) when
    // it could not be read.
    bool setSource(PageSource source, std::string& error);
    void clear();
    const ProgrammingRecord& record(int row) const { return m_records.at(row); }
    // The plan a unit is assigned (its name, and its newest version's SHA-256); nothing for a
    // unit with none. Asked once per unit shown.
    struct AssignedPlan {
        std::string name;
        std::string newestSha256;
    };
    using AssignmentSource = std::function<std::optional<AssignedPlan>(const std::string& unit)>;
    void setAssignments(AssignmentSource source);

    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // "校验通过", "正确", or "失败（通信）：" with the outcome.
    static QString resultText(const ProgrammingRecord& record);

signals:
    // A later page could not be read; the list stays as it is.
    void fetchFailed(const QString& error);

private:
    bool nextPage(std::vector<ProgrammingRecord>& page, std::string& error);

    PageSource m_source;
    bool m_more = false;  // the last page was full
    std::vector<ProgrammingRecord> m_records;
    AssignmentSource m_assignments;
    mutable std::map<std::string, std::optional<AssignedPlan>> m_assigned;
};

}  // namespace orvel
