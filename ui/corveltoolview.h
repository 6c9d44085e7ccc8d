// The main form and the program's controller: it owns the memory image, the configuration, the
// serial port, the edit panel, the settings and the channel list, and handles every command.
#pragma once

#include <QMessageBox>
#include <QPrinter>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "channel_edit.h"
#include "command_target.h"
#include "configuration.h"
#include "findradiodialog.h"
#include "memory_image.h"
#include "serial_port.h"

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class CHighlightListCtrl;
namespace Ui {
class MainForm;
}

namespace orvel {
class ByteTrace;
struct ExchangeHooks;
struct WriteRequest;
}  // namespace orvel

class COrvelToolView : public QWidget, public CommandTarget {
    Q_OBJECT

public:
    // What the user sees through dialogs; tests replace these to answer them.
    struct Dialogs {
        std::function<QMessageBox::StandardButton(QMessageBox::Icon, const QString& caption,
                                                  const QString& text,
                                                  QMessageBox::StandardButtons)>
            message;
        std::function<QString(bool save, const QString& initialPath)> fileName;
        std::function<bool(QPrinter&)> print;
        std::function<void(orvel::SerialPort&)> currentChannel;
        std::function<void(const QStringList& lines)> compare;  // 与电台比较's result
        // The finder: returns the name of the port chosen, or nothing.
        std::function<QString(std::vector<FindRadioDialog::Port>)> findRadio;
    };

    struct StartOptions {
        QString portOverride;  // a device used for this run instead of the configured port
        QString tracePath;
    };

    explicit COrvelToolView(QWidget* parent = nullptr);
    ~COrvelToolView() override;

    // The start-up sequence; runs once.
    void OnInitialUpdate(const StartOptions& options = {});

    Dialogs& dialogs() { return dialogs_; }
    void SetProgressBar(QProgressBar* bar) { progressBar_ = bar; }
    QPrinter& printer() { return printer_; }

    // CommandTarget
    void OnCommand(int id) override;
    bool IsCommandEnabled(int id) const override;
    bool IsCommandChecked(int id) const override;
    QStringList SerialDeviceNames() const override;
    void OnSelectDevice(const QString& name) override;
    bool IsDeviceChecked(const QString& name) const override;
    QString PortStatusText() const override;

    // Fields <-> controls. fromControls reads every bound control into its field.
    void ExchangeData(bool fromControls);
    // Adds a line and "\r\n"; a log over 2048 bytes starts again empty first.
    void AppendLog(const QString& line);
    // The silent check-and-copy of the edit panel into its row.
    void ApplyPanelToRow();

    // The log text as the edit control holds it, lines ending in "\r\n".
    QString LogText() const;
    void SetLogText(const QString& text);

    // The channel list as a table of cells.
    orvel::ChannelTable Table() const;
    void SetTable(const orvel::ChannelTable& table);
    // The settings panel's current choices.
    orvel::RadioSettings Settings();

    const orvel::MemoryImage& image() const { return m_image; }
    const QString& filePath() const { return m_filePath; }
    orvel::SerialPort& serialPort() { return m_serialPort; }
    const orvel::InvalidFlags& invalidFlags() const { return invalid_; }
    int channelNo() const { return m_channelNo; }
    double minFreq() const { return m_minFreq; }
    double maxFreq() const { return m_maxFreq; }

    // Commands, public so the shell and tests reach them directly.
    void OnRowClicked();
    void OnConfirm();
    void OnClear();
    void OnDefault();
    void OnRead();
    void OnWrite();
    void OnOpen();
    void OnSave();
    void OnSaveAs();
    void OnPrint();
    void OnPrintSetup();
    void OnSelectCom(int number);
    void OnCurrentChannel();
    void OnCompareRadio();
    void OnToggleVerify();
    void OnFindRadio();
    // Runs the print path into a PDF file instead of the print dialog's choice.
    bool PrintToPdf(const QString& pdfPath);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMessageBox::StandardButton Message(QMessageBox::Icon icon, const QString& caption,
                                        const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    void UpdateColours();
    void ShowDecoded(const orvel::RadioSettings& settings);
    orvel::EditPanel PanelFromControls();
    void PanelToControls(const orvel::EditPanel& panel);
    void RememberPanelAsLoaded();
    void ScrollLogToEnd();
    bool OpenPort(const std::string& device, bool atStartup);
    void LogOpenFailure();
    void SavePortChoice(int number, const QString& device);
    bool WriteImageFile(const QString& path);
    orvel::ExchangeHooks MakeExchangeHooks(QString& workingLog);
    // Before a write: asks about an edit not yet confirmed into its row. False: write nothing.
    bool ConfirmPendingEdit();
    // The read-back after a write and the one box that ends the write.
    void VerifyAfterWrite(const orvel::WriteRequest& request, const orvel::ExchangeHooks& hooks);
    void SaveSetting(std::string_view key, const std::string& value);
    void ShowProgress(int percent);
    void EndProgress();
    void PaintReport(QPrinter& printer);

    std::unique_ptr<Ui::MainForm> ui_;
    Dialogs dialogs_;
    QProgressBar* progressBar_ = nullptr;
    QPrinter printer_{QPrinter::HighResolution};
    std::unique_ptr<orvel::ByteTrace> trace_;
    bool busy_ = false;
    bool started_ = false;
    // The device the window talks to (open or not), and whether it was chosen by its name
    // (Device, the device items, the finder, --port) rather than by port number.
    std::string deviceInUse_;
    bool deviceByName_ = false;
    // The running exchange's log line, where a port going away is told meanwhile.
    std::function<void(std::string_view)> exchangeLine_;

public:
    // The view's state, named as the rest of the program knows it.
    int m_portNumber = 1;
    QString m_device;  // a port chosen by device name; wins over m_portNumber when set
    QString m_filePath;
    std::string m_specialWord;  // bytes as the INI holds them
    bool m_verifyWrites = true;
    bool m_classicTiming = false;
    orvel::MemoryImage m_image{};
    double m_minFreq = 223.0;
    double m_maxFreq = 235.0;
    orvel::InvalidFlags invalid_;
    // The panel as it was last loaded from its row or confirmed into it: only a panel changed
    // since holds an edit to ask about.
    orvel::EditPanel panelAsLoaded_;
    int m_dataVoicePriority = 0;
    int m_rxBusyLevel = 0;
    int m_txVco = 0;
    int m_fsqc = 0;
    int m_extSqc = 0;
    int m_channelNo = 1;
    int m_baudRate = 1;
    int m_parity = 0;
    int m_dataBits = 1;
    int m_stopBits = 0;
    int m_remoteControl = 0;
    QString m_rxFreqText;
    QString m_txFreqText;
    orvel::SerialPort m_serialPort;

    QLineEdit* m_editChannelNo = nullptr;
    QLineEdit* m_editTx = nullptr;
    QLineEdit* m_editRx = nullptr;
    QComboBox* m_comboDataVoice = nullptr;
    QPlainTextEdit* m_editLog = nullptr;
    QComboBox* m_comboSquelch = nullptr;
    QComboBox* m_comboRate = nullptr;
    QComboBox* m_comboPower = nullptr;
    QComboBox* m_comboPowerSave = nullptr;
    QComboBox* m_comboTxTimeLimit = nullptr;
    CHighlightListCtrl* m_channelList = nullptr;
};
