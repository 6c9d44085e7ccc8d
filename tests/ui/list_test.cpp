// The channel list: highlight mode, row height, the inert header, clicks and how rows are drawn.
#include <QHBoxLayout>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

#include "chighlightlistctrl.h"
#include "shell_tests.h"

using namespace orvel;

namespace {

// The widths the view gives the seven columns.
constexpr int kColumnWidths[] = {48, 60, 60, 60, 60, 70, 60};

void FillChannels(QTableView& list) {
    auto* model = new QStandardItemModel(16, 7, &list);
    for (int r = 0; r < 16; ++r)
        model->setItem(r, 0, new QStandardItem(QStringLiteral(" 信道%1").arg(r + 1)));
    list.setModel(model);
    for (int c = 0; c < 7; ++c) {
        list.setColumnWidth(c, kColumnWidths[c]);
    }
}

// A plain table gives the style's own height for a one-line row.
struct PlainTable : QTableView {
    using QTableView::sizeHintForRow;
};

int StyleRowHeight(const QFont& font) {
    PlainTable table;
    table.setFont(font);
    QStandardItemModel model(1, 1);
    model.setItem(0, 0, new QStandardItem(QStringLiteral(" 信道1")));
    table.setModel(&model);
    return table.sizeHintForRow(0);
}

void Drag(QWidget* widget, QPoint from, QPoint to) {
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    QTest::mouseMove(widget, (from + to) / 2);
    QTest::mouseMove(widget, to);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
}

QPoint DividerAfterFirstColumn(QHeaderView* header) {
    return QPoint(header->sectionViewportPosition(1) - 1, header->height() / 2);
}

// The list beside a line edit, so that the focus can be moved away from it.
struct ListWindow {
    ListWindow() {
        auto* layout = new QHBoxLayout(&window);
        layout->addWidget(list);
        layout->addWidget(other);
        FillChannels(*list);
        list->setFixedWidth(480);
        window.resize(700, 520);
        window.show();
        window.activateWindow();
    }
    QWidget window;
    CHighlightListCtrl* list = new CHighlightListCtrl;
    QLineEdit* other = new QLineEdit;
};

QColor Pixel(const QImage& image, QPoint at) {
    return image.pixelColor(at);
}

// Whether any pixel of the cell, away from its edges, has the colour.
bool CellContains(const QImage& image, QRect cell, const QColor& colour) {
    for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y) {
        for (int x = cell.left() + 2; x < cell.right() - 1; ++x) {
            if (image.pixelColor(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

bool CellIsPlain(const QImage& image, QRect cell, const QColor& colour) {
    for (int y = cell.top() + 1; y < cell.bottom(); ++y) {
        for (int x = cell.left() + 1; x < cell.right(); ++x) {
            if (image.pixelColor(x, y) != colour) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

class ListTest : public QObject {
    Q_OBJECT

private slots:
    void setHighlightModeReturnsThePreviousMode() {
        CHighlightListCtrl list;
        QCOMPARE(list.highlightMode(), 0);
        struct Step {
            int mode, returned, after;
        };
        const Step steps[] = {
            {2, 0, 2}, {3, 2, 2}, {1000, 2, 2}, {0, 2, 0}, {1, 0, 1}, {2, 1, 2},
        };
        for (const Step& step : steps) {
            QCOMPARE(list.SetHighlightMode(step.mode), step.returned);
            QCOMPARE(list.highlightMode(), step.after);
        }
    }

    void rowsAreSevenFifthsOfTheStyleHeight() {
        CHighlightListCtrl list;
        FillChannels(list);
        const int expected = StyleRowHeight(list.font()) * 7 / 5;
        QVERIFY(expected > StyleRowHeight(list.font()));
        QCOMPARE(list.rowHeight(0), expected);
        QCOMPARE(list.rowHeight(15), expected);
    }

    void aFontChangeMeasuresTheRowsAgain() {
        CHighlightListCtrl list;
        FillChannels(list);
        const int before = list.rowHeight(0);
        QFont big = list.font();
        big.setPointSize(20);
        list.setFont(big);
        const int expected = StyleRowHeight(big) * 7 / 5;
        QVERIFY(expected > before);
        QCOMPARE(list.rowHeight(0), expected);
        list.model()->insertRow(16);
        QCOMPARE(list.rowHeight(16), expected);
    }

    void headerDragLeavesColumnWidthsAlone() {
        // The same drag on an ordinary table does resize, so the drag itself is real.
        PlainTable plain;
        FillChannels(plain);
        plain.resize(500, 300);
        plain.show();
        QHeaderView* plainHeader = plain.horizontalHeader();
        Drag(plainHeader->viewport(), DividerAfterFirstColumn(plainHeader),
             DividerAfterFirstColumn(plainHeader) + QPoint(40, 0));
        QVERIFY(plainHeader->sectionSize(0) > kColumnWidths[0]);

        CHighlightListCtrl list;
        FillChannels(list);
        list.resize(500, 300);
        list.show();
        QHeaderView* header = list.horizontalHeader();
        QVERIFY(qobject_cast<CListHeaderCtrl*>(header) != nullptr);
        Drag(header->viewport(), DividerAfterFirstColumn(header),
             DividerAfterFirstColumn(header) + QPoint(40, 0));
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, DividerAfterFirstColumn(header));
        for (int c = 0; c < 7; ++c) {
            QCOMPARE(header->sectionSize(c), kColumnWidths[c]);
        }
        QVERIFY(!header->isSortIndicatorShown());
    }

    void everyLeftClickReportsTheSelectedRowOrNone() {
        CHighlightListCtrl list;
        FillChannels(list);
        list.resize(500, 16 * list.rowHeight(0) + 200);
        list.show();
        QSignalSpy clicked(&list, &CHighlightListCtrl::rowClicked);
        QWidget* viewport = list.viewport();

        QTest::mouseClick(viewport, Qt::LeftButton, {},
                          list.visualRect(list.model()->index(3, 2)).center());
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(list.selectionModel()->selectedRows().size(), 1);
        QCOMPARE(list.selectionModel()->selectedRows().first().row(), 3);

        // Below the last row: the click still reports, and reports no row.
        const int belowLast = list.visualRect(list.model()->index(15, 0)).bottom() + 40;
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(100, belowLast));
        QCOMPARE(clicked.count(), 2);
        QVERIFY(list.selectionModel()->selectedRows().isEmpty());

        QTest::mouseClick(viewport, Qt::LeftButton, {},
                          list.visualRect(list.model()->index(5, 4)).center());
        QCOMPARE(clicked.count(), 3);
        QCOMPARE(list.selectionModel()->selectedRows().first().row(), 5);

        // Only the left button loads a row.
        QTest::mouseClick(viewport, Qt::RightButton, {},
                          list.visualRect(list.model()->index(7, 1)).center());
        QCOMPARE(clicked.count(), 3);
    }

    // The keyboard chooses rows as the mouse does: every key that moves the current row or the
    // selection reports, Enter and Space choose the current row, and other keys say nothing.
    void keysThatMoveOrChooseTheRowReportIt() {
        ListWindow w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        CHighlightListCtrl& list = *w.list;
        list.setFocus();
        QSignalSpy chosen(&list, &CHighlightListCtrl::rowClicked);
        const auto selectedRow = [&list] {
            const QModelIndexList rows = list.selectionModel()->selectedRows();
            return rows.isEmpty() ? -1 : rows.first().row();
        };
        // The focus made row 0 current without selecting it: Enter chooses it.
        QCOMPARE(list.currentIndex().row(), 0);
        QCOMPARE(selectedRow(), -1);
        QTest::keyClick(&list, Qt::Key_Return);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(selectedRow(), 0);

        const std::tuple<Qt::Key, int> moves[] = {
            {Qt::Key_Down, 1}, {Qt::Key_End, 15},      {Qt::Key_Up, 14},
            {Qt::Key_Home, 0}, {Qt::Key_PageDown, -1}, {Qt::Key_Home, 0},
        };
        for (const auto& [key, row] : moves) {
            const int before = chosen.count();
            QTest::keyClick(&list, key);
            QCOMPARE(chosen.count(), before + 1);
            if (row >= 0) {
                QCOMPARE(selectedRow(), row);
            }
        }
        // At the top, Up moves nothing and reports nothing; Space chooses the row again.
        QTest::keyClick(&list, Qt::Key_Home);
        const int atTop = chosen.count();
        QTest::keyClick(&list, Qt::Key_Up);
        QCOMPARE(chosen.count(), atTop);
        QTest::keyClick(&list, Qt::Key_Space);
        QCOMPARE(chosen.count(), atTop + 1);
        QCOMPARE(selectedRow(), 0);
        // Left and Right move within the row: the row stays chosen as it was.
        QTest::keyClick(&list, Qt::Key_Down);
        const int onRow = chosen.count();
        QTest::keyClick(&list, Qt::Key_Right);
        QTest::keyClick(&list, Qt::Key_Left);
        QCOMPARE(chosen.count(), onRow);
        // Tab leaves the list without choosing anything.
        QTest::keyClick(&list, Qt::Key_Tab);
        QCOMPARE(chosen.count(), onRow);
        QVERIFY(w.other->hasFocus());
    }

    // The row Qt makes current when the list first gets the focus gets no outline; the outline
    // appears once the user tabs into the list or moves the selection.
    void theOutlineWaitsForTheUser() {
        ListWindow w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        CHighlightListCtrl& list = *w.list;
        list.SetHighlightMode(2);
        list.setFocus();
        QCOMPARE(list.currentIndex().row(), 0);
        const QColor base = list.palette().color(QPalette::Base);
        const QRect cell = list.visualRect(list.model()->index(0, 3));
        const auto topEdgeMarked = [&] {
            const QImage shot = list.viewport()->grab().toImage();
            for (int x = cell.left(); x < cell.right(); ++x) {
                if (shot.pixelColor(x, cell.top()) != base) {
                    return true;
                }
            }
            return false;
        };
        QVERIFY(!list.showsFocusOutline());
        QVERIFY(!topEdgeMarked());

        w.other->setFocus();
        QTest::keyClick(w.other, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(list.hasFocus());
        QVERIFY(list.showsFocusOutline());
        QVERIFY(topEdgeMarked());

        CHighlightListCtrl clicked;
        FillChannels(clicked);
        clicked.resize(500, 300);
        clicked.show();
        QVERIFY(!clicked.showsFocusOutline());
        QTest::mouseClick(clicked.viewport(), Qt::LeftButton, {},
                          clicked.visualRect(clicked.model()->index(2, 2)).center());
        QVERIFY(clicked.showsFocusOutline());
    }

    // Given widths are kept where the list is narrower; a head that needs more gets it; a wider
    // list shares out its extra room in proportion. At its preferred size the list shows every
    // row and column whole.
    void columnWidthsFitTheirHeadsAndFillTheList() {
        CHighlightListCtrl list;
        FillChannels(list);
        list.resize(150, 300);
        list.show();
        const QList<int> widths(std::begin(kColumnWidths), std::end(kColumnWidths));
        list.setColumnWidths(widths);
        const auto shown = [&list] {
            QList<int> now;
            for (int c = 0; c < 7; ++c) {
                now << list.columnWidth(c);
            }
            return now;
        };
        QCOMPARE(shown(), widths);  // narrower than the columns: they keep their widths
        list.model()->setHeaderData(5, Qt::Horizontal, QStringLiteral("数据/话音优先级别"));
        list.setColumnWidths(widths);
        const int head = list.horizontalHeader()->sectionSizeHint(5);
        QVERIFY(head > kColumnWidths[5]);
        QCOMPARE(list.columnWidth(5), head);
        list.model()->setHeaderData(5, Qt::Horizontal, QVariant());
        list.setColumnWidths(widths);

        list.resize(1000, 300);
        const int room = list.viewport()->width();
        QVERIFY(room > 2 * 418);
        int total = 0;
        for (int c = 0; c < 7; ++c) {
            QVERIFY(std::abs(list.columnWidth(c) - kColumnWidths[c] * room / 418.0) <= 1.5);
            total += list.columnWidth(c);
        }
        QCOMPARE(total, list.viewport()->width());

        list.resize(list.sizeHint());
        QCoreApplication::processEvents();
        QVERIFY(!list.verticalScrollBar()->isVisible());
        QVERIFY(!list.horizontalScrollBar()->isVisible());
        QCOMPARE(shown(), widths);
        QVERIFY(list.rowViewportPosition(15) + list.rowHeight(15) <= list.viewport()->height());
    }

    void theSelectedRowIsHighlightedOnlyWhileTheListHasFocus() {
        ListWindow w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        CHighlightListCtrl& list = *w.list;
        list.SetHighlightMode(2);
        list.model()->setData(list.model()->index(2, 1), QStringLiteral("230.125"));
        list.setFocus();
        list.selectRow(2);
        QVERIFY(list.hasFocus());
        const QPalette palette = list.palette();
        const QColor highlight = palette.color(QPalette::Highlight);
        const QColor base = palette.color(QPalette::Base);
        const QColor button = palette.color(QPalette::Button);
        const auto cell = [&list](int row, int column) {
            return list.visualRect(list.model()->index(row, column));
        };

        QImage shot = list.viewport()->grab().toImage();
        for (int c = 1; c < 7; ++c) {
            QCOMPARE(Pixel(shot, cell(2, c).topLeft() + QPoint(3, 3)), highlight);
        }
        QCOMPARE(Pixel(shot, cell(2, 0).topLeft() + QPoint(3, 3)), button);
        QVERIFY(CellContains(shot, cell(2, 0), Qt::black));
        QVERIFY(CellContains(shot, cell(2, 1), palette.color(QPalette::HighlightedText)));
        QVERIFY(CellIsPlain(shot, cell(2, 4), highlight));
        QVERIFY(CellIsPlain(shot, cell(1, 4), base));
        QCOMPARE(Pixel(shot, cell(1, 0).topLeft() + QPoint(3, 3)), button);

        w.other->setFocus();
        QVERIFY(!list.hasFocus());
        QVERIFY(list.selectionModel()->isRowSelected(2, QModelIndex()));
        shot = list.viewport()->grab().toImage();
        QCOMPARE(Pixel(shot, cell(2, 3).topLeft() + QPoint(3, 3)), base);
        QVERIFY(CellContains(shot, cell(2, 1), Qt::black));
        QCOMPARE(Pixel(shot, cell(2, 0).topLeft() + QPoint(3, 3)), button);
    }

    void theFocusedRowHasAnOutlineWithoutBottomEdge() {
        ListWindow w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        CHighlightListCtrl& list = *w.list;
        list.SetHighlightMode(2);
        list.setFocus();
        list.selectRow(4);
        const QColor highlight = list.palette().color(QPalette::Highlight);
        const QRect first = list.visualRect(list.model()->index(4, 0));
        const QRect third = list.visualRect(list.model()->index(4, 2));
        const QRect last = list.visualRect(list.model()->index(4, 6));

        const auto lineDiffers = [](const QImage& image, QPoint from, QPoint to,
                                    const QColor& colour) {
            const QPoint step((to.x() > from.x()) ? 1 : 0, (to.y() > from.y()) ? 1 : 0);
            for (QPoint p = from; p != to; p += step) {
                if (image.pixelColor(p) != colour) {
                    return true;
                }
            }
            return false;
        };
        QImage shot = list.viewport()->grab().toImage();
        QVERIFY(lineDiffers(shot, third.topLeft(), third.topRight(), highlight));
        QVERIFY(lineDiffers(shot, last.topRight(), last.bottomRight(), highlight));
        QVERIFY(!lineDiffers(shot, third.bottomLeft(), third.bottomRight(), highlight));
        QVERIFY(lineDiffers(shot, first.topLeft(), first.bottomLeft(), highlight));

        w.other->setFocus();
        shot = list.viewport()->grab().toImage();
        QVERIFY(!lineDiffers(shot, third.topLeft(), third.topRight(),
                             list.palette().color(QPalette::Base)));
    }

    // Mode 0 leaves the drawing to the style: no grey label column.
    void modeZeroDrawsTheStyleWay() {
        ListWindow w;
        CHighlightListCtrl& list = *w.list;
        const QRect label = list.visualRect(list.model()->index(1, 0));
        QImage shot = list.viewport()->grab().toImage();
        QCOMPARE(Pixel(shot, label.topLeft() + QPoint(3, 3)), list.palette().color(QPalette::Base));
        list.SetHighlightMode(2);
        shot = list.viewport()->grab().toImage();
        QCOMPARE(Pixel(shot, label.topLeft() + QPoint(3, 3)),
                 list.palette().color(QPalette::Button));
    }
};

int RunListTests(int argc, char** argv) {
    ListTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "list_test.moc"
