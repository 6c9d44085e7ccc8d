// Moving whole channels about in the window: 上移, 下移, 插入空行, 删除并上移, 排序 and a click
// on a column's head, and rows dragged within the list, each seen in the list, the saved file, the
// title's mark, the log and undo.
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "chighlightlistctrl.h"
#include "cmainframe.h"
#include "window_fixture.h"

using namespace orvel;
using namespace orvel::test;

class RowsTest : public QObject, private WindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> frame;
    COrvelToolView* view = nullptr;
    QTemporaryDir folder;
    QByteArray opened;  // the file as the read left the window, every channel filled

    void Start() {
        radio = StartedRadio();
        StartWindow(frame, view, Device(*radio));
        view->OnRead();
        Run("actionSaveAs", Path("opened.dat"));
        opened = FileBytes(Path("opened.dat"));
    }
    QString Path(const char* name) const { return folder.filePath(QLatin1String(name)); }
    void Run(const char* action, const QString& file = {}) {
        chosenFile = file;
        Trigger(*view, action);
    }
    QByteArray Saved(const char* name) {
        Run("actionSaveAs", Path(name));
        return FileBytes(Path(name));
    }
    // Rows first..last (1-based) chosen in the list, as Shift with a click chooses them.
    void Choose(int first, int last) {
        CHighlightListCtrl* list = view->channelList();
        const QItemSelection rows(list->model()->index(first - 1, 0),
                                  list->model()->index(last - 1, 6));
        list->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
    }
    QStringList Column(int column) const {
        QStringList cells;
        for (int channel = 1; channel <= kChannelCount; ++channel)
            cells << Cell(channel, column);
        return cells;
    }
    QList<int> Chosen() const {
        QList<int> rows;
        for (const QModelIndex& index : view->channelList()->selectionModel()->selectedRows())
            rows << index.row() + 1;
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    // What the list shows in a cell.
    QString Cell(int channel, int column) const {
        const QAbstractItemModel* model = view->channelList()->model();
        return model->index(channel - 1, column).data().toString();
    }
    // The channel file's eight bytes of channel n.
    static QByteArray Record(const QByteArray& file, int channel) {
        return file.mid(3 + 8 * (channel - 1), 8);
    }
    static QByteArray OutsideChannels(const QByteArray& file) {
        return file.left(3) + file.mid(131, 128);
    }
    QString LastLine() const { return LogLines(*view).last(); }
    // A drag entering the list and dropped at `at`: Qt hands a drop only to the widget that
    // took the drag's entry.
    static void Drop(CHighlightListCtrl* list, const QPoint& at, QMimeData* data) {
        QDragEnterEvent enter(at, Qt::MoveAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(list->viewport(), &enter);
        QDropEvent drop(at, Qt::MoveAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(list->viewport(), &drop);
    }

private slots:
    void init() { Begin(); }
    void cleanup() {
        frame.reset();
        End();
    }

    void movedRowsAreSavedStayChosenAndUndoInOneStep() {
        Start();
        Choose(3, 4);
        Run("actionMoveUp");
        QCOMPARE(Cell(2, 1), QStringLiteral("224.525"));
        QCOMPARE(Cell(3, 1), QStringLiteral("225.275"));
        QCOMPARE(Cell(4, 1), QStringLiteral("223.775"));
        QCOMPARE(Cell(2, 0).trimmed(), QStringLiteral("信道2"));
        QCOMPARE(Chosen(), (QList<int>{2, 3}));
        // The panel shows the first of them, as a click on it would.
        QCOMPARE(Control<QLineEdit>(view, "channelNoEdit")->text(), QStringLiteral("2"));
        QCOMPARE(Control<QLineEdit>(view, "rxEdit")->text(), QStringLiteral("224.525"));
        QCOMPARE(LastLine(), QStringLiteral("上移 信道3-4"));
        QVERIFY(frame->isWindowModified());
        const QByteArray moved = Saved("moved.dat");
        QCOMPARE(Record(moved, 2), Record(opened, 3));
        QCOMPARE(Record(moved, 3), Record(opened, 4));
        QCOMPARE(Record(moved, 4), Record(opened, 2));
        QCOMPARE(OutsideChannels(moved).chopped(1), OutsideChannels(opened).chopped(1));

        // Alt+Down from the list takes them back down; one undo step each. Keys reach the
        // window's commands as they reach them on screen: in the active window.
        frame->show();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        view->channelList()->setFocus();
        QTest::keyClick(view->channelList(), Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(Chosen(), (QList<int>{3, 4}));
        QCOMPARE(LastLine(), QStringLiteral("下移 信道2-3"));
        // A held key moves them once.
        QTest::simulateEvent(view->channelList(), true, Qt::Key_Down, Qt::AltModifier, {}, true);
        QTest::simulateEvent(view->channelList(), false, Qt::Key_Down, Qt::AltModifier, {}, true);
        QCOMPARE(Chosen(), (QList<int>{3, 4}));
        QCOMPARE(LastLine(), QStringLiteral("下移 信道2-3"));
        // Unsaved against moved.dat, the last file saved.
        QVERIFY(frame->isWindowModified());
        QCOMPARE(Saved("back.dat"), opened);
        Run("actionUndo");
        QVERIFY(frame->isWindowModified());
        QCOMPARE(Saved("undone.dat"), moved);
        Run("actionUndo");
        QCOMPARE(Saved("undone2.dat"), opened);

        // In a drop-down Alt+Down opens its list and moves nothing.
        auto* power = Control<QComboBox>(view, "powerCombo");
        power->setFocus();
        const QString shown = view->logText();
        QTest::keyClick(power, Qt::Key_Down, Qt::AltModifier);
        power->hidePopup();
        QCOMPARE(view->logText(), shown);

        // Nothing above the top row: no step, no line.
        Choose(1, 2);
        const QString before = view->logText();
        Run("actionMoveUp");
        QCOMPARE(view->logText(), before);
        QVERIFY(!frame->isWindowModified());
    }

    void insertNeedsAnEmptyLastChannelAndDeleteMakesOne() {
        Start();
        Choose(5, 5);
        Run("actionInsertRow");
        QCOMPARE(LastLine(), QStringLiteral("信道16不是空的，不能插入空行"));
        QVERIFY(!frame->isWindowModified());
        QCOMPARE(Saved("refused.dat"), opened);

        Choose(2, 4);
        Run("actionDeleteRows");
        QCOMPARE(LastLine(), QStringLiteral("删除并上移 信道2-4"));
        QCOMPARE(Chosen(), (QList<int>{2}));
        QCOMPARE(Cell(2, 1), QStringLiteral("226.025"));
        QCOMPARE(Cell(13, 1), QStringLiteral("234.275"));
        for (int channel = 14; channel <= 16; ++channel) {
            for (int column = 1; column < 7; ++column)
                QCOMPARE(Cell(channel, column), QString());
        }
        QVERIFY(frame->isWindowModified());
        const QByteArray deleted = Saved("deleted.dat");
        QCOMPARE(Record(deleted, 2), Record(opened, 5));
        QCOMPARE(Record(deleted, 16), QByteArray(8, 0x5A));

        Choose(5, 5);
        Run("actionInsertRow");
        QCOMPARE(LastLine(), QStringLiteral("插入空行 [信道5]"));
        QCOMPARE(Cell(5, 1), QString());
        QCOMPARE(Cell(6, 1), QStringLiteral("228.275"));
        QCOMPARE(Chosen(), (QList<int>{5}));
        QCOMPARE(Cell(14, 1), QStringLiteral("234.275"));
        QCOMPARE(OutsideChannels(Saved("inserted.dat")).chopped(1),
                 OutsideChannels(opened).chopped(1));
        Run("actionUndo");
        Run("actionUndo");
        QCOMPARE(Saved("undone.dat"), opened);
    }

    void aColumnHeadSortsAndSortingByReceiveFrequencyTakesItBack() {
        Start();
        QHeaderView* header = view->channelList()->horizontalHeader();
        const QPoint power(header->sectionViewportPosition(3) + header->sectionSize(3) / 2,
                           header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, power);
        QCOMPARE(LastLine(), QStringLiteral("排序 功率级别"));
        for (int channel = 1; channel <= 4; ++channel)
            QCOMPARE(Cell(channel, 3), QStringLiteral("P1"));
        QCOMPARE(Cell(2, 1), QStringLiteral("226.775"));
        QCOMPARE(Cell(5, 3), QStringLiteral("P2"));
        QVERIFY(frame->isWindowModified());
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        auto* undo = frame->findChild<QAction*>(QStringLiteral("actionUndo"));
        QCOMPARE(undo->text(), QStringLiteral("撤销(&U) 排序 功率级别"));

        // The same head again sorts the other way, a step of its own; once more, ascending.
        const QStringList ascending = Column(3);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, power);
        QCOMPARE(LastLine(), QStringLiteral("倒序排序 功率级别"));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QStringList descending = Column(3);
        QCOMPARE(descending.first(), QStringLiteral("P5"));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, power);
        QCOMPARE(Column(3), ascending);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        Run("actionUndo");
        QCOMPARE(Column(3), descending);
        Run("actionUndo");
        QCOMPARE(Column(3), ascending);

        Run("actionSortRows");
        QCOMPARE(LastLine(), QStringLiteral("排序 接收频率"));
        QVERIFY(!frame->isWindowModified());
        QCOMPARE(Saved("sorted.dat"), opened);
        Run("actionUndo");
        QCOMPARE(Cell(2, 1), QStringLiteral("226.775"));
    }

    // A head sorts the other way only when clicked again on the list it sorted: another head,
    // or the same one after a change, sorts ascending; a change takes the arrow away.
    void aHeadTurnsTheOrderOnlyOfTheListItSorted() {
        Start();
        QHeaderView* header = view->channelList()->horizontalHeader();
        const auto click = [header](int column) {
            const QPoint at(
                header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        };
        click(3);
        click(1);
        QCOMPARE(LastLine(), QStringLiteral("排序 接收频率"));
        QCOMPARE(header->sortIndicatorSection(), 1);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        const QString lowest = Cell(1, 1);
        Choose(1, 1);
        Run("actionMoveDown");
        QVERIFY(!header->isSortIndicatorShown());
        click(1);
        QCOMPARE(LastLine(), QStringLiteral("排序 接收频率"));
        QCOMPARE(Cell(1, 1), lowest);
        QVERIFY(header->isSortIndicatorShown());
    }

    // Ctrl+V in the list pastes the rows copied; with no rows to paste it says why.
    void ctrlVPastesOrSaysWhy() {
        Start();
        frame->show();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        Choose(2, 2);
        Run("actionCopy");
        Choose(5, 5);
        view->channelList()->setFocus();
        QTest::keyClick(view->channelList(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Cell(5, 1), Cell(2, 1));
        QGuiApplication::clipboard()->setText(QStringLiteral("nothing to paste"));
        QTest::keyClick(view->channelList(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(LastLine(),
                 QStringLiteral("粘贴：剪贴板中没有信道数据（每行应为6项，或以信道号开头的7项）"));
    }

    // While the radio is read, undo and redo are greyed and take nothing back.
    void undoWaitsForAnExchange() {
        Start();
        auto* undo = frame->findChild<QAction*>(QStringLiteral("actionUndo"));
        auto* redo = frame->findChild<QAction*>(QStringLiteral("actionRedo"));
        QVERIFY(undo->isEnabled());
        int seen = 0;
        bool enabled = false;
        const QMetaObject::Connection during =
            connect(frame->progressBar(), &QProgressBar::valueChanged, view, [&](int) {
                ++seen;
                enabled = enabled || undo->isEnabled() || redo->isEnabled();
                undo->trigger();
            });
        Run("actionReadRadio");
        disconnect(during);
        QVERIFY(seen > 0);
        QVERIFY(!enabled);
        QVERIFY(!view->logText().contains(QStringLiteral("撤销：")));
        QVERIFY(undo->isEnabled());
        QVERIFY(!redo->isEnabled());
    }

    void rowsDroppedOnTheListMoveThere() {
        Start();
        Choose(2, 3);
        CHighlightListCtrl* list = view->channelList();
        // A press on any cell may start a drag: Qt's mouse handling asks the model.
        for (int r = 0; r < kChannelCount; ++r) {
            for (int c = 0; c < kTableColumns; ++c)
                QVERIFY(list->model()->flags(list->model()->index(r, c)) & Qt::ItemIsDragEnabled);
        }
        const std::unique_ptr<QMimeData> rows(
            list->model()->mimeData(list->selectionModel()->selectedRows()));
        const QPoint row8 = list->visualRect(list->model()->index(7, 1)).center();
        Drop(list, row8, rows.get());
        QCOMPARE(LastLine(), QStringLiteral("移动 信道2-3 到信道8"));
        QCOMPARE(Cell(2, 1), QStringLiteral("225.275"));
        QCOMPARE(Cell(8, 1), QStringLiteral("223.775"));
        QCOMPARE(Cell(9, 1), QStringLiteral("224.525"));
        QCOMPARE(Chosen(), (QList<int>{8, 9}));
        QVERIFY(frame->isWindowModified());

        // Rows dragged from another list (another window) are not this list's to move.
        QMimeData other;
        other.setData(rows->formats().first(), "1:2");
        const QString before = view->logText();
        Drop(list, list->visualRect(list->model()->index(0, 1)).center(), &other);
        QCOMPARE(view->logText(), before);
        Run("actionUndo");
        QCOMPARE(Saved("undone.dat"), opened);
    }

    // Qt's own ways of moving rows reach the same command: moveRows, a drop between rows and
    // rows chosen apart. Rows dropped where they are, or moved into themselves, change nothing.
    void theModelMovesRowsAsOneStepEachAndAMoveInPlaceIsNone() {
        Start();
        CHighlightListCtrl* list = view->channelList();
        QAbstractItemModel* model = list->model();
        Choose(2, 3);
        const std::unique_ptr<QMimeData> rows(
            model->mimeData(list->selectionModel()->selectedRows()));
        const QString before = view->logText();
        Drop(list, list->visualRect(model->index(1, 1)).center(), rows.get());
        QVERIFY(!model->moveRows({}, 1, 2, {}, 3));
        QCOMPARE(view->logText(), before);
        QVERIFY(!frame->isWindowModified());
        Run("actionUndo");
        QVERIFY(!LastLine().contains(QStringLiteral("移动")));
        Run("actionRedo");

        QVERIFY(model->moveRows({}, 1, 2, {}, 9));
        QCOMPARE(LastLine(), QStringLiteral("移动 信道2-3 到信道8"));
        QCOMPARE(Column(1).mid(6, 3), (QStringList{"229.025", "223.775", "224.525"}));
        QCOMPARE(Chosen(), (QList<int>{8, 9}));
        Run("actionUndo");
        QCOMPARE(Saved("undone.dat"), opened);

        const std::unique_ptr<QMimeData> apart(
            model->mimeData({model->index(1, 0), model->index(4, 3), model->index(1, 6)}));
        QVERIFY(model->dropMimeData(apart.get(), Qt::MoveAction, 10, 0, {}));
        QCOMPARE(LastLine(), QStringLiteral("移动 信道2,5 到信道9"));
        QCOMPARE(Column(1).mid(7, 3), (QStringList{"229.775", "223.775", "226.025"}));
        QCOMPARE(Chosen(), (QList<int>{9, 10}));
        Run("actionUndo");
        QCOMPARE(Saved("undone2.dat"), opened);
    }

    void theListsMenuHoldsTheRowCommands() {
        Start();
        auto* menu = frame->findChild<QMenu*>(QStringLiteral("menuRows"));
        QVERIFY(menu != nullptr);
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << action->text().section(QLatin1Char('('), 0, 0);
        QCOMPARE(texts, (QStringList{"复制", "粘贴", "", "上移", "下移", "插入空行", "删除并上移",
                                     "排序", "", "批量设置"}));
        QCOMPARE(view->channelList()->contextMenuPolicy(), Qt::CustomContextMenu);
        Choose(16, 16);
        menu->actions().at(3)->trigger();
        QCOMPARE(LastLine(), QStringLiteral("上移 信道16"));
        QCOMPARE(Cell(15, 1), QStringLiteral("234.275"));
    }
};

QTEST_MAIN(RowsTest)
#include "rows_test.moc"
