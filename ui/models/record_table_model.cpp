#include "record_table_model.h"

#include <QColor>
#include <QTextDocument>
#include <iterator>

#include "echo_text.h"

namespace orvel {

namespace {

// Names from outside (a label a scanner typed, a station, a server's text) may hold control
// characters; the list shows them, not what they would do to the line.
QString Shown(const std::string& text) {
    return QString::fromStdString(EscapeControls(text));
}

QString ClassText(ExitClass exitClass) {
    if (exitClass == ExitClass::Communication)
        return RecordTableModel::tr("通信");
    if (exitClass == ExitClass::Port)
        return RecordTableModel::tr("串口");
    return RecordTableModel::tr("数据");
}

}  // namespace

RecordTableModel::RecordTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordTableModel::setAssignments(AssignmentSource source) {
    beginResetModel();
    m_assignments = std::move(source);
    m_assigned.clear();
    endResetModel();
}

bool RecordTableModel::setSource(PageSource source, std::string& error) {
    beginResetModel();
    m_assigned.clear();
    m_source = std::move(source);
    m_records.clear();
    const bool read = nextPage(m_records, error);
    endResetModel();
    return read;
}

void RecordTableModel::clear() {
    beginResetModel();
    m_source = nullptr;
    m_more = false;
    m_records.clear();
    endResetModel();
}

bool RecordTableModel::nextPage(std::vector<ProgrammingRecord>& page, std::string& error) {
    const bool read =
        m_source(m_records.empty() ? nullptr : &m_records.back(), kPageSize, page, error);
    m_more = read && page.size() == kPageSize;
    return read;
}

bool RecordTableModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_more;
}

void RecordTableModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    std::vector<ProgrammingRecord> page;
    std::string error;
    if (!nextPage(page, error)) {
        emit fetchFailed(QString::fromStdString(error));
        return;
    }
    if (page.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(page.size()) - 1);
    m_records.insert(m_records.end(), std::make_move_iterator(page.begin()),
                     std::make_move_iterator(page.end()));
    endInsertRows();
}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_records.size());
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString RecordTableModel::resultText(const ProgrammingRecord& record) {
    if (record.exitClass == ExitClass::Ok)
        return record.verified ? tr("校验通过") : tr("正确");
    return tr("失败（%1）：%2").arg(ClassText(record.exitClass), Shown(record.outcome));
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ProgrammingRecord& r = m_records[static_cast<std::size_t>(index.row())];
    // A tooltip takes what looks like markup as rich text; the server's text is shown as text.
    if (role == Qt::ToolTipRole && index.column() == Plan)
        return Qt::convertFromPlainText(Shown(r.planSha256));
    if (index.column() == Assigned && (role == Qt::DisplayRole || role == Qt::ForegroundRole)) {
        std::optional<AssignedPlan> assigned;
        if (!r.unit.empty() && m_assignments) {
            auto found = m_assigned.find(r.unit);
            if (found == m_assigned.end())
                found = m_assigned.emplace(r.unit, m_assignments(r.unit)).first;
            assigned = found->second;
        }
        if (!assigned)
            return {};
        // A verified write of other bytes than the plan's newest version: the unit does not
        // hold what it should.
        const bool astray = r.action == RecordAction::Write && r.verified &&
                            r.exitClass == ExitClass::Ok && r.planSha256 != assigned->newestSha256;
        if (role == Qt::ForegroundRole)
            return astray ? QVariant(QColor(Qt::red)) : QVariant();
        return astray ? tr("%1（写入的不是最新版本）").arg(Shown(assigned->name))
                      : Shown(assigned->name);
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
        case Started:
            // 2026-12-07T13:45:01.123Z reads as 2026-12-07 13:45:01 UTC.
            return QString::fromStdString(r.startedUtc.substr(0, 19)).replace(u'T', u' ');
        case Action:
            return r.action == RecordAction::Write ? tr("写入") : tr("读出");
        case Unit:
            return Shown(r.unit);
        case Radio:
            return Shown(r.radioId);
        case Plan:
            return Shown(r.planFile.empty() ? r.planSha256.substr(0, 12) : r.planFile);
        case Station:
            return Shown(r.station);
        case Operator:
            return Shown(r.operatorName);
        case Result:
            return resultText(r);
        default:
            return {};
    }
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
        case Started:
            return tr("开始时间 (UTC)");
        case Action:
            return tr("操作");
        case Unit:
            return tr("单元");
        case Assigned:
            return tr("分配的方案");
        case Radio:
            return tr("电台");
        case Plan:
            return tr("方案");
        case Station:
            return tr("工作站");
        case Operator:
            return tr("操作员");
        case Result:
            return tr("结果");
        default:
            return {};
    }
}

}  // namespace orvel
