#include "fleet_table_model.h"

#include <QStringList>
#include <algorithm>
#include <array>

#include "echo_text.h"
#include "image_diff.h"

namespace orvel {

namespace {

QString Plain(const std::string& text) {
    return QString::fromStdString(EscapeControls(text));
}

// "2026-12-10T12:03:01.123Z" as "2026-12-10 12:03:01".
QString SeenText(const std::string& utc) {
    return QString::fromStdString(utc.substr(0, 19)).replace(u'T', u' ');
}

QString DetailOf(const FleetTableModel::Row& row) {
    if (!row.status)
        return {};
    const UnitStatus& status = *row.status;
    if (!status.reason.empty())
        return Plain(status.reason);
    if (status.state == FleetState::OutOfDate && status.write == UnitWrite::None)
        return FleetTableModel::tr("持有 %1").arg(Plain(status.holds));
    QStringList lines;
    for (const ConfigDifference& difference : status.differences)
        lines << Plain(DifferenceLine(difference));
    return lines.join(QStringLiteral("; "));
}

}  // namespace

FleetTableModel::FleetTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void FleetTableModel::setRows(std::vector<Row> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

bool FleetTableModel::update(const UnitStatus& status, const std::string& seenUtc) {
    const auto it = std::find_if(m_rows.begin(), m_rows.end(),
                                 [&](const Row& row) { return row.unit.unit == status.unit.unit; });
    if (it == m_rows.end())
        return false;
    it->status = status;
    it->seenUtc = seenUtc;
    const int index = int(it - m_rows.begin());
    emit dataChanged(this->index(index, 0), this->index(index, ColumnCount - 1));
    return true;
}

FleetTableModel::Shown FleetTableModel::ShownOf(const std::optional<UnitStatus>& status) {
    if (!status || !status->checked)
        return Shown::NotChecked;
    switch (status->write) {
        case UnitWrite::Written:
            return Shown::Written;
        case UnitWrite::Failed:
            return Shown::WriteFailed;
        case UnitWrite::WouldWrite:
        case UnitWrite::None:
            break;
    }
    switch (status->state) {
        case FleetState::InPlan:
            return Shown::InPlan;
        case FleetState::OutOfDate:
            return Shown::OutOfDate;
        case FleetState::Differs:
            return Shown::Differs;
        case FleetState::Unreachable:
            return Shown::Unreachable;
        case FleetState::NoPlan:
            return Shown::NoPlan;
        case FleetState::NoPort:
            return Shown::NoPort;
        case FleetState::ClaimedElsewhere:
            return Shown::ClaimedElsewhere;
    }
    return Shown::NotChecked;
}

QString FleetTableModel::Words(Shown shown) {
    switch (shown) {
        case Shown::InPlan:
            return tr("符合方案");
        case Shown::OutOfDate:
            return tr("版本过旧");
        case Shown::Differs:
            return tr("与方案不同");
        case Shown::Unreachable:
            return tr("无法连接");
        case Shown::NoPlan:
            return tr("没有方案");
        case Shown::NoPort:
            return tr("没有端口");
        case Shown::NotChecked:
            return tr("尚未检查");
        case Shown::Written:
            return tr("已写入");
        case Shown::WriteFailed:
            return tr("写入失败");
        case Shown::ClaimedElsewhere:
            return tr("由其他工作台处理");
    }
    return {};
}

QColor FleetTableModel::Colour(Shown shown) {
    // Dark enough to read on a light background; a state is also told by its words.
    static constexpr std::array<QRgb, kShownCount> kColours = {
        0x1b7f3b,  // in plan: green
        0xa15c00,  // out of date: amber
        0xb3261e,  // differs: red
        0x6a3fb5,  // unreachable: violet
        0x5f6368,  // no plan
        0x5f6368,  // no port
        0x5f6368,  // not yet checked
        0x0b57d0,  // written: blue
        0xb3261e,  // write failed: red
        0x5f6368,  // claimed by another bench's run
    };
    return QColor(kColours[std::size_t(shown)]);
}

QString FleetTableModel::counts() const {
    std::array<int, kShownCount> count{};
    for (const Row& row : m_rows)
        ++count[std::size_t(ShownOf(row.status))];
    static constexpr std::array<Shown, kShownCount> kOrder = {
        Shown::InPlan,           Shown::Written,     Shown::OutOfDate, Shown::Differs,
        Shown::WriteFailed,      Shown::Unreachable, Shown::NoPlan,    Shown::NoPort,
        Shown::ClaimedElsewhere, Shown::NotChecked};
    QStringList parts;
    for (const Shown shown : kOrder) {
        if (count[std::size_t(shown)] > 0)
            parts << tr("%1 %2").arg(count[std::size_t(shown)]).arg(Words(shown));
    }
    const QString units = tr("%n 个单元", nullptr, int(m_rows.size()));
    return parts.isEmpty() ? units : tr("%1：%2").arg(units, parts.join(tr("，")));
}

int FleetTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FleetTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FleetTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& row = m_rows[std::size_t(index.row())];
    const Shown shown = ShownOf(row.status);
    if (role == Qt::ForegroundRole && index.column() == State)
        return Colour(shown);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
        case Unit:
            return Plain(row.unit.unit);
        case Site:
            return Plain(row.unit.site);
        case Plan:
            return row.status && !row.status->plan.empty() ? Plain(row.status->plan)
                                                           : Plain(row.unit.plan);
        case Port:
            return Plain(row.unit.port);
        case State:
            return Words(shown);
        case Detail:
            return DetailOf(row);
        case Seen:
            return SeenText(row.seenUtc);
        default:
            return {};
    }
}

QVariant FleetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
        case Unit:
            return tr("单元");
        case Site:
            return tr("站点");
        case Plan:
            return tr("方案");
        case Port:
            return tr("端口");
        case State:
            return tr("状态");
        case Detail:
            return tr("持有的版本或原因");
        case Seen:
            return tr("最近检查 (UTC)");
        default:
            return {};
    }
}

}  // namespace orvel
