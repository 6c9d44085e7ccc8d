#include "window_actions.h"

#include <QAction>
#include <QApplication>
#include <QStyle>
#include <QUndoStack>

namespace orvel {

WindowActions::WindowActions(QUndoStack* steps, QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("commands"));
    using Keys = QKeySequence;
    QStyle* style = QApplication::style();
    open = Add("actionOpen", tr("打开(&O)..."), Keys::keyBindings(Keys::Open));
    open->setIcon(style->standardIcon(QStyle::SP_DialogOpenButton));
    save = Add("actionSave", tr("保存(&S)"), Keys::keyBindings(Keys::Save));
    save->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    saveAs = Add("actionSaveAs", tr("另存为(&A)..."));
    importFile = Add("actionImport", tr("导入(&I)..."));
    exportFile = Add("actionExport", tr("导出(&E)..."));
    records = Add("actionRecords", tr("编程记录..."));
    planLibrary = Add("actionPlanLibrary", tr("方案库..."));
    print = Add("actionPrint", tr("打印(&P)..."), Keys::keyBindings(Keys::Print));
    printSetup = Add("actionPrintSetup", tr("打印设置(&R)..."));
    for (size_t n = 0; n < recentFiles.size(); ++n) {
        recentFiles[n] = Add(QStringLiteral("actionRecentFile%1").arg(n + 1), QString());
    }

    const QString undoText = tr("撤销(&U)");
    const QString redoText = tr("重做(&R)");
    undo = Add(steps ? steps->createUndoAction(this, undoText) : new QAction(undoText, this),
               "actionUndo", Keys::keyBindings(Keys::Undo));
    redo = Add(steps ? steps->createRedoAction(this, redoText) : new QAction(redoText, this),
               "actionRedo", {Keys(Qt::CTRL | Qt::Key_Y), Keys(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    copy = Add("actionCopy", tr("复制(&C)"), Keys::keyBindings(Keys::Copy));
    paste = Add("actionPaste", tr("粘贴(&P)"), Keys::keyBindings(Keys::Paste));
    moveUp = Add("actionMoveUp", tr("上移(&K)"), {Keys(Qt::ALT | Qt::Key_Up)});
    moveDown = Add("actionMoveDown", tr("下移(&J)"), {Keys(Qt::ALT | Qt::Key_Down)});
    insertRow = Add("actionInsertRow", tr("插入空行(&I)"));
    deleteRows = Add("actionDeleteRows", tr("删除并上移(&D)"));
    sortRows = Add("actionSortRows", tr("排序(&S)"));
    fill = Add("actionFill", tr("批量设置(&B)..."));
    defaultTable = Add("actionDefaultTable", tr("缺省"));

    readRadio = Add("actionReadRadio", tr("读取(PC<-电台)"));
    readRadio->setIcon(QIcon(QStringLiteral(":/icons/read-radio.png")));
    readRadio->setToolTip(tr("读取(PC<-电台)"));
    writeRadio = Add("actionWriteRadio", tr("写入(PC->电台)"));
    writeRadio->setIcon(QIcon(QStringLiteral(":/icons/write-radio.png")));
    writeRadio->setToolTip(tr("写入(PC->电台)"));
    verifyWrites = AddCheckable("actionVerifyWrites", tr("写入后校验"));
    readFirst = AddCheckable("actionReadFirst", tr("写入前读出备份"));
    compareFirst = AddCheckable("actionCompareFirst", tr("写入前比较"));
    compareRadio = Add("actionCompareRadio", tr("与电台比较"));
    writeByUnit = Add("actionWriteByUnit", tr("按单元写入..."));
    fleetStatus = Add("actionFleetStatus", tr("机群状态..."));
    for (size_t n = 0; n < coms.size(); ++n) {
        coms[n] = AddCheckable(QStringLiteral("actionCom%1").arg(n + 1), tr("串口&%1").arg(n + 1));
    }
    networkPort = AddCheckable("actionNetworkPort", tr("网络串口..."));
    findRadio = Add("actionFindRadio", tr("查找电台"));
    currentChannel = Add("actionCurrentChannel", tr("设置当前信道"));
    currentChannel->setIcon(QIcon(QStringLiteral(":/icons/current-channel.png")));
    currentChannel->setToolTip(tr("设置当前信道"));

    help = Add("actionHelp", tr("OrvelTool帮助"));
    questions = Add("actionQuestions", tr("常见问题"));
}

QAction* WindowActions::Add(QAction* action, const QString& name, const QList<QKeySequence>& keys) {
    action->setParent(this);
    action->setObjectName(name);
    action->setShortcuts(keys);
    action->setIconVisibleInMenu(false);
    // A held key runs its command once.
    action->setAutoRepeat(false);
    return action;
}

QAction* WindowActions::Add(const QString& name, const QString& text,
                            const QList<QKeySequence>& keys) {
    return Add(new QAction(text, this), name, keys);
}

QAction* WindowActions::AddCheckable(const QString& name, const QString& text) {
    QAction* action = Add(name, text);
    action->setCheckable(true);
    return action;
}

}  // namespace orvel
