// The commands on several rows of the channel list at once: 复制, 粘贴 and 批量设置, and the
// ones that move whole channels about (上移, 下移, 插入空行, 删除并上移, 排序, a drag). Rows
// brought in go through the confirm button's checks, one row at a time; every command is one
// undoable step.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

#include "channel_paste.h"
#include "channel_rows.h"
#include "memory_image.h"

class QMimeData;

namespace orvel {

class ChannelEditor;
class Document;
class MessageLog;
struct ViewDialogs;

// The clipboard's own format: the copied rows with the CSV header, tab-separated.
inline const QString kChannelsMimeType = QStringLiteral("application/x-orveltool-channels");

class RowCommands : public QObject {
    Q_OBJECT

public:
    RowCommands(Document& document, ChannelEditor& editor, MessageLog& log, ViewDialogs& dialogs);

    bool canCopy() const;
    bool canPaste() const;

    void OnCopy();
    void OnPaste();
    void OnFill();

    // The chosen rows, or the panel's channel when none is chosen.
    bool canRearrange() const;
    void OnMoveUp();
    void OnMoveDown();
    void OnInsertEmpty();
    void OnDeleteRows();
    // By `column` (排序: by receive frequency), ascending.
    void OnSort(int column);
    // A click on `column`'s head: ascending, or the other way when the list is as the last
    // click on that head sorted it; the head shows the order.
    void OnHeadClicked(int column);
    // Rows (0-based, ascending) dragged to row `to`: the first of them lands there. Returns
    // whether anything moved.
    bool OnMoveTo(const std::vector<int>& rows, int to);

signals:
    // What CanCopy or CanPaste answers may have changed.
    void enabledChanged();

private:
    struct Placed {
        orvel::ChannelTable table;
        QStringList faults;  // one log line per refused row
        int written = 0;
    };
    // Rows by channel number, each checked and stored as 确认 would; a refused row stays.
    Placed Place(const std::map<int, orvel::PastedRow>& rows, const QString& command) const;
    // Puts the placed rows in as one step named `label` and logs the outcome.
    void Apply(const Placed& placed, const QString& label, const QStringList& notes);
    // The row pasting starts at: the first chosen row, or the panel's channel.
    int targetRow() const;
    // The rows a rearranging command acts on: the chosen rows, or the panel's channel.
    std::vector<int> rowsToMove() const;
    // The table's rows put in `order` as one step named `label`, which the log then shows,
    // with the rows in `chosen` (places after the change) chosen in the list. Returns whether
    // the table changed.
    bool Rearrange(const orvel::RowOrder& order, const std::vector<int>& chosen,
                   const QString& label);

    void Sort(int column, orvel::SortDirection direction);
    // The head's arrow while the list is as its last sort left it.
    void ShowSortIndicator();

    Document& m_document;
    ChannelEditor& m_editor;
    MessageLog& m_log;
    ViewDialogs& m_dialogs;
    // Whether the clipboard holds rows, known until it changes: the frame asks after every
    // command, and another program owning the clipboard would be asked each time.
    mutable std::optional<bool> m_clipboardHasRows;
    // The last sort and the table it left.
    int m_sortedColumn = -1;
    orvel::SortDirection m_sortedDirection = orvel::SortDirection::Ascending;
    orvel::ChannelTable m_sortedTable{};
};

}  // namespace orvel
