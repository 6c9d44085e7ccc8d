// The window's commands: their ids, the actions that carry them, and what the main frame asks
// of the view.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

class QAction;
class QMenu;

namespace orvel {

namespace cmd {
// Command ids of menu, toolbar and key table 128.
inline constexpr int kOpen = 32775;
inline constexpr int kSave = 32776;
inline constexpr int kDefaultTable = 32777;
inline constexpr int kReadRadio = 32778;
inline constexpr int kWriteRadio = 32779;
inline constexpr int kHelp = 32780;
inline constexpr int kQuestions = 32781;
inline constexpr int kSaveAs = 32782;
inline constexpr int kPrint = 32783;
inline constexpr int kCom1 = 32784;
inline constexpr int kCom2 = 32785;
inline constexpr int kCom3 = 32786;
inline constexpr int kCom4 = 32787;
inline constexpr int kCurrentChannel = 32788;
inline constexpr int kVerifyWrites = 32789;  // checkable
inline constexpr int kCompareRadio = 32790;
inline constexpr int kFindRadio = 32791;
inline constexpr int kFill = 32792;
inline constexpr int kImport = 32793;
inline constexpr int kExport = 32794;
inline constexpr int kMoveUp = 32795;
inline constexpr int kMoveDown = 32796;
inline constexpr int kInsertRow = 32797;
inline constexpr int kDeleteRows = 32798;
inline constexpr int kSortRows = 32799;
inline constexpr int kNetworkPort = 32800;   // checkable: a network port is in use
inline constexpr int kReadFirst = 32801;     // checkable
inline constexpr int kCompareFirst = 32802;  // checkable
inline constexpr int kRecords = 32803;
inline constexpr int kRecentFile1 = 57616;  // to kRecentFile1 + 3: 文件's most recent files
inline constexpr int kPrintSetup = 57606;
inline constexpr int kCopy = 57634;
inline constexpr int kPaste = 57637;
inline constexpr int kUndo = 57643;
inline constexpr int kRedo = 57644;
inline constexpr int kAbout = 57664;
inline constexpr int kExit = 57665;

// Each command's action, found by its object name; the numbers above stay as the identities
// the original menus gave the commands.
struct CommandName {
    int id;
    const char* action;
};
inline constexpr CommandName kCommandNames[] = {
    {kOpen, "actionOpen"},
    {kSave, "actionSave"},
    {kDefaultTable, "actionDefaultTable"},
    {kReadRadio, "actionReadRadio"},
    {kWriteRadio, "actionWriteRadio"},
    {kHelp, "actionHelp"},
    {kQuestions, "actionQuestions"},
    {kSaveAs, "actionSaveAs"},
    {kPrint, "actionPrint"},
    {kCom1, "actionCom1"},
    {kCom2, "actionCom2"},
    {kCom3, "actionCom3"},
    {kCom4, "actionCom4"},
    {kCurrentChannel, "actionCurrentChannel"},
    {kVerifyWrites, "actionVerifyWrites"},
    {kCompareRadio, "actionCompareRadio"},
    {kFindRadio, "actionFindRadio"},
    {kFill, "actionFill"},
    {kImport, "actionImport"},
    {kExport, "actionExport"},
    {kMoveUp, "actionMoveUp"},
    {kMoveDown, "actionMoveDown"},
    {kInsertRow, "actionInsertRow"},
    {kDeleteRows, "actionDeleteRows"},
    {kSortRows, "actionSortRows"},
    {kNetworkPort, "actionNetworkPort"},
    {kReadFirst, "actionReadFirst"},
    {kCompareFirst, "actionCompareFirst"},
    {kRecords, "actionRecords"},
    {kRecentFile1, "actionRecentFile1"},
    {kRecentFile1 + 1, "actionRecentFile2"},
    {kRecentFile1 + 2, "actionRecentFile3"},
    {kRecentFile1 + 3, "actionRecentFile4"},
    {kPrintSetup, "actionPrintSetup"},
    {kCopy, "actionCopy"},
    {kPaste, "actionPaste"},
    {kUndo, "actionUndo"},
    {kRedo, "actionRedo"},
    {kAbout, "actionAbout"},
    {kExit, "actionExit"},
};
// The object name of command `id`'s action.
QString ActionName(int id);
}  // namespace cmd

// The window's commands as actions, one per command id, each with its object name "id<N>" and
// connected to what it does. The frame gives them their texts, icons and places; whoever owns
// them keeps their enabled and checked states current as things change.
class CommandActions : public QObject {
    Q_OBJECT

public:
    explicit CommandActions(QObject* parent = nullptr) : QObject(parent) {}

    // The action of `id`, created on first use.
    QAction* Action(int id);
    // `action` becomes the action of `id` (one the undo stack made, say).
    QAction* Adopt(int id, QAction* action);
    // Binds `id` to what it does.
    QAction* Bind(int id, const std::function<void()>& run);

private:
    std::map<int, QAction*> m_actions;
};

// What a target tells the frame as it happens.
class CommandNotifier : public QObject {
    Q_OBJECT

signals:
    // What the frame shows beside the commands changed: the unsaved mark, the port, the
    // recent files.
    void stateChanged();
};

// What the main frame needs from the view: the commands, and the state it shows beside them
// (serial devices, the port, the recent files, the unsaved mark).
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    virtual CommandActions& commands() = 0;
    // The ports found on this machine in the order the port menu lists them: the name it stores
    // ("ttyUSB0", "COM3") and what the system says of the device (may be empty).
    struct SerialDevice {
        QString name;
        QString description;
    };
    virtual QList<SerialDevice> serialDevices() const = 0;
    virtual void OnSelectDevice(const QString& name) = 0;
    virtual bool isDeviceChecked(const QString& name) const = 0;
    // The port in use for the toolbar, e.g. "串口 /dev/ttyUSB0（未打开）"; empty shows nothing.
    virtual QString portStatusText() const { return {}; }
    // The most recent files, newest first, full paths.
    virtual QStringList recentFiles() const { return {}; }
    // True while the channels or settings hold changes neither saved nor written to the radio.
    virtual bool isModified() const { return false; }
    // Files dropped on the window.
    virtual void OnDropFiles(const QStringList& /*paths*/) {}
    // The menu the channel list shows on a right click, built by the frame.
    virtual void setListMenu(QMenu* /*menu*/) {}

    CommandNotifier notifier;
};

}  // namespace orvel
