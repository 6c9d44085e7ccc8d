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
#include "plan_commands.h"
#include "port_controller.h"
#include "print_commands.h"
#include "radio_commands.h"
#include "recent_file_list.h"
#include "row_commands.h"
#include "settings_panel.h"
#include "transfer_commands.h"
#include "view_dialogs.h"
#include "window_actions.h"

class QProgressBar;
namespace Ui {
class MainForm;
}

namespace orvel {

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

    Dialogs& dialogs() { return m_dialogs; }
    void setProgressBar(QProgressBar* bar) { m_radio.setProgressBar(bar); }
    QPrinter& printer() { return m_print.printer(); }

    // CommandTarget
    WindowActions& actions() override { return m_actions; }
    QList<SerialDevice> serialDevices() const override { return PortController::serialDevices(); }
    void OnSelectDevice(const QString& name) override { m_port.OnSelectDevice(name); }
    bool isDeviceChecked(const QString& name) const override {
        return m_port.isDeviceChecked(name);
    }
    QString portStatusText() const override { return m_port.portStatusText(); }
    QStringList recentFiles() const override { return m_recent.paths(); }
    bool isModified() const override { return m_document.isModified(); }
    QString documentTitle() const override;
    void OnDropFiles(const QStringList& paths) override;
    void setListMenu(QMenu* menu) override;

    // The parts, and what the shell and tests read through the view.
    MessageLog& log() { return m_log; }
    ChannelEditor& editor() { return m_editor; }
    SettingsPanel& settingsPanel() { return m_settingsPanel; }
    PortController& port() { return m_port; }
    // What the window edits; every change of the list or the settings is a step of its undo
    // stack.
    Document& document() { return m_document; }
    QUndoStack& undoStack() { return m_document.undoStack(); }

    void AppendLog(const QString& line) { m_log.AppendLog(line); }
    void ApplyPanelToRow() { m_editor.ApplyPanelToRow(); }
    QString logText() const { return m_log.logText(); }
    void setLogText(const QString& text) { m_log.setLogText(text); }
    const orvel::ChannelTable& table() const { return m_document.table(); }
    const orvel::RadioSettings& settings() const { return m_document.settings(); }
    // The bytes a save would write.
    orvel::MemoryImage image() const { return m_document.encoded(); }
    const QString& filePath() const { return m_document.filePath(); }
    orvel::Port& serialPort() { return m_port.serialPort(); }
    const orvel::InvalidFlags& invalidFlags() const { return m_editor.invalidFlags(); }
    int channelNo() const { return m_editor.channelNo(); }
    double minFreq() const { return m_document.limits().min; }
    double maxFreq() const { return m_document.limits().max; }
    int portNumber() const { return m_port.portNumber(); }
    const std::string& specialWord() const { return m_radio.specialWord(); }
    CHighlightListCtrl* channelList() const { return m_editor.channelList(); }

    // Commands, public so the shell and tests reach them directly.
    void OnRowClicked() { m_editor.OnRowClicked(); }
    void OnConfirm() { m_editor.OnConfirm(); }
    void OnClear() { m_editor.OnClear(); }
    void OnDefault() { m_editor.OnDefault(); }
    void OnRead() { m_actions.readRadio->trigger(); }
    void OnWrite() { m_actions.writeRadio->trigger(); }
    void OnOpen() { m_files.OnOpen(); }
    void OnSave() { m_files.OnSave(); }
    void OnSaveAs() { m_files.OnSaveAs(); }
    void OnImport() { m_transfer.OnImport(); }
    void OnExport() { m_transfer.OnExport(); }
    void OnPrint() { m_print.OnPrint(); }
    void OnPrintSetup() { m_print.OnPrintSetup(this); }
    void OnSelectCom(int number) { m_port.OnSelectCom(number); }
    void OnCurrentChannel() { m_radio.OnCurrentChannel(); }
    void OnCompareRadio() { m_radio.OnCompareRadio(); }
    void OnToggleVerify() { m_radio.OnToggleVerify(); }
    // 文件 > 编程记录...; an image chosen there opens as an unsaved new document.
    void OnRecords();
    void OnFindRadio() { m_port.OnFindRadio(); }
    bool PrintToPdf(const QString& pdfPath) { return m_print.PrintToPdf(pdfPath); }

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
    std::unique_ptr<Ui::MainForm> m_ui;
    FormControls m_controls;
    Dialogs m_dialogs;
    Document m_document;
    MessageLog m_log;
    SettingsPanel m_settingsPanel;
    ChannelEditor m_editor;
    PortController m_port;
    RadioCommands m_radio;
    RecentFileList m_recent;
    FileCommands m_files;
    TransferCommands m_transfer;
    PrintCommands m_print;
    RowCommands m_rows;
    PlanCommands m_plans;
    WindowActions m_actions{&m_document.undoStack()};
    bool m_busy = false;
    bool m_shownOnce = false;
    bool m_started = false;
};

}  // namespace orvel
