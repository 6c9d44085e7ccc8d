// The window's commands as named actions, each created once with its text, keys, icon and check
// state; the view connects them to what they do, the frame places them in menus and the toolbar.
// A new command is a member and its line here, and its connection in COrvelToolView.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <array>

class QAction;
class QUndoStack;

namespace orvel {

class WindowActions : public QObject {
    Q_OBJECT

public:
    // Undo and redo are the stack's own actions, which name the step they take back; without a
    // stack they are plain actions.
    explicit WindowActions(QUndoStack* steps, QObject* parent = nullptr);

    // 文件
    QAction* open;
    QAction* save;
    QAction* saveAs;
    QAction* importFile;
    QAction* exportFile;
    QAction* records;
    QAction* planLibrary;
    QAction* print;
    QAction* printSetup;
    std::array<QAction*, 4> recentFiles;  // newest first, shown while they name a file
    // 编辑 and the channel list's menu
    QAction* undo;
    QAction* redo;
    QAction* copy;
    QAction* paste;
    QAction* moveUp;
    QAction* moveDown;
    QAction* insertRow;
    QAction* deleteRows;
    QAction* sortRows;
    QAction* fill;
    QAction* defaultTable;
    // 通信
    QAction* readRadio;
    QAction* writeRadio;
    QAction* verifyWrites;
    QAction* readFirst;
    QAction* compareFirst;
    QAction* compareRadio;
    QAction* writeByUnit;
    QAction* fleetStatus;
    std::array<QAction*, 4> coms;  // 串口1 to 串口4
    QAction* networkPort;          // checked while a network port is in use
    QAction* findRadio;
    QAction* currentChannel;
    // 帮助
    QAction* help;
    QAction* questions;

private:
    QAction* Add(QAction* action, const QString& name, const QList<QKeySequence>& keys = {});
    QAction* Add(const QString& name, const QString& text, const QList<QKeySequence>& keys = {});
    QAction* AddCheckable(const QString& name, const QString& text);
};

}  // namespace orvel
