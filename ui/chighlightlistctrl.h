// The channel list: a table that draws its rows itself, with a grey label column, a full-row
// highlight that shows only while the list has the focus, and a header that ignores the mouse.
#pragma once

#include <QHeaderView>
#include <QTableWidget>

class QMouseEvent;
class QPaintEvent;

// Column header whose widths and order the user cannot change: the table's layout is fixed.
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
};

class CHighlightListCtrl : public QTableWidget {
    Q_OBJECT
public:
    // 0: rows drawn by the style; 1 and 2: drawn by this class (full-row highlight).
    enum HighlightMode { kHighlightNormal = 0, kHighlightAllColumns = 1, kHighlightRow = 2 };

    explicit CHighlightListCtrl(QWidget* parent = nullptr);

    // Returns the previous mode; a mode above 2 changes nothing.
    int SetHighlightMode(int mode);
    int HighlightMode() const { return m_highlightMode; }

signals:
    // Every left-button click, on a row or not; the selection is already updated (cleared when
    // the click hit no row), so the receiver reads the first selected row, or none.
    void rowClicked();

protected:
    void changeEvent(QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void UpdateRowHeight();

    int m_highlightMode = kHighlightNormal;
};
