// The main form: it builds the form, composes the parts that do the work (the log, the channel
// editor, the settings panel, the port, the radio, file and print commands), runs the start-up
// and routes the frame's commands to them.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "channel_editor.h"
#include "command_target.h"
#include "document.h"
#include "edit_history.h"
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
    };

    explicit COrvelToolView(QWidget* parent = nullptr);
    ~COrvelToolView() override;

    // The start-up sequence; runs once.
    void OnInitialUpdate(const StartOptions& options = {});

    Dialogs& dialogs() { return dialogs_; }
    void SetProgressBar(QProgressBar* bar) { radio_.SetProgressBar(bar); }
    QPrinter& printer() { return print_.printer(); }

    // CommandTarget
    void OnCommand(int id) override;
    bool IsCommandEnabled(int id) const override;
    bool IsCommandChecked(int id) const override;
    QStringList SerialDeviceNames() const override { return port_.SerialDeviceNames(); }
    void OnSelectDevice(const QString& name) override { port_.OnSelectDevice(name); }
    bool IsDeviceChecked(const QString& name) const override { return port_.IsDeviceChecked(name); }
    QString PortStatusText() const override { return port_.PortStatusText(); }
    QStringList RecentFiles() const override { return recent_.paths(); }
    bool IsModified() const override { return files_.IsModified(); }
    void OnDropFiles(const QStringList& paths) override;

    // Shows whether the work holds unsaved changes (the title's mark); called after whatever
    // changes the channels or settings outside a command.
    void RefreshModified();

    // The parts, and what the shell and tests read through the view.
    MessageLog& log() { return log_; }
    ChannelEditor& editor() { return editor_; }
    SettingsPanel& settingsPanel() { return settingsPanel_; }
    PortController& port() { return port_; }
    // Every change of the list or the settings is a step here; its changed() signal follows
    // each step, undo and redo.
    EditHistory& history() { return history_; }

    void ExchangeData(bool fromControls) { editor_.ExchangeData(fromControls); }
    void AppendLog(const QString& line) { log_.AppendLog(line); }
    void ApplyPanelToRow() { editor_.ApplyPanelToRow(); }
    QString LogText() const { return log_.LogText(); }
    void SetLogText(const QString& text) { log_.SetLogText(text); }
    orvel::ChannelTable Table() const { return editor_.Table(); }
    void SetTable(const orvel::ChannelTable& table) { editor_.SetTable(table); }
    orvel::RadioSettings Settings() { return editor_.Settings(); }
    const orvel::MemoryImage& image() const { return document_.m_image; }
    const QString& filePath() const { return files_.filePath(); }
    orvel::SerialPort& serialPort() { return port_.serialPort(); }
    const orvel::InvalidFlags& invalidFlags() const { return editor_.invalidFlags(); }
    int channelNo() const { return editor_.channelNo(); }
    double minFreq() const { return editor_.minFreq(); }
    double maxFreq() const { return editor_.maxFreq(); }
    int portNumber() const { return port_.portNumber(); }
    const std::string& specialWord() const { return radio_.specialWord(); }
    CHighlightListCtrl* channelList() const { return editor_.channelList(); }

    // Commands, public so the shell and tests reach them directly.
    void OnRowClicked() { editor_.OnRowClicked(); }
    void OnConfirm() { editor_.OnConfirm(); }
    void OnClear() { editor_.OnClear(); }
    void OnDefault() { editor_.OnDefault(); }
    void OnRead() { OnCommand(orvel::cmd::kReadRadio); }
    void OnWrite() { OnCommand(orvel::cmd::kWriteRadio); }
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
    void OnFindRadio() { port_.OnFindRadio(); }
    bool PrintToPdf(const QString& pdfPath) { return print_.PrintToPdf(pdfPath); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PlaceFrame();

    // Declared in the order they are built: each part is given the ones before it.
    std::unique_ptr<Ui::MainForm> ui_;
    FormControls controls_;
    Dialogs dialogs_;
    Document document_;
    MessageLog log_;
    SettingsPanel settingsPanel_;
    EditHistory history_;
    ChannelEditor editor_;
    PortController port_;
    RadioCommands radio_;
    RecentFileList recent_;
    FileCommands files_;
    TransferCommands transfer_;
    PrintCommands print_;
    RowCommands rows_;
    bool busy_ = false;
    bool started_ = false;
};
