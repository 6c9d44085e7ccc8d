#include "record_table_model.h"

namespace orvel {

namespace {

// Names from outside (a label a scanner typed, a station) may hold control bytes; the list shows
// them, not what they would do to the line.
QString Shown(const std::string& text) {
    QString shown;
    for (const QChar c : QString::fromStdString(text)) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            shown +=
                QStringLiteral("\\x%1").arg(static_cast<int>(c.unicode()), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

QString ClassText(const std::string& exitClass) {
    if (exitClass == "communication")
        return RecordTableModel::tr("通信");
    if (exitClass == "port")
        return RecordTableModel::tr("串口");
    return RecordTableModel::tr("数据");
}

}  // namespace

RecordTableModel::RecordTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordTableModel::setRecords(std::vector<ProgrammingRecord> records) {
    beginResetModel();
    m_records = std::move(records);
    endResetModel();
}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_records.size());
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString RecordTableModel::resultText(const ProgrammingRecord& record) {
    if (record.exitClass == "ok")
        return record.verified ? tr("校验通过") : tr("正确");
    return tr("失败（%1）：%2").arg(ClassText(record.exitClass), Shown(record.outcome));
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ProgrammingRecord& r = m_records[static_cast<std::size_t>(index.row())];
    if (role == Qt::ToolTipRole && index.column() == Plan)
        return QString::fromStdString(r.planSha256);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
        case Started:
            // 2026-12-07T13:45:01.123Z reads as 2026-12-07 13:45:01 UTC.
            return QString::fromStdString(r.startedUtc.substr(0, 19)).replace(u'T', u' ');
        case Action:
            return r.action == kActionWrite ? tr("写入") : tr("读出");
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
