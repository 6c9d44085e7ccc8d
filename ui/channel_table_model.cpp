#include "channel_table_model.h"

#include "document.h"
#include "lower_texts.h"
#include "radio_fields.h"

using namespace orvel;

ChannelTableModel::ChannelTableModel(Document& document, QObject* parent)
    : QAbstractTableModel(parent), document_(document), shown_(document.table()) {
    connect(&document_, &Document::changed, this, &ChannelTableModel::OnDocumentChanged);
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
        shown_[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
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
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled
                           : Qt::NoItemFlags;
}

void ChannelTableModel::Retranslate() {
    emit headerDataChanged(Qt::Horizontal, 0, kTableColumns - 1);
    emit dataChanged(index(0, 0), index(kChannelCount - 1, kTableColumns - 1));
}

void ChannelTableModel::OnDocumentChanged() {
    const ChannelTable& table = document_.table();
    for (int r = 0; r < kChannelCount; ++r) {
        const auto row = static_cast<std::size_t>(r);
        if (shown_[row] == table[row])
            continue;
        shown_[row] = table[row];
        emit dataChanged(index(r, 0), index(r, kTableColumns - 1));
    }
}
