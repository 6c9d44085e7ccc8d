#include "channel_table_model.h"

#include <QCoreApplication>
#include <QMimeData>
#include <algorithm>

#include "document.h"
#include "lower_texts.h"
#include "radio_fields.h"

namespace orvel {

namespace {

// Names the model a drag of rows came from, so that rows never land in another window's list.
const QString kRowsMimeType = QStringLiteral("application/x-orveltool-list-rows");

// Where the first of `rows` lands when they go just before row `before`, as Qt counts rows:
// before the move.
int PlaceBefore(const std::vector<int>& rows, int before) {
    return before - static_cast<int>(std::count_if(rows.begin(), rows.end(),
                                                   [before](int row) { return row < before; }));
}

}  // namespace

ChannelTableModel::ChannelTableModel(Document& document, QObject* parent)
    : QAbstractTableModel(parent), m_document(document), m_shown(document.table()) {
    connect(&m_document, &Document::changed, this, &ChannelTableModel::OnDocumentChanged);
}

int ChannelTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kChannelCount;
}

int ChannelTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kTableColumns;
}

QVariant ChannelTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= kChannelCount || index.column() >= kTableColumns)
        return {};
    const std::string& cell =
        m_shown[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
    switch (role) {
        case kCellRole:
            return QString::fromStdString(cell);
        case Qt::DisplayRole:
            return CoreText(cell);
        case Qt::AccessibleTextRole: {
            // A value is spoken with its column, "Receive 223.025"; the label names itself.
            const QString shown = CoreText(cell);
            if (index.column() == kColLabel)
                return shown;
            return (headerData(index.column(), Qt::Horizontal).toString() + QLatin1Char(' ') +
                    shown)
                .trimmed();
        }
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        default:
            return {};
    }
}

QVariant ChannelTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kTableColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return CoreText(kChannelFields[static_cast<std::size_t>(section)].heading);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags ChannelTableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
                                 Qt::ItemIsDropEnabled
                           : Qt::NoItemFlags;
}

QStringList ChannelTableModel::mimeTypes() const {
    return {kRowsMimeType};
}

QByteArray ChannelTableModel::dragOwner() const {
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
           QByteArray::number(reinterpret_cast<quintptr>(this));
}

QMimeData* ChannelTableModel::mimeData(const QModelIndexList& indexes) const {
    std::vector<int> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && index.model() == this)
            rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty())
        return nullptr;
    QByteArray payload = dragOwner();
    for (int row : rows)
        payload += ' ' + QByteArray::number(row);
    auto* data = new QMimeData;
    data->setData(kRowsMimeType, payload);
    return data;
}

std::vector<int> ChannelTableModel::draggedRows(const QMimeData* data) const {
    if (data == nullptr || !data->hasFormat(kRowsMimeType))
        return {};
    const QList<QByteArray> parts = data->data(kRowsMimeType).split(' ');
    if (parts.size() < 2 || parts.first() != dragOwner())
        return {};
    std::vector<int> rows;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        bool isNumber = false;
        const int row = parts[i].toInt(&isNumber);
        if (!isNumber || row < 0 || row >= kChannelCount || (!rows.empty() && row <= rows.back()))
            return {};
        rows.push_back(row);
    }
    return rows;
}

bool ChannelTableModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int /*row*/,
                                        int /*column*/, const QModelIndex& /*parent*/) const {
    return action == Qt::MoveAction && !draggedRows(data).empty();
}

bool ChannelTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                     int /*column*/, const QModelIndex& parent) {
    const std::vector<int> rows = action == Qt::MoveAction ? draggedRows(data) : std::vector<int>{};
    if (rows.empty() || !m_mover)
        return false;
    int to = kChannelCount - 1;
    if (parent.isValid())
        to = parent.row();
    else if (row >= 0 && row <= kChannelCount)
        to = PlaceBefore(rows, row);
    return m_mover(rows, to);
}

bool ChannelTableModel::moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                                 const QModelIndex& destinationParent, int destinationChild) {
    if (sourceParent.isValid() || destinationParent.isValid() || !m_mover || count < 1 ||
        sourceRow < 0 || sourceRow + count > kChannelCount || destinationChild < 0 ||
        destinationChild > kChannelCount) {
        return false;
    }
    // As Qt's own models, a block moved into itself is refused, not a move that changes nothing.
    if (destinationChild >= sourceRow && destinationChild <= sourceRow + count)
        return false;
    std::vector<int> rows(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k)
        rows[static_cast<std::size_t>(k)] = sourceRow + k;
    return m_mover(rows, PlaceBefore(rows, destinationChild));
}

void ChannelTableModel::Retranslate() {
    emit headerDataChanged(Qt::Horizontal, 0, kTableColumns - 1);
    emit dataChanged(index(0, 0), index(kChannelCount - 1, kTableColumns - 1));
}

void ChannelTableModel::OnDocumentChanged() {
    const ChannelTable& table = m_document.table();
    for (int r = 0; r < kChannelCount; ++r) {
        const auto row = static_cast<std::size_t>(r);
        if (m_shown[row] == table[row])
            continue;
        m_shown[row] = table[row];
        emit dataChanged(index(r, 0), index(r, kTableColumns - 1));
    }
}

}  // namespace orvel
