#include "row_commands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMimeData>
#include <algorithm>

#include "channel_edit.h"
#include "channel_editor.h"
#include "channel_paste.h"
#include "chighlightlistctrl.h"
#include "document.h"
#include "fill_dialog.h"
#include "lower_texts.h"
#include "message_log.h"
#include "radio_fields.h"
#include "transfer.h"
#include "view_dialogs.h"

namespace orvel {

namespace {

// Clipboards larger than a whole spreadsheet page are not channel rows; they are not read.
constexpr qsizetype kMaxPastedText = 1 << 20;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "3-4,7": channel numbers of 0-based rows, runs joined.
QString ChannelRuns(const std::vector<int>& rows) {
    QStringList runs;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t end = i;
        while (end + 1 < rows.size() && rows[end + 1] == rows[end] + 1)
            ++end;
        runs << (end == i ? QString::number(rows[i] + 1)
                          : QStringLiteral("%1-%2").arg(rows[i] + 1).arg(rows[end] + 1));
        i = end + 1;
    }
    return runs.join(QLatin1Char(','));
}

QString ClipboardText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return {};
    const QString text = data->hasFormat(kChannelsMimeType)
                             ? QString::fromUtf8(data->data(kChannelsMimeType))
                             : data->text();
    return text.size() > kMaxPastedText ? QString() : text;
}

std::vector<PastedRow> PastedRows() {
    return RowsFromText(ClipboardText().toStdString(), CoreTextUtf8);
}

}  // namespace

RowCommands::RowCommands(Document& document, ChannelEditor& editor, MessageLog& log,
                         ViewDialogs& dialogs)
    : m_document(document), m_editor(editor), m_log(log), m_dialogs(dialogs) {
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        m_clipboardHasRows.reset();
        emit enabledChanged();
    });
    connect(&m_editor, &ChannelEditor::selectionChanged, this, &RowCommands::enabledChanged);
    connect(&m_document, &Document::changed, this, &RowCommands::ShowSortIndicator);
}

bool RowCommands::canCopy() const {
    return !m_editor.selectedRows().isEmpty();
}

bool RowCommands::canPaste() const {
    if (targetRow() < 0)
        return false;
    if (!m_clipboardHasRows) {
        const std::vector<PastedRow> rows = PastedRows();
        m_clipboardHasRows =
            std::any_of(rows.begin(), rows.end(), [](const PastedRow& row) { return row; });
    }
    return *m_clipboardHasRows;
}

int RowCommands::targetRow() const {
    const QList<int> rows = m_editor.selectedRows();
    if (!rows.isEmpty())
        return rows.first();
    const int channel = m_editor.channelNo();
    return channel >= 1 && channel <= kChannelCount ? channel - 1 : -1;
}

void RowCommands::OnCopy() {
    const QList<int> rows = m_editor.selectedRows();
    if (rows.isEmpty())
        return;
    const ChannelTable& table = m_document.table();
    // A spreadsheet gets the cells as the list shows them; this program's own copy keeps the
    // table's texts, whatever the language.
    QString shown;
    QString own;
    for (int r : rows) {
        QStringList shownCells{QString::number(r + 1)};
        QStringList ownCells{QString::number(r + 1)};
        for (int c = kColRx; c < kTableColumns; ++c) {
            const std::string& cell =
                table[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            shownCells << CoreText(cell);
            ownCells << FromUtf8(cell);
        }
        shown += shownCells.join(QLatin1Char('\t')) + QLatin1Char('\n');
        own += ownCells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    QStringList header;
    for (std::string_view key : kTransferColumns)
        header << FromUtf8(key);
    auto* data = new QMimeData;
    data->setText(shown);
    data->setData(kChannelsMimeType, (header.join(QLatin1Char('\t')) + '\n' + own).toUtf8());
    QGuiApplication::clipboard()->setMimeData(data);
    m_log.AppendLog(tr("复制 %1 行").arg(rows.size()));
}

void RowCommands::OnPaste() {
    const int target = targetRow();
    const std::vector<PastedRow> pasted = PastedRows();
    if (target < 0)
        return;
    if (std::none_of(pasted.begin(), pasted.end(), [](const PastedRow& row) { return row; })) {
        m_log.AppendLog(tr("粘贴：剪贴板中没有信道数据（每行应为6项，或以信道号开头的7项）"));
        return;
    }
    std::map<int, PastedRow> rows;
    const int fitting = std::min(static_cast<int>(pasted.size()), kChannelCount - target);
    for (int k = 0; k < fitting; ++k)
        rows[target + k + 1] = pasted[k];
    QStringList notes;
    if (const int left = static_cast<int>(pasted.size()) - fitting; left > 0)
        notes << tr("粘贴：信道16之后的%1行未粘贴").arg(left);
    const Placed placed = Place(rows, tr("粘贴"));
    Apply(placed, tr("粘贴 %1 行").arg(placed.written), notes);
}

void RowCommands::OnFill() {
    const QList<int> chosen = m_editor.selectedRows();
    // Several chosen rows are the channels to fill; one chosen row fills from it to the end.
    const int first = chosen.isEmpty() ? 1 : chosen.first() + 1;
    const int last = chosen.size() > 1 ? chosen.last() + 1 : kChannelCount;
    const std::optional<FillPlan> plan =
        m_dialogs.fill(m_document.table(), m_document.limits(), first, last);
    if (!plan)
        return;
    std::map<int, PastedRow> rows;
    for (const auto& [channel, row] : FillRows(*plan, m_document.table()))
        rows[channel] = row;
    Apply(Place(rows, tr("批量设置")), tr("批量设置 信道%1-%2").arg(plan->first).arg(plan->last),
          {});
}

RowCommands::Placed RowCommands::Place(const std::map<int, PastedRow>& rows,
                                       const QString& command) const {
    Placed placed{m_document.table(), {}, 0};
    const FrequencyLimits& limits = m_document.limits();
    for (const auto& [channel, row] : rows) {
        if (!row) {
            placed.faults << tr("%1：信道%2 不是一行信道数据（应为6项，或以信道号开头的7项）")
                                 .arg(command)
                                 .arg(channel);
            continue;
        }
        const std::vector<std::string> faults = ConfirmRow(*row, channel, limits, placed.table);
        if (faults.empty())
            ++placed.written;
        else
            placed.faults << tr("%1：信道%2 %3").arg(command).arg(channel).arg(FaultText(faults));
    }
    return placed;
}

void RowCommands::Apply(const Placed& placed, const QString& label, const QStringList& notes) {
    m_document.Change(label, [&placed](DocumentState& state) { state.table = placed.table; });
    for (const QString& line : placed.faults + notes)
        m_log.AppendLog(line);
    if (placed.written > 0)
        m_log.AppendLog(label);
}

bool RowCommands::canRearrange() const {
    return !rowsToMove().empty();
}

std::vector<int> RowCommands::rowsToMove() const {
    const QList<int> chosen = m_editor.selectedRows();
    if (!chosen.isEmpty())
        return {chosen.begin(), chosen.end()};
    const int channel = m_editor.channelNo();
    if (channel >= 1 && channel <= kChannelCount)
        return {channel - 1};
    return {};
}

void RowCommands::OnMoveUp() {
    const std::vector<int> rows = rowsToMove();
    const RowOrder order = MoveUpOrder(rows);
    Rearrange(order, PlacesAfter(order, rows), tr("上移 信道%1").arg(ChannelRuns(rows)));
}

void RowCommands::OnMoveDown() {
    const std::vector<int> rows = rowsToMove();
    const RowOrder order = MoveDownOrder(rows);
    Rearrange(order, PlacesAfter(order, rows), tr("下移 信道%1").arg(ChannelRuns(rows)));
}

bool RowCommands::OnMoveTo(const std::vector<int>& rows, int to) {
    if (rows.empty())
        return false;
    const RowOrder order = MoveToOrder(rows, to);
    const std::vector<int> places = PlacesAfter(order, rows);
    return Rearrange(order, places,
                     tr("移动 信道%1 到信道%2").arg(ChannelRuns(rows)).arg(places.front() + 1));
}

void RowCommands::OnInsertEmpty() {
    const std::vector<int> rows = rowsToMove();
    if (rows.empty())
        return;
    if (const int blocker = InsertBlocker(m_document.table(), rows); blocker > 0) {
        m_log.AppendLog(tr("信道%1不是空的，不能插入空行").arg(blocker));
        return;
    }
    const RowOrder order = InsertEmptyOrder(rows);
    std::vector<int> inserted;
    for (int r = 0; r < kChannelCount; ++r) {
        if (order[static_cast<std::size_t>(r)] == kEmptyRow)
            inserted.push_back(r);
    }
    Rearrange(order, inserted, tr("插入空行 [信道%1]").arg(ChannelRuns(inserted)));
}

void RowCommands::OnDeleteRows() {
    const std::vector<int> rows = rowsToMove();
    if (rows.empty())
        return;
    // The row the first deleted one leaves to its successor stays chosen.
    Rearrange(DeleteOrder(rows), {rows.front()}, tr("删除并上移 信道%1").arg(ChannelRuns(rows)));
}

void RowCommands::OnSort(int column) {
    Sort(column, SortDirection::Ascending);
}

void RowCommands::OnHeadClicked(int column) {
    const bool again = column == m_sortedColumn && m_sortedDirection == SortDirection::Ascending &&
                       m_document.table() == m_sortedTable;
    Sort(column, again ? SortDirection::Descending : SortDirection::Ascending);
}

void RowCommands::Sort(int column, SortDirection direction) {
    if (column <= kColLabel || column >= kTableColumns)
        return;
    const std::vector<int> rows = rowsToMove();
    const RowOrder order = SortOrder(m_document.table(), static_cast<Column>(column), direction);
    const QString heading = CoreText(kChannelFields[static_cast<std::size_t>(column)].heading);
    Rearrange(order, PlacesAfter(order, rows),
              direction == SortDirection::Ascending ? tr("排序 %1").arg(heading)
                                                    : tr("倒序排序 %1").arg(heading));
    // A list already in that order is sorted all the same, as far as the next click goes.
    m_sortedColumn = column;
    m_sortedDirection = direction;
    m_sortedTable = m_document.table();
    ShowSortIndicator();
}

void RowCommands::ShowSortIndicator() {
    QHeaderView* head = m_editor.channelList()->horizontalHeader();
    const bool sorted = m_sortedColumn > 0 && m_document.table() == m_sortedTable;
    head->setSortIndicatorShown(sorted);
    if (sorted) {
        head->setSortIndicator(m_sortedColumn, m_sortedDirection == SortDirection::Ascending
                                                   ? Qt::AscendingOrder
                                                   : Qt::DescendingOrder);
    }
}

bool RowCommands::Rearrange(const RowOrder& order, const std::vector<int>& chosen,
                            const QString& label) {
    const ChannelTable table = Rearranged(m_document.table(), order);
    // Nothing that can move (the top row up, an empty table sorted) is no step and no line.
    if (!m_document.Change(label, [&table](DocumentState& state) { state.table = table; }))
        return false;
    m_editor.ChooseRows(QList<int>(chosen.begin(), chosen.end()));
    m_log.AppendLog(label);
    return true;
}

}  // namespace orvel
