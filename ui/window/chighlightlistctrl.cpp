#include "chighlightlistctrl.h"

#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <cmath>
#include <utility>

namespace orvel {

namespace {

// Draws one cell of a row in the list's own style. Each cell paints its share of the row, so a
// highlighted row is coloured from the first to the last column.
class RowDelegate : public QStyledItemDelegate {
public:
    explicit RowDelegate(CHighlightListCtrl* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (m_list->highlightMode() <= CHighlightListCtrl::kHighlightNormal) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        // A selection the user cannot act on (the list is not focused) is not shown.
        const bool listFocused = m_list->hasFocus();
        const bool highlighted = listFocused && option.state.testFlag(QStyle::State_Selected);
        const QPalette& palette = option.palette;
        const QRect cell = option.rect;
        const QString text = displayText(index.data(Qt::DisplayRole), option.locale);

        painter->save();
        painter->setFont(option.font);
        painter->fillRect(cell, highlighted ? palette.highlight() : palette.base());

        constexpr auto kSingleLine = Qt::AlignVCenter | Qt::TextSingleLine;
        if (index.column() == 0) {
            // The channel label reads as a heading cell whatever the row's state.
            painter->fillRect(cell.adjusted(1, 1, -1, -1), palette.button());
            painter->setPen(Qt::black);
            const QRect textRect = cell.adjusted(2, 0, -2, 0);
            painter->drawText(
                textRect, Qt::AlignLeft | kSingleLine,
                option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
        } else if (!text.isEmpty()) {
            painter->setPen(highlighted ? palette.color(QPalette::HighlightedText)
                                        : QColor(Qt::black));
            const QRect textRect = cell.adjusted(2, 0, -2, 0);
            painter->drawText(
                textRect, Qt::AlignHCenter | kSingleLine,
                option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
        }

        if (listFocused && m_list->showsFocusOutline() &&
            index.row() == m_list->currentIndex().row()) {
            DrawFocusEdges(painter, cell, index.column());
        }
        painter->restore();
    }

private:
    // The row's outline without its bottom edge; inverted so it shows on any background.
    void DrawFocusEdges(QPainter* painter, const QRect& cell, int column) const {
        painter->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter->setPen(QPen(Qt::white, 0, Qt::DotLine));
        painter->drawLine(cell.topLeft(), cell.topRight());
        if (column == 0) {
            painter->drawLine(cell.topLeft(), cell.bottomLeft());
        }
        if (column == m_list->model()->columnCount() - 1) {
            painter->drawLine(cell.topRight(), cell.bottomRight());
        }
    }

    CHighlightListCtrl* m_list;
};

}  // namespace

CListHeaderCtrl::CListHeaderCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(false);
    setSectionsMovable(false);
    setHighlightSections(false);
    // Qt's default floor is the font's widest glyph, which some fonts make wider than a
    // column: the widths given are kept whatever the font.
    setMinimumSectionSize(1);
}

void CListHeaderCtrl::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(viewport());
        painter.fillRect(viewport()->rect(), palette().button());
    }
    QHeaderView::paintEvent(event);
}

// The column layout is fixed: no resizing by dragging a divider. A click only reports its head.
void CListHeaderCtrl::mousePressEvent(QMouseEvent* event) {
    m_pressedSection =
        event->button() == Qt::LeftButton ? logicalIndexAt(event->position().toPoint()) : -1;
    event->accept();
}
void CListHeaderCtrl::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}
void CListHeaderCtrl::mouseReleaseEvent(QMouseEvent* event) {
    const int pressed = std::exchange(m_pressedSection, -1);
    if (event->button() == Qt::LeftButton && pressed >= 0 &&
        pressed == logicalIndexAt(event->position().toPoint())) {
        emit sectionClicked(pressed);
    }
    event->accept();
}
void CListHeaderCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

CHighlightListCtrl::CHighlightListCtrl(QWidget* parent) : QTableView(parent) {
    setHorizontalHeader(new CListHeaderCtrl(this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setItemDelegate(new RowDelegate(this));
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows can be chosen (Shift and Ctrl with a click, Shift with the arrows) for the
    // commands that act on rows; the panel shows the first of them.
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    // Tab leaves the list for the next control instead of walking its cells.
    setTabKeyNavigation(false);
    // Chosen rows dragged to another place move there.
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    UpdateRowHeight();
}

int CHighlightListCtrl::SetHighlightMode(int mode) {
    const int previous = m_highlightMode;
    if (mode > kHighlightRow) {
        return previous;
    }
    m_highlightMode = mode;
    viewport()->update();
    return previous;
}

// Rows are taller than the style's one-line row, by 7/5, so the list reads as a form.
void CHighlightListCtrl::UpdateRowHeight() {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features = QStyleOptionViewItem::HasDisplay;
    option.text = QStringLiteral("信道");
    const int styleHeight =
        style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).height() +
        (showGrid() ? 1 : 0);
    verticalHeader()->setDefaultSectionSize(styleHeight * 7 / 5);
}

void CHighlightListCtrl::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        UpdateRowHeight();
    }
}

// The focus outline spans the whole row, not only the current cell.
void CHighlightListCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    viewport()->update();
}

// Selection colours depend on the focus, so every visible row may change.
void CHighlightListCtrl::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        ShowFocusOutline();
    viewport()->update();
}

void CHighlightListCtrl::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    viewport()->update();
}

void CHighlightListCtrl::ShowFocusOutline() {
    if (!m_focusOutline) {
        m_focusOutline = true;
        viewport()->update();
    }
}

void CHighlightListCtrl::selectionChanged(const QItemSelection& selected,
                                          const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    // A new model brings an empty selection with it: nothing the user did.
    if (!selected.isEmpty() || !deselected.isEmpty())
        ShowFocusOutline();
}

void CHighlightListCtrl::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    ShowFocusOutline();
}

// A keyboard user chooses a row as a mouse user clicks one: whatever moved the current row, or
// Enter or Space on it, loads it. Enter and Space first select the current row, so that a row
// Qt made current without selecting it can be chosen too.
void CHighlightListCtrl::keyPressEvent(QKeyEvent* event) {
    const QPersistentModelIndex before = currentIndex();
    const QModelIndexList selectedBefore = selectionModel()->selectedRows();
    const int key = event->key();
    const bool choose = (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
                        event->modifiers() == Qt::NoModifier && currentIndex().isValid();
    if (choose) {
        selectRow(currentIndex().row());
        event->accept();
    } else {
        QTableView::keyPressEvent(event);
    }
    if (choose || currentIndex().row() != before.row() ||
        selectionModel()->selectedRows() != selectedBefore) {
        ShowFocusOutline();
        emit rowClicked();
    }
}

// A list of channels, not a grid: Home and End go to the first and last channel.
QModelIndex CHighlightListCtrl::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (action == MoveHome || action == MoveEnd)
        modifiers |= Qt::ControlModifier;
    return QTableView::moveCursor(action, modifiers);
}

void CHighlightListCtrl::setColumnWidths(const QList<int>& widths) {
    m_columnWidths = widths;
    ApplyColumnWidths();
    updateGeometry();
}

void CHighlightListCtrl::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    ApplyColumnWidths();
}

QList<int> CHighlightListCtrl::neededWidths() const {
    const int columns =
        std::min(model() ? model()->columnCount() : 0, static_cast<int>(m_columnWidths.size()));
    QList<int> widths;
    for (int c = 0; c < columns; ++c)
        widths.append(std::max(m_columnWidths[c], horizontalHeader()->sectionSizeHint(c)));
    return widths;
}

int CHighlightListCtrl::widthFor(const QString& text) const {
    // The cell's text stands two pixels in from either edge, and a grid line takes one more;
    // the text's fraction of a pixel is rounded up, or it would be cut short.
    constexpr int kCellPadding = 2 + 2 + 1;
    return static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(text))) +
           kCellPadding;
}

QSize CHighlightListCtrl::sizeHint() const {
    int width = 0;
    for (int w : neededWidths())
        width += w;
    const int rows = model() ? model()->rowCount() : 0;
    const int height =
        horizontalHeader()->sizeHint().height() + rows * verticalHeader()->defaultSectionSize();
    const int frame = 2 * frameWidth();
    return QSize(width + frame, height + frame);
}

void CHighlightListCtrl::ApplyColumnWidths() {
    QList<int> widths = neededWidths();
    const int columns = static_cast<int>(widths.size());
    if (columns == 0)
        return;
    int total = 0;
    for (int w : widths)
        total += w;
    // Extra room is shared in proportion; rounding the column edges, not the widths, keeps the
    // last edge exactly at the list's right side.
    const int room = viewport()->width();
    if (room > total && total > 0) {
        int sum = 0;
        int edge = 0;
        for (int c = 0; c < columns; ++c) {
            sum += widths[c];
            const int next = static_cast<int>(std::lround(double(sum) * room / total));
            widths[c] = next - edge;
            edge = next;
        }
    }
    for (int c = 0; c < columns; ++c) {
        if (columnWidth(c) != widths[c])
            setColumnWidth(c, widths[c]);
    }
}

// The press has already updated the selection; a press on no row has cleared it.
void CHighlightListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit rowClicked();
    }
}

void CHighlightListCtrl::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    // Scrolled pixels would keep a focus outline drawn for the old column positions.
    if (dx != 0) {
        viewport()->update();
    }
}

bool CHighlightListCtrl::TakesDrag(QDropEvent* event) const {
    if (!model()->canDropMimeData(event->mimeData(), Qt::MoveAction, -1, -1, {})) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    return true;
}

// The chosen rows are dragged, as the model carries them; the model moves them on the drop, so
// nothing is left to do after it (Qt's own drag would then take the rows out).
void CHighlightListCtrl::startDrag(Qt::DropActions /*supportedActions*/) {
    QMimeData* data = model()->mimeData(selectionModel()->selectedRows());
    if (data == nullptr)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction);
}

// A drop anywhere on a row (its grid line too) lands there, wherever a selected row is: the
// events are taken here rather than as Qt's view places them between rows.
void CHighlightListCtrl::dragEnterEvent(QDragEnterEvent* event) {
    TakesDrag(event);
}

void CHighlightListCtrl::dragMoveEvent(QDragMoveEvent* event) {
    TakesDrag(event);
}

void CHighlightListCtrl::dropEvent(QDropEvent* event) {
    if (!TakesDrag(event))
        return;
    const int row = rowAt(event->position().toPoint().y());
    model()->dropMimeData(event->mimeData(), Qt::MoveAction, -1, -1,
                          row < 0 ? QModelIndex() : model()->index(row, 0));
}

}  // namespace orvel
