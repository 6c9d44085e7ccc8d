// What the main frame asks of the view: its commands and the state shown beside them.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QMenu;

namespace orvel {

class WindowActions;

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
    virtual WindowActions& actions() = 0;
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
    // What the document is, for the title when it is no file: "单元 SN-7 — 方案 Site12 第 2 版".
    virtual QString documentTitle() const { return {}; }
    // Files dropped on the window.
    virtual void OnDropFiles(const QStringList& /*paths*/) {}
    // The menu the channel list shows on a right click, built by the frame.
    virtual void setListMenu(QMenu* /*menu*/) {}

    CommandNotifier notifier;
};

}  // namespace orvel
