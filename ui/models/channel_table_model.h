// The channel list's model: the document's sixteen rows and seven columns, shown and spoken in
// the window's language while the document keeps the table's own texts.
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <vector>

#include "memory_image.h"

namespace orvel {

class Document;

class ChannelTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The cell as the document holds it (" 信道3", "关"), whatever the language.
    static constexpr int kCellRole = Qt::UserRole;

    explicit ChannelTableModel(Document& document, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Rows dragged within the list, or moved through moveRows, go to `mover` as one move: the
    // chosen rows (0-based, ascending) together, the first of them at row `to`. It answers
    // whether anything moved. Channels are numbered by their place, so a move changes the rows'
    // cells rather than the rows.
    using RowMover = std::function<bool(const std::vector<int>& rows, int to)>;
    void setRowMover(RowMover mover) { m_mover = std::move(mover); }

    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override;
    // The rows of `indexes`, for this model only: no other window's list takes them.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    // Dropped on `parent`'s row, the first of the rows lands there; between rows (`row` and no
    // parent), just before row `row`; anywhere else (below the rows), on the last row.
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    bool moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                  const QModelIndex& destinationParent, int destinationChild) override;

    // After a change of language.
    void Retranslate();

private:
    void OnDocumentChanged();
    QByteArray dragOwner() const;
    // The rows a drag of this model carries; empty for any other data.
    std::vector<int> draggedRows(const QMimeData* data) const;

    Document& m_document;
    orvel::ChannelTable m_shown;
    RowMover m_mover;
};

}  // namespace orvel
