// The channel list: a table that draws its rows itself, with a grey label column, a full-row
// highlight that shows only while the list has the focus, and a header that sorts on a click.
#pragma once

#include <QHeaderView>
#include <QTableView>

class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QKeyEvent;
class QMouseEvent;
class QResizeEvent;
class QPaintEvent;

namespace orvel {

// Column header whose widths and order the user cannot change: the table's layout is fixed. A
// left click on a head (pressed and released on it) reports sectionClicked.
class CListHeaderCtrl : public QHeaderView {
    Q_OBJECT
public:
    explicit CListHeaderCtrl(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int m_pressedSection = -1;
};

class CHighlightListCtrl : public QTableView {
    Q_OBJECT
public:
    // 0: rows drawn by the style; 1 and 2: drawn by this class (full-row highlight).
    enum HighlightMode { kHighlightNormal = 0, kHighlightAllColumns = 1, kHighlightRow = 2 };

    explicit CHighlightListCtrl(QWidget* parent = nullptr);

    // Returns the previous mode; a mode above 2 changes nothing.
    int SetHighlightMode(int mode);
    int highlightMode() const { return m_highlightMode; }

    // The columns' widths, each at least as wide as its head needs; a wider list shares out its
    // extra room in proportion, so it shows wider columns.
    void setColumnWidths(const QList<int>& widths);

    // The width of a column that shows `text` whole.
    int widthFor(const QString& text) const;

    // Every row and column whole: the list never needs a scroll bar.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // Whether the focused row's outline is drawn: only once the user moved the focus into the
    // list or moved the selection, not for the row Qt makes current on its own.
    bool showsFocusOutline() const { return m_focusOutline; }

signals:
    // Every left-button click, on a row or not, and every key that moved the current row or
    // chose it (Enter, Space); the selection is already updated (cleared when the click hit no
    // row), so the receiver reads the first selected row, or none.
    void rowClicked();

protected:
    void changeEvent(QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Accepts the event as a move when the model takes its data, else ignores it.
    bool TakesDrag(QDropEvent* event) const;
    void UpdateRowHeight();
    void ApplyColumnWidths();
    QList<int> neededWidths() const;
    void ShowFocusOutline();

    int m_highlightMode = kHighlightNormal;
    QList<int> m_columnWidths;
    bool m_focusOutline = false;
};

}  // namespace orvel
