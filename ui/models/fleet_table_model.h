// The units as the fleet dialog lists them: a row per unit with where it is reached and what it
// should hold, and its state (what the latest record, or the check running now, says of it) in
// words and a colour of its own, with how long ago it was seen.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "fleet_run.h"

namespace orvel {

class FleetTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // What it holds or why comes last, where its width is what the dialog has left.
    enum Column { Unit, Site, Plan, Port, State, Seen, Detail, ColumnCount };

    // What the dialog shows of a state; NotChecked and the two results of a write besides the
    // states a read gives.
    enum class Shown {
        InPlan,
        OutOfDate,
        Differs,
        Unreachable,
        NoPlan,
        NoPort,
        NotChecked,
        Written,
        WriteFailed,
        ClaimedElsewhere
    };
    static constexpr int kShownCount = 10;

    struct Row {
        UnitAssignment unit;
        std::optional<UnitStatus> status;  // nothing: not yet checked
        std::string seenUtc;               // when its latest record ended
    };

    explicit FleetTableModel(QObject* parent = nullptr);

    void setRows(std::vector<Row> rows);
    const Row& row(int index) const { return m_rows.at(std::size_t(index)); }
    // The unit's row takes what a check found, seen now; false when no row is the unit's.
    bool update(const UnitStatus& status, const std::string& seenUtc);

    static Shown ShownOf(const std::optional<UnitStatus>& status);
    static QString Words(Shown shown);
    static QColor Colour(Shown shown);
    // "3 个单元：1 符合方案，1 与方案不同，1 无法连接": every state some row has, in a fixed order.
    QString counts() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<Row> m_rows;
};

}  // namespace orvel
