// The channel list's model: the document's sixteen rows and seven columns, shown and spoken in
// the window's language while the document keeps the table's own texts.
#pragma once

#include <QAbstractTableModel>

#include "memory_image.h"

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

    // After a change of language.
    void Retranslate();

private:
    void OnDocumentChanged();

    Document& document_;
    orvel::ChannelTable shown_;
};
