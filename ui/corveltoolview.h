// The main form: it builds the form, composes the parts that do the work around one document
// (the log, the channel editor, the settings panel, the port, the radio, file and print
// commands), runs the start-up and binds each command's action to the part that does it.
#pragma once

#include <QAction>
#include <QString>
#include <QWidget>
#include <memory>

#include "channel_editor.h"
#include "command_target.h"
#include "document.h"
#include "file_commands.h"
#include "form_controls.h"
#include "message_log.h"
#include "port_controller.h"
#include "print_commands.h"
#include "radio_commands.h"
#include "recent_files.h"
#include "row_commands.h"
#include "settings_panel.h"
#include "transfer_commands.h"
#include "view_dialogs.h"

class QProgressBar;
namespace Ui {
class MainForm;
}

class COrvelToolView : public QWidget, public CommandTarget {
    Q_OBJECT

public:
    using Dialogs = ViewDialogs;

    struct StartOptions {
        QString portOverride;  // a device used for this run instead of the configured port
        QString tracePath;
        // The port opens in OpenPort(), called once the window is on screen, so that a port
        // whose open hangs never keeps the window from appearing.
        bool openPortLater = false;
    };

    explicit COrvelToolView(QWidget* parent = nullptr);
    ~COrvelToolView() override;

    // The start-up sequence; runs once.
    void OnInitialUpdate(const StartOptions& options);
    void OnInitialUpdate();
    // The start-up's port, when it was left for later.
    void OpenPort();

    Dialogs& dialogs() { return dialogs_; }
    void SetProgressBar(QProgressBar* bar) { radio_.SetProgressBar(bar); }
    QPrinter& printer() { return print_.printer(); }

    // CommandTarget
    CommandActions& Commands() override { return commands_; }
    QList<SerialDevice> SerialDevices() const override { return PortController::SerialDevices(); }
    void OnSelectDevice(const QString& name) override { port_.OnSelectDevice(name); }
    bool IsDeviceChecked(const QString& name) const override { return port_.IsDeviceChecked(name); }
    QString PortStatusText() const override { return port_.PortStatusText(); }
    QStringList RecentFiles() const override { return recent_.paths(); }
    bool IsModified() const override { return document_.IsModified(); }
    void OnDropFiles(const QStringList& paths) override;
    void SetListMenu(QMenu* menu) override;

    // The parts, and what the shell and tests read through the view.
    MessageLog& log() { return log_; }
    ChannelEditor& editor() { return editor_; }
    SettingsPanel& settingsPanel() { return settingsPanel_; }
    PortController& port() { return port_; }
    // What the window edits; every change of the list or the settings is a step of its undo
    // stack.
    Document& document() { return document_; }
    QUndoStack& undoStack() { return document_.undoStack(); }

    void AppendLog(const QString& line) { log_.AppendLog(line); }
    void ApplyPanelToRow() { editor_.ApplyPanelToRow(); }
    QString LogText() const { return log_.LogText(); }
    void SetLogText(const QString& text) { log_.SetLogText(text); }
    const orvel::ChannelTable& Table() const { return document_.table(); }
    const orvel::RadioSettings& Settings() const { return document_.settings(); }
    // The bytes a save would write.
    orvel::MemoryImage image() const { return document_.Encoded(); }
    const QString& filePath() const { return document_.filePath(); }
    orvel::Port& serialPort() { return port_.serialPort(); }
    const orvel::InvalidFlags& invalidFlags() const { return editor_.invalidFlags(); }
    int channelNo() const { return editor_.channelNo(); }
    double minFreq() const { return document_.limits().min; }
    double maxFreq() const { return document_.limits().max; }
    int portNumber() const { return port_.portNumber(); }
    const std::string& specialWord() const { return radio_.specialWord(); }
    CHighlightListCtrl* channelList() const { return editor_.channelList(); }

    // Commands, public so the shell and tests reach them directly.
    void OnRowClicked() { editor_.OnRowClicked(); }
    void OnConfirm() { editor_.OnConfirm(); }
    void OnClear() { editor_.OnClear(); }
    void OnDefault() { editor_.OnDefault(); }
    void OnRead() { commands_.Action(orvel::cmd::kReadRadio)->trigger(); }
    void OnWrite() { commands_.Action(orvel::cmd::kWriteRadio)->trigger(); }
    void OnOpen() { files_.OnOpen(); }
    void OnSave() { files_.OnSave(); }
    void OnSaveAs() { files_.OnSaveAs(); }
    void OnImport() { transfer_.OnImport(); }
    void OnExport() { transfer_.OnExport(); }
    void OnPrint() { print_.OnPrint(); }
    void OnPrintSetup() { print_.OnPrintSetup(this); }
    void OnSelectCom(int number) { port_.OnSelectCom(number); }
    void OnCurrentChannel() { radio_.OnCurrentChannel(); }
    void OnCompareRadio() { radio_.OnCompareRadio(); }
    void OnToggleVerify() { radio_.OnToggleVerify(); }
    // 文件 > 编程记录...; an image chosen there opens as an unsaved new document.
    void OnRecords();
    void OnFindRadio() { port_.OnFindRadio(); }
    bool PrintToPdf(const QString& pdfPath) { return print_.PrintToPdf(pdfPath); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PlaceFrame();
    void KeepFrameOnScreen();
    void RunGuarded(const std::function<void()>& run);
    // The real dialogs in dialogs_, over this window.
    void UseShownDialogs();
    // Each command's action bound to what it does, and its enabled and checked states to the
    // signals that change them.
    void BindCommands();
    void UpdatePortChecks();
    void NotifyStateChanged();

    // Declared in the order they are built: each part is given the ones before it.
    std::unique_ptr<Ui::MainForm> ui_;
    FormControls controls_;
    Dialogs dialogs_;
    Document document_;
    MessageLog log_;
    SettingsPanel settingsPanel_;
    ChannelEditor editor_;
    PortController port_;
    RadioCommands radio_;
    RecentFileList recent_;
    FileCommands files_;
    TransferCommands transfer_;
    PrintCommands print_;
    RowCommands rows_;
    CommandActions commands_;
    bool busy_ = false;
    bool shownOnce_ = false;
    bool started_ = false;
};
