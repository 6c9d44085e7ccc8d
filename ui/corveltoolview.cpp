#include "corveltoolview.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSerialPortInfo>

#include "app_paths.h"
#include "byte_trace.h"
#include "channel_file.h"
#include "chighlightlistctrl.h"
#include "codec.h"
#include "comparedialog.h"
#include "currentchanneldialog.h"
#include "exchanges.h"
#include "form_layout.h"
#include "gbk.h"
#include "help_files.h"
#include "ini_file.h"
#include "painting_pause.h"
#include "port_probe.h"
#include "report.h"
#include "ui_mainform.h"

using namespace orvel;

namespace {

const QString kAppTitle = QStringLiteral("OrvelTool");
const QString kNotice = QStringLiteral("提示");

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The radio groups in form order, each with its buttons in value order.
struct GroupBinding {
    int COrvelToolView::*field;
    std::vector<const char*> buttons;
};

const std::vector<GroupBinding>& Groups() {
    static const std::vector<GroupBinding> groups = {
        {&COrvelToolView::m_parity, {"id1029", "id1033", "id1030"}},
        {&COrvelToolView::m_dataVoicePriority, {"id1014", "id1015"}},
        {&COrvelToolView::m_rxBusyLevel, {"id1016", "id1017"}},
        {&COrvelToolView::m_txVco, {"id1018", "id1019"}},
        {&COrvelToolView::m_fsqc, {"id1020", "id1021"}},
        {&COrvelToolView::m_extSqc, {"id1022", "id1023"}},
        {&COrvelToolView::m_baudRate, {"id1005", "id1006", "id1007", "id1008"}},
        {&COrvelToolView::m_dataBits, {"id1034", "id1035"}},
        {&COrvelToolView::m_stopBits, {"id1036", "id1037"}},
        {&COrvelToolView::m_remoteControl, {"id1038", "id1039"}},
    };
    return groups;
}

// The buttons speak the program's language even where Qt's own translations are missing.
void LabelButtons(QMessageBox& box) {
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        ok->setText(QStringLiteral("确定"));
    if (QAbstractButton* yes = box.button(QMessageBox::Yes))
        yes->setText(QStringLiteral("是(&Y)"));
    if (QAbstractButton* no = box.button(QMessageBox::No))
        no->setText(QStringLiteral("否(&N)"));
    if (QAbstractButton* cancel = box.button(QMessageBox::Cancel))
        cancel->setText(QStringLiteral("取消"));
}

QString OpenFailureReason(const SerialPort& port) {
    const QString device = QString::fromStdString(port.DeviceName());
    switch (port.LastOpenFailure()) {
        case OpenFailure::NotFound:
            return QStringLiteral("串口 %1 不存在").arg(device);
        case OpenFailure::Busy:
            return QStringLiteral("串口 %1 正被其他程序占用").arg(device);
        case OpenFailure::PermissionDenied: {
            QString reason = QStringLiteral("没有使用串口 %1 的权限").arg(device);
            const QString group = QString::fromStdString(port.PermissionGroup());
            if (!group.isEmpty()) {
                reason += QStringLiteral(
                              "，请把当前用户加入 %1 组（sudo usermod -aG %1 $USER）后重新登录")
                              .arg(group);
            }
            return reason;
        }
        default:
            return QStringLiteral("串口 %1 无法打开：%2")
                .arg(device, QString::fromStdString(port.LastOpenError()));
    }
}

QString OpenFailureText(ReadFault fault, const std::string& error) {
    switch (fault) {
        case ReadFault::NotRegularFile:
            return QStringLiteral("读文件出错：这不是普通文件，不能打开");
        case ReadFault::TooLarge:
            return QStringLiteral("读文件出错：文件太大，最大 %1")
                .arg(QString::fromStdString(SizeText(kMaxInputFileSize)));
        case ReadFault::ReadError:
            return QStringLiteral("读文件出错：%1").arg(QString::fromStdString(error));
        case ReadFault::None:
        case ReadFault::CannotOpen:
            break;
    }
    return QStringLiteral("试图越过其尾端对 一未命名文件 进行读写。");
}

}  // namespace

COrvelToolView::COrvelToolView(QWidget* parent) : QWidget(parent), ui_(new Ui::MainForm) {
    ui_->setupUi(this);
    m_editChannelNo = ui_->id1002;
    m_editRx = ui_->id1003;
    m_editTx = ui_->id1004;
    m_comboDataVoice = ui_->id1024;
    m_editLog = ui_->id1001;
    m_comboSquelch = ui_->id1011;
    m_comboRate = ui_->id1010;
    m_comboPower = ui_->id1009;
    m_comboPowerSave = ui_->id1013;
    m_comboTxTimeLimit = ui_->id1012;
    m_channelList = ui_->id1000;

    dialogs_.message = [this](QMessageBox::Icon icon, const QString& caption, const QString& text,
                              QMessageBox::StandardButtons buttons) {
        QMessageBox box(icon, caption, text, buttons, this);
        LabelButtons(box);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    };
    dialogs_.fileName = [this](bool save, const QString& initialPath) {
        QFileDialog dialog(this);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilters({QStringLiteral("*.* (*)"), QStringLiteral("*.dat (*.dat)")});
        dialog.setDirectory(QFileInfo(initialPath).absolutePath());
        dialog.selectFile(QFileInfo(initialPath).fileName());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().first();
    };
    dialogs_.print = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        // Kept on: on Linux this option is the dialog's "print to PDF file" printer.
        return dialog.exec() == QDialog::Accepted;
    };
    dialogs_.currentChannel = [this](SerialPort& port) {
        CurrentChannelDialog dialog(&port, this);
        dialog.timing = m_classicTiming ? PollTiming::Classic : PollTiming::Prompt;
        dialog.exec();
    };
    dialogs_.compare = [this](const QStringList& lines) {
        CompareDialog dialog(lines, this);
        dialog.exec();
    };
    dialogs_.findRadio = [this](std::vector<FindRadioDialog::Port> ports) {
        FindRadioDialog dialog(std::move(ports), &m_serialPort, this);
        return dialog.exec() == QDialog::Accepted ? dialog.ChosenName() : QString();
    };
    // Told once, idle or in the middle of an exchange, whose log it then joins.
    m_serialPort.SetLostHandler([this](const std::string& device, const std::string&) {
        const QString line = QStringLiteral("串口已断开：") + QString::fromStdString(device);
        if (exchangeLine_) {
            exchangeLine_((line + QStringLiteral("\r\n")).toStdString());
        } else {
            AppendLog(line);
        }
        if (stateChanged)
            stateChanged();
    });

    // A click is the user's choice at once: the fields follow the buttons, so a later show of
    // the fields (row click, Default, a failed read) never puts an old choice back.
    for (const GroupBinding& group : Groups()) {
        for (std::size_t i = 0; i < group.buttons.size(); ++i) {
            auto* button = findChild<QAbstractButton*>(QLatin1String(group.buttons[i]));
            if (!button)
                continue;
            connect(button, &QAbstractButton::toggled, this,
                    [this, field = group.field, value = static_cast<int>(i)](bool on) {
                        if (on)
                            this->*field = value;
                    });
        }
    }
    connect(m_channelList, &CHighlightListCtrl::rowClicked, this, &COrvelToolView::OnRowClicked);
    connect(ui_->id1032, &QPushButton::clicked, this, &COrvelToolView::OnConfirm);
    connect(ui_->id1031, &QPushButton::clicked, this, &COrvelToolView::OnClear);
    // Enter in a frequency field confirms, as the mouse user clicks 确认.
    connect(m_editRx, &QLineEdit::returnPressed, this, &COrvelToolView::OnConfirm);
    connect(m_editTx, &QLineEdit::returnPressed, this, &COrvelToolView::OnConfirm);
    LayOutMainForm(this);
}

COrvelToolView::~COrvelToolView() {
    m_serialPort.Close();
}

void COrvelToolView::OnInitialUpdate(const StartOptions& options) {
    // Building columns and rows and opening the port happen once per window.
    if (started_)
        return;
    started_ = true;
    ExchangeData(false);

    m_channelList->SetHighlightMode(2);
    static const char* kHeads[kTableColumns] = {"信道号",   "接收频率",  "发送频率", "功率级别",
                                                "信道速率", "数据/话音", "静噪电平"};
    static const int kWidths[kTableColumns] = {48, 60, 60, 60, 60, 70, 60};
    m_channelList->setColumnCount(kTableColumns);
    m_channelList->setRowCount(kChannelCount);
    for (int c = 0; c < kTableColumns; ++c) {
        auto* head = new QTableWidgetItem(QString::fromUtf8(kHeads[c]));
        head->setTextAlignment(Qt::AlignCenter);
        m_channelList->setHorizontalHeaderItem(c, head);
    }
    m_channelList->SetColumnWidths(QList<int>(std::begin(kWidths), std::end(kWidths)));
    SetTable(EmptyChannelTable());

    m_comboPowerSave->setCurrentIndex(0);
    m_comboTxTimeLimit->setCurrentIndex(0);
    for (QComboBox* combo : {m_comboRate, m_comboSquelch, m_comboPower, m_comboDataVoice}) {
        combo->setCurrentIndex(-1);
    }

    const QDateTime now = QDateTime::currentDateTime();
    SetLogText(QStringLiteral("今天日期:%1年%2月%3日 \r\n当前时间:%4\r\n")
                   .arg(now.date().year(), 4, 10, QLatin1Char('0'))
                   .arg(now.date().month(), 2, 10, QLatin1Char('0'))
                   .arg(now.date().day(), 2, 10, QLatin1Char('0'))
                   .arg(now.time().toString(QStringLiteral("hh:mm:ss"))) +
               QStringLiteral("****正在初始化****\r\n模式:Proper \r\n串口号:1\r\n"
                              "****初始化结束****\r\n数据清除[信道1]\r\n"));
    m_filePath.clear();

    const Configuration config = LoadConfigurationFile(ConfigReadPath());
    m_minFreq = config.minFreq;
    m_maxFreq = config.maxFreq;
    m_specialWord = config.specialWord;
    m_portNumber = config.portNumber;
    m_device = QString::fromStdString(config.device);
    m_verifyWrites = config.verifyWrites;
    m_classicTiming = config.classicTiming;

    if (!options.tracePath.isEmpty()) {
        trace_ = std::make_unique<ByteTrace>();
        std::string error;
        if (trace_->Open(options.tracePath.toStdString(), error)) {
            m_serialPort.SetTrace(trace_.get());
        } else {
            AppendLog(QStringLiteral("跟踪文件无法打开：") + QString::fromStdString(error));
            trace_.reset();
        }
    }
    std::string device;
    deviceByName_ = !options.portOverride.isEmpty() || !m_device.isEmpty();
    if (!options.portOverride.isEmpty()) {
        device = ResolvePortName(options.portOverride.toStdString());
    } else if (!m_device.isEmpty()) {
        device = ResolvePortName(m_device.toStdString());
    } else {
        device = PortDeviceName(m_portNumber);
    }
    OpenPort(device, true);

    // The frame grows around the form's preferred size, but not past the screen; a small
    // screen gets the whole of it, and the form scales down to fit.
    if (QWidget* frame = window(); frame != this) {
        frame->installEventFilter(this);
        const QSize client = sizeHint();
        const QScreen* screen = frame->screen();
        const QSize screenSize = screen ? screen->size() : QSize();
        if (screenSize == QSize(800, 600)) {
            frame->setGeometry(0, 0, 800, 600);
        } else {
            QSize size(client.width() + 70, client.height() + 100);
            if (screen)
                size = size.boundedTo(screen->availableGeometry().size());
            frame->resize(size);
        }
        if (screen) {
            const QRect area = screen->availableGeometry();
            QRect geometry = frame->frameGeometry();
            geometry.moveCenter(area.center());
            geometry.moveLeft(std::max(geometry.left(), area.left()));
            geometry.moveTop(std::max(geometry.top(), area.top()));
            frame->move(geometry.topLeft());
        }
    }

    m_image = MemoryImage{};
    std::copy(kStartupHeader.begin(), kStartupHeader.end(), m_image.begin());
    m_editRx->setMaxLength(8);
    m_editTx->setMaxLength(8);
    UpdateColours();
    m_channelList->setFocus();
}

// --- fields and controls ---------------------------------------------------------------

void COrvelToolView::ExchangeData(bool fromControls) {
    for (const GroupBinding& group : Groups()) {
        int& field = this->*group.field;
        if (fromControls) {
            field = -1;
            for (std::size_t i = 0; i < group.buttons.size(); ++i) {
                auto* button = findChild<QAbstractButton*>(QLatin1String(group.buttons[i]));
                if (button && button->isChecked())
                    field = static_cast<int>(i);
            }
        } else {
            for (std::size_t i = 0; i < group.buttons.size(); ++i) {
                auto* button = findChild<QAbstractButton*>(QLatin1String(group.buttons[i]));
                if (!button)
                    continue;
                // An exclusive group refuses to uncheck its last button; a value outside
                // the group's range must leave none checked.
                QButtonGroup* buttons = button->group();
                if (buttons)
                    buttons->setExclusive(false);
                button->setChecked(static_cast<int>(i) == field);
                if (buttons)
                    buttons->setExclusive(true);
            }
        }
    }
    if (fromControls) {
        m_channelNo = m_editChannelNo->text().trimmed().toInt();
        m_rxFreqText = m_editRx->text();
        m_txFreqText = m_editTx->text();
    } else {
        m_editChannelNo->setText(QString::number(m_channelNo));
        if (m_editRx->text() != m_rxFreqText)
            m_editRx->setText(m_rxFreqText);
        if (m_editTx->text() != m_txFreqText)
            m_editTx->setText(m_txFreqText);
    }
}

QString COrvelToolView::LogText() const {
    // The control keeps plain line breaks; the log is counted as CR LF lines.
    return m_editLog->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void COrvelToolView::SetLogText(const QString& text) {
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_editLog->setPlainText(plain);
}

void COrvelToolView::ScrollLogToEnd() {
    QScrollBar* bar = m_editLog->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void COrvelToolView::AppendLog(const QString& line) {
    QString text = LogText();
    if (GbkLength(text.toStdString()) > kLogLimitBytes)
        text.clear();
    SetLogText(text + line + QStringLiteral("\r\n"));
    ScrollLogToEnd();
}

ChannelTable COrvelToolView::Table() const {
    ChannelTable table;
    for (int r = 0; r < kChannelCount; ++r) {
        for (int c = 0; c < kTableColumns; ++c) {
            const QTableWidgetItem* item = m_channelList->item(r, c);
            table[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] =
                item ? item->text().toStdString() : std::string();
        }
    }
    return table;
}

void COrvelToolView::SetTable(const ChannelTable& table) {
    for (int r = 0; r < kChannelCount; ++r) {
        for (int c = 0; c < kTableColumns; ++c) {
            const QString text = QString::fromStdString(
                table[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
            QTableWidgetItem* item = m_channelList->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignCenter);
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                m_channelList->setItem(r, c, item);
            }
            if (item->text() != text)
                item->setText(text);
        }
    }
}

RadioSettings COrvelToolView::Settings() {
    ExchangeData(true);
    RadioSettings s;
    s.dataVoicePriority = m_dataVoicePriority;
    s.rxBusyLevel = m_rxBusyLevel;
    s.fsqc = m_fsqc;
    s.extSqc = m_extSqc;
    s.baudRate = m_baudRate;
    s.parity = m_parity;
    s.dataBits = m_dataBits;
    s.stopBits = m_stopBits;
    s.txVco = m_txVco;
    s.remoteControl = m_remoteControl;
    s.txTimeLimit = m_comboTxTimeLimit->currentIndex();
    s.powerSave = m_comboPowerSave->currentIndex();
    return s;
}

void COrvelToolView::ShowDecoded(const RadioSettings& s) {
    m_dataVoicePriority = s.dataVoicePriority;
    m_rxBusyLevel = s.rxBusyLevel;
    m_fsqc = s.fsqc;
    m_extSqc = s.extSqc;
    m_baudRate = s.baudRate;
    m_parity = s.parity;
    m_dataBits = s.dataBits;
    m_stopBits = s.stopBits;
    m_txVco = s.txVco;
    m_remoteControl = s.remoteControl;
    auto select = [](QComboBox* combo, int index) {
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    };
    select(m_comboTxTimeLimit, s.txTimeLimit);
    select(m_comboPowerSave, s.powerSave);
    ExchangeData(false);
}

EditPanel COrvelToolView::PanelFromControls() {
    EditPanel panel;
    panel.channelNo = m_channelNo;
    panel.rxText = m_rxFreqText.toStdString();
    panel.txText = m_txFreqText.toStdString();
    panel.power = m_comboPower->currentIndex();
    panel.rate = m_comboRate->currentIndex();
    panel.squelch = m_comboSquelch->currentIndex();
    panel.dataVoice = m_comboDataVoice->currentIndex();
    return panel;
}

void COrvelToolView::PanelToControls(const EditPanel& panel) {
    m_channelNo = panel.channelNo;
    m_rxFreqText = QString::fromStdString(panel.rxText);
    m_txFreqText = QString::fromStdString(panel.txText);
    m_comboPower->setCurrentIndex(panel.power);
    m_comboRate->setCurrentIndex(panel.rate);
    m_comboSquelch->setCurrentIndex(panel.squelch);
    m_comboDataVoice->setCurrentIndex(panel.dataVoice);
    ExchangeData(false);
}

void COrvelToolView::UpdateColours() {
    auto paint = [](QWidget* widget, const char* colour) {
        const QString sheet =
            colour ? QStringLiteral("background-color: %1;").arg(QLatin1String(colour)) : QString();
        if (widget->styleSheet() != sheet)
            widget->setStyleSheet(sheet);
    };
    paint(m_editTx, invalid_.tx ? "#ff0000" : nullptr);
    paint(m_editRx, invalid_.rx ? "#ff0000" : nullptr);
    paint(m_comboSquelch, invalid_.squelch ? "#ff0000" : nullptr);
    paint(m_comboRate, invalid_.rate ? "#ff0000" : nullptr);
    paint(m_comboPower, invalid_.power ? "#ff0000" : nullptr);
    paint(m_comboDataVoice, invalid_.dataVoice ? "#ff0000" : nullptr);
    paint(m_editChannelNo, "#00ffff");
}

QMessageBox::StandardButton COrvelToolView::Message(QMessageBox::Icon icon, const QString& caption,
                                                    const QString& text,
                                                    QMessageBox::StandardButtons buttons) {
    return dialogs_.message(icon, caption, text, buttons);
}

// --- channel editing ---------------------------------------------------------------------

void COrvelToolView::OnRowClicked() {
    int row = -1;
    const QModelIndexList selected = m_channelList->selectionModel()->selectedIndexes();
    for (const QModelIndex& index : selected) {
        if (row < 0 || index.row() < row)
            row = index.row();
    }
    EditPanel panel = PanelFromControls();
    LoadRowIntoPanel(Table(), row, panel);
    PanelToControls(panel);
    RememberPanelAsLoaded();
}

void COrvelToolView::OnConfirm() {
    ExchangeData(true);
    ChannelTable table = Table();
    const ConfirmResult result =
        ConfirmPanel(PanelFromControls(), {m_minFreq, m_maxFreq}, table, invalid_);
    UpdateColours();
    if (result.written) {
        SetTable(table);
        RememberPanelAsLoaded();
    }
    for (const std::string& line : result.logLines)
        AppendLog(QString::fromStdString(line));
}

void COrvelToolView::ApplyPanelToRow() {
    ExchangeData(true);
    ChannelTable table = Table();
    if (orvel::ApplyPanelToRow(PanelFromControls(), {m_minFreq, m_maxFreq}, table, invalid_)) {
        SetTable(table);
    }
    UpdateColours();
    // Loaded, whether or not the silent check took it: drop-downs that keep their earlier
    // choices beside an empty row are not an edit.
    RememberPanelAsLoaded();
}

void COrvelToolView::RememberPanelAsLoaded() {
    ExchangeData(true);
    panelAsLoaded_ = PanelFromControls();
}

void COrvelToolView::OnClear() {
    invalid_ = InvalidFlags{};
    UpdateColours();
    ExchangeData(true);
    ChannelTable table = Table();
    ClearRow(table, m_channelNo);
    SetTable(table);
    ExchangeData(false);
    for (QComboBox* combo : {m_comboSquelch, m_comboRate, m_comboPower, m_comboDataVoice}) {
        combo->setCurrentIndex(-1);
    }
    m_rxFreqText.clear();
    m_txFreqText.clear();
    SetLogText(LogText() + QStringLiteral("***清除信道数据***\r\n"));
    ScrollLogToEnd();
    ExchangeData(false);
    RememberPanelAsLoaded();
}

void COrvelToolView::OnDefault() {
    SetTable(EmptyChannelTable());
    m_channelNo = 1;
    ExchangeData(false);
    OnClear();
}

// --- radio exchanges -----------------------------------------------------------------------

ExchangeHooks COrvelToolView::MakeExchangeHooks(QString& workingLog) {
    workingLog = LogText();
    if (GbkLength(workingLog.toStdString()) > kLogLimitBytes)
        workingLog.clear();
    ExchangeHooks hooks;
    hooks.line = [this, &workingLog](std::string_view text) {
        workingLog += FromUtf8(text);
        SetLogText(workingLog);
        ScrollLogToEnd();
    };
    hooks.linkCheckLine = [this](std::string_view text) {
        SetLogText(LogText() + FromUtf8(text));
        ScrollLogToEnd();
    };
    hooks.progress = [this](int percent) { ShowProgress(percent); };
    hooks.pause = PaintingPause;
    hooks.timing = m_classicTiming ? PollTiming::Classic : PollTiming::Prompt;
    exchangeLine_ = hooks.line;
    return hooks;
}

void COrvelToolView::ShowProgress(int percent) {
    if (!progressBar_)
        return;
    progressBar_->setRange(0, 100);
    progressBar_->setValue(percent);
    progressBar_->show();
}

void COrvelToolView::EndProgress() {
    exchangeLine_ = nullptr;
    if (progressBar_)
        progressBar_->hide();
}

void COrvelToolView::OnRead() {
    QString workingLog;
    const ExchangeHooks hooks = MakeExchangeHooks(workingLog);
    const ReadOutcome outcome = ReadRadio(m_serialPort, hooks, [this] {
        ChannelTable table = Table();
        for (int r = 0; r < kChannelCount; ++r)
            ClearRow(table, r + 1);
        SetTable(table);
        ExchangeData(false);
    });
    EndProgress();
    switch (outcome.status) {
        case ReadStatus::NoAnswer:
            Message(QMessageBox::Critical, kNotice, QStringLiteral("通信错误"));
            return;
        case ReadStatus::BadFormat:
            Message(QMessageBox::Critical, kNotice, QStringLiteral("格式出错"));
            return;
        case ReadStatus::PortClosed:
        case ReadStatus::Timeout:
            return;
        case ReadStatus::Ok:
            break;
    }
    KeepBackup(outcome.image, "read");
    const DecodedImage decoded = DecodeImage(outcome.image, DecodeSource::FromRadio, Settings());
    ChannelTable table = Table();
    for (int r = 0; r < kChannelCount; ++r) {
        for (int c = kColRx; c < kTableColumns; ++c) {
            auto& cell = table[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            cell = decoded.table[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
        }
    }
    SetTable(table);
    ShowDecoded(decoded.settings);
    m_image = outcome.image;
    hooks.Line(outcome.checksumOk ? lines::kReadDone : lines::kReadDoneBadChecksum);
    EditPanel panel = PanelFromControls();
    LoadFirstChannelIntoPanel(Table(), panel);
    PanelToControls(panel);
    ApplyPanelToRow();
    if (!outcome.checksumOk) {
        Message(QMessageBox::Critical, kNotice, QStringLiteral("数据校验错"));
    }
}

void COrvelToolView::OnWrite() {
    if (!ConfirmPendingEdit())
        return;
    QString workingLog;
    const ExchangeHooks hooks = MakeExchangeHooks(workingLog);
    WriteRequest request;
    request.table = Table();
    request.settings = Settings();
    request.specialWord = m_specialWord;
    if (m_serialPort.IsOpen() == 1) {
        MemoryImage copy = m_image;
        EncodeImage(request.table, request.settings, copy);
        KeepBackup(copy, "write");
    }
    const WriteOutcome outcome = WriteRadio(m_serialPort, request, hooks);
    EndProgress();
    if (outcome.status == WriteStatus::Ok) {
        // With the check on, the one box at the end says how the check went.
        if (m_verifyWrites) {
            VerifyAfterWrite(request, hooks);
            EndProgress();
        } else {
            Message(QMessageBox::NoIcon, kNotice, QStringLiteral("正确写入数据"));
        }
    } else if (outcome.status == WriteStatus::Rejected) {
        Message(QMessageBox::Critical, kNotice, QStringLiteral("通讯失败"));
    }
}

void COrvelToolView::OnCurrentChannel() {
    dialogs_.currentChannel(m_serialPort);
}

void COrvelToolView::OnFindRadio() {
    const QString chosen = dialogs_.findRadio(
        FindRadioDialog::PortsToSearch(m_device, deviceInUse_, m_serialPort.IsOpen() == 1));
    // A row that answered is taken exactly as the same device from the port menu.
    if (!chosen.isEmpty())
        OnSelectDevice(chosen);
}

// --- port selection ------------------------------------------------------------------------

bool COrvelToolView::OpenPort(const std::string& device, bool atStartup) {
    deviceInUse_ = device;
    const bool opened = m_serialPort.OpenDevice(device) == 1;
    if (stateChanged)
        stateChanged();
    if (opened)
        return true;
    LogOpenFailure();
    if (atStartup) {
        Message(QMessageBox::NoIcon, kAppTitle, QStringLiteral("打开串口失败，请重新选择串口"));
    }
    return false;
}

void COrvelToolView::LogOpenFailure() {
    AppendLog(QStringLiteral("串口打开失败：") + OpenFailureReason(m_serialPort));
}

void COrvelToolView::SavePortChoice(int number, const QString& device) {
    if (device.isEmpty()) {
        SaveSetting(kPortKey, std::to_string(number));
    } else {
        SaveSetting("Device", device.toStdString());
    }
}

// An empty value removes the key.
void COrvelToolView::SaveSetting(std::string_view key, const std::string& value) {
    const QString writePath = ConfigWritePath();
    IniFile ini;
    std::string error;
    // A first private copy starts from the read-only file beside the program.
    const QString readPath = ConfigReadPath();
    const QString basePath = QFileInfo::exists(writePath) ? writePath : readPath;
    // A file that exists but cannot be read is never replaced by one holding only the port.
    if (!IniFile::Load(basePath.toStdString(), ini, error)) {
        qWarning("setting not stored: %s", error.c_str());
        return;
    }
    ini.Set(kConfigSection, key, value);
    // A port chosen by number no longer names a device.
    if (key == kPortKey)
        ini.Remove(kConfigSection, "Device");
    if (!ini.Save(writePath.toStdString(), error)) {
        qWarning("setting not stored: %s", error.c_str());
    }
}

void COrvelToolView::OnSelectCom(int number) {
    m_portNumber = number;
    m_device.clear();
    deviceByName_ = false;
    SavePortChoice(number, QString());
    m_serialPort.Close();
    OpenPort(PortDeviceName(number), false);
}

QStringList COrvelToolView::SerialDeviceNames() const {
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        names << info.portName();
    }
    names.sort();
    return names;
}

void COrvelToolView::OnSelectDevice(const QString& name) {
    m_device = name;
    deviceByName_ = true;
    SavePortChoice(m_portNumber, name);
    m_serialPort.Close();
    OpenPort(ResolvePortName(name.toStdString()), false);
}

bool COrvelToolView::IsDeviceChecked(const QString& name) const {
    return deviceByName_ &&
           CanonicalDevice(ResolvePortName(name.toStdString())) == CanonicalDevice(deviceInUse_);
}

QString COrvelToolView::PortStatusText() const {
    if (deviceInUse_.empty())
        return {};
    return QStringLiteral("串口 ") + QString::fromStdString(deviceInUse_) +
           (m_serialPort.IsOpen() == 1 ? QString() : QStringLiteral("（未打开）"));
}

// --- channel files -------------------------------------------------------------------------

void COrvelToolView::OnOpen() {
    const QString path = dialogs_.fileName(false, DefaultChannelFilePath());
    if (path.isEmpty())
        return;
    std::vector<std::uint8_t> data;
    std::string error;
    ReadFault fault = ReadFault::None;
    ReadFileBytes(path.toStdString(), data, error, kMaxInputFileSize, &fault);
    if (fault == ReadFault::CannotOpen)
        return;  // a file that cannot be opened is passed over silently
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    AppendLog(QStringLiteral("文件打开[") + fullPath + QStringLiteral("]"));
    const ChannelFileContent content = ImageFromChannelFile(data);
    if (fault != ReadFault::None || !content.complete) {
        // A short or unreadable file is refused whole: nothing of it is mixed into the image.
        Message(QMessageBox::NoIcon, kAppTitle, OpenFailureText(fault, error));
        return;
    }
    m_filePath = fullPath;
    m_image = content.image;
    const DecodedImage decoded = DecodeImage(m_image, DecodeSource::FromFile, Settings());
    SetTable(decoded.table);
    for (QComboBox* combo : {m_comboPower, m_comboRate, m_comboSquelch, m_comboDataVoice}) {
        combo->setCurrentIndex(-1);
    }
    m_channelNo = 1;
    m_rxFreqText.clear();
    m_txFreqText.clear();
    ShowDecoded(decoded.settings);
    if (!decoded.checksumOk) {
        AppendLog(QStringLiteral("数据校验错"));
        Message(QMessageBox::NoIcon, kNotice, QStringLiteral("数据校验错"));
        return;
    }
    EditPanel panel = PanelFromControls();
    LoadFirstChannelIntoPanel(Table(), panel);
    PanelToControls(panel);
    ApplyPanelToRow();
}

bool COrvelToolView::WriteImageFile(const QString& path) {
    std::string error;
    // The bytes a save replaces go to the safety copies first; without that copy they stay.
    if (!KeepReplacedFile(path.toStdString(), error)) {
        Message(QMessageBox::Warning, kAppTitle,
                QStringLiteral("文件保存失败：无法保留原文件的备份\n%1\n%2")
                    .arg(path, QString::fromStdString(error)));
        return false;
    }
    if (WriteFileAtomically(path.toStdString(), ChannelFileBytes(m_image), error))
        return true;
    const QString text =
        QFileInfo(path).absoluteDir().exists()
            ? QStringLiteral("文件保存失败：%1\n%2").arg(path, QString::fromStdString(error))
            : QStringLiteral("文件没有发现");
    Message(QMessageBox::Warning, kAppTitle, text);
    return false;
}

void COrvelToolView::OnSaveAs() {
    const QString path = dialogs_.fileName(true, DefaultChannelFilePath());
    if (path.isEmpty())
        return;
    EncodeImage(Table(), Settings(), m_image);
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    if (!WriteImageFile(fullPath))
        return;
    AppendLog(QStringLiteral("文件保存 [") + fullPath + QStringLiteral("]"));
    m_filePath = fullPath;
}

void COrvelToolView::OnSave() {
    if (Message(QMessageBox::Question, kNotice, QStringLiteral("要保存当前文件吗?"),
                QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    if (m_filePath.isEmpty())
        return;
    EncodeImage(Table(), Settings(), m_image);
    if (!WriteImageFile(m_filePath))
        return;
    AppendLog(QStringLiteral("文件保存[") + m_filePath + QStringLiteral("]"));
}

// --- printing ------------------------------------------------------------------------------

void COrvelToolView::OnPrint() {
    ExchangeData(true);
    if (!dialogs_.print(printer_))
        return;
    PaintReport(printer_);
}

void COrvelToolView::PaintReport(QPrinter& printer) {
    const Report report = BuildReport(Table(), Settings());
    printer.setDocName(QString::fromStdString(report.jobName));
    // The layout is in device dots at 600 dpi: it fills an A4 page.
    printer.setResolution(600);
    printer.setFullPage(false);
    QPainter painter;
    const bool started = painter.begin(&printer);
    AppendLog(QStringLiteral("***打印开始***"));
    if (started) {
        for (const ReportText& item : report.items) {
            painter.drawText(QRect(item.x, item.y, 4000, 400),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                             QString::fromStdString(item.text));
        }
        painter.end();
    }
    AppendLog(QStringLiteral("***打印结束***"));
}

bool COrvelToolView::PrintToPdf(const QString& pdfPath) {
    printer_.setOutputFormat(QPrinter::PdfFormat);
    printer_.setOutputFileName(pdfPath);
    printer_.setPageSize(QPageSize(QPageSize::A4));
    const auto saved = dialogs_.print;
    dialogs_.print = [](QPrinter&) { return true; };
    OnPrint();
    dialogs_.print = saved;
    return QFileInfo(pdfPath).size() > 0;
}

void COrvelToolView::OnPrintSetup() {
    // The printer chosen here is the one the print command starts from.
    QPrintDialog dialog(&printer_, this);
    dialog.setWindowTitle(QStringLiteral("打印设置"));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.exec();
}

bool COrvelToolView::eventFilter(QObject* watched, QEvent* event) {
    // Closing the window in the middle of an exchange would pull the port and the view away
    // from under it: the window stays until the exchange is over.
    if (busy_ && watched == window() && event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// --- routing -------------------------------------------------------------------------------

void COrvelToolView::OnCommand(int id) {
    // An exchange in progress finishes before anything else starts.
    if (busy_)
        return;
    busy_ = true;
    switch (id) {
        case cmd::kOpen:
            OnOpen();
            break;
        case cmd::kSave:
            if (IsCommandEnabled(cmd::kSave))
                OnSave();
            break;
        case cmd::kSaveAs:
            OnSaveAs();
            break;
        case cmd::kPrint:
            OnPrint();
            break;
        case cmd::kPrintSetup:
            OnPrintSetup();
            break;
        case cmd::kDefaultTable:
            OnDefault();
            break;
        case cmd::kReadRadio:
            OnRead();
            break;
        case cmd::kWriteRadio:
            OnWrite();
            break;
        case cmd::kCurrentChannel:
            OnCurrentChannel();
            break;
        case cmd::kVerifyWrites:
            OnToggleVerify();
            break;
        case cmd::kCompareRadio:
            OnCompareRadio();
            break;
        case cmd::kFindRadio:
            OnFindRadio();
            break;
        case cmd::kHelp:
            OpenHelpFile(HelpFolders(ProgramDir()), QStringLiteral("help"));
            break;
        case cmd::kQuestions:
            OpenHelpFile(HelpFolders(ProgramDir()), QStringLiteral("ques"));
            break;
        default:
            if (id >= cmd::kCom1 && id <= cmd::kCom4)
                OnSelectCom(id - cmd::kCom1 + 1);
            break;
    }
    busy_ = false;
}

bool COrvelToolView::IsCommandEnabled(int id) const {
    return id != cmd::kSave || !m_filePath.isEmpty();
}

bool COrvelToolView::IsCommandChecked(int id) const {
    if (id == cmd::kVerifyWrites)
        return m_verifyWrites;
    return id >= cmd::kCom1 && id <= cmd::kCom4 && !deviceByName_ &&
           m_portNumber == id - cmd::kCom1 + 1;
}
