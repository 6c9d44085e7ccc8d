#include "corveltoolview.h"

#include <QAbstractButton>
#include <QDate>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintDialog>
#include <QScreen>

#include "app_paths.h"
#include "codec.h"
#include "comparedialog.h"
#include "configuration.h"
#include "currentchanneldialog.h"
#include "form_layout.h"
#include "help_files.h"
#include "ui_mainform.h"

using namespace orvel;

namespace {

// The buttons speak the program's language even where Qt's own translations are missing.
void LabelButtons(QMessageBox& box) {
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        ok->setText(COrvelToolView::tr("确定"));
    if (QAbstractButton* yes = box.button(QMessageBox::Yes))
        yes->setText(COrvelToolView::tr("是(&Y)"));
    if (QAbstractButton* no = box.button(QMessageBox::No))
        no->setText(COrvelToolView::tr("否(&N)"));
    if (QAbstractButton* cancel = box.button(QMessageBox::Cancel))
        cancel->setText(COrvelToolView::tr("取消"));
    if (QAbstractButton* save = box.button(QMessageBox::Save))
        save->setText(COrvelToolView::tr("保存(&S)"));
    if (QAbstractButton* discard = box.button(QMessageBox::Discard))
        discard->setText(COrvelToolView::tr("不保存(&N)"));
}

FormControls SetUpForm(Ui::MainForm& form, QWidget* widget) {
    form.setupUi(widget);
    return FormControls::Bind(form);
}

}  // namespace

COrvelToolView::COrvelToolView(QWidget* parent)
    : QWidget(parent),
      ui_(new Ui::MainForm),
      controls_(SetUpForm(*ui_, this)),
      log_(controls_.logEdit),
      settingsPanel_(this),
      history_(log_),
      editor_(controls_, settingsPanel_, log_, dialogs_, history_),
      port_(log_, dialogs_),
      radio_(document_, editor_, port_, log_, dialogs_, history_),
      files_(document_, editor_, log_, dialogs_, history_, recent_),
      transfer_(document_, editor_, files_, log_, dialogs_, recent_),
      print_(editor_, log_, dialogs_),
      rows_(editor_, history_, log_, dialogs_) {
    history_.capture = [this] { return editor_.Snapshot(); };
    history_.restore = [this](const EditSnapshot& snapshot) { editor_.Restore(snapshot); };
    settingsPanel_.userChanged = [this](const QString& label, const RadioSettings& before) {
        history_.SettingChanged(tr("设置 %1").arg(label), before);
    };
    connect(&history_, &EditHistory::changed, this, [this] {
        RefreshModified();
        if (stateChanged)
            stateChanged();
    });
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
    dialogs_.transferFile = [this](bool save, const QString& initialPath) {
        QFileDialog dialog(this);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        const QStringList filters{tr("CSV 信道表 (*.csv)"), tr("JSON 全部设置 (*.json)")};
        dialog.setNameFilters(save ? filters
                                   : QStringList{tr("CSV 或 JSON (*.csv *.json)")} + filters);
        // A name typed without an extension takes that of the chosen kind.
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            dialog.setDefaultSuffix(filter.contains(QLatin1String("*.json"))
                                        ? QStringLiteral("json")
                                        : QStringLiteral("csv"));
        });
        const QFileInfo initial(initialPath);
        dialog.setDirectory(initial.isDir() ? initialPath : initial.absolutePath());
        if (!initial.isDir())
            dialog.selectFile(initial.fileName());
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
        dialog.timing = radio_.classicTiming() ? PollTiming::Classic : PollTiming::Prompt;
        dialog.exec();
    };
    dialogs_.compare = [this](const QStringList& lines) {
        CompareDialog dialog(lines, this);
        dialog.exec();
    };
    dialogs_.fill = [this](const ChannelTable& table, const FrequencyLimits& limits, int first,
                           int last) -> std::optional<FillPlan> {
        FillDialog dialog(table, limits, first, last, this);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.Plan();
    };
    dialogs_.findRadio = [this](std::vector<FindRadioDialog::Port> ports) {
        FindRadioDialog dialog(std::move(ports), &port_.serialPort(), this);
        return dialog.exec() == QDialog::Accepted ? dialog.ChosenName() : QString();
    };
    port_.stateChanged = [this] {
        if (stateChanged)
            stateChanged();
    };
    // Edits outside the frame's commands: 确认 and 清除 (also Enter in a frequency) and the
    // settings. Connected after the editor's own handlers, so they see the edit done.
    for (QAbstractButton* button : {controls_.confirmButton, controls_.clearButton})
        connect(button, &QAbstractButton::clicked, this, &COrvelToolView::RefreshModified);
    for (QLineEdit* edit : {controls_.rxEdit, controls_.txEdit})
        connect(edit, &QLineEdit::returnPressed, this, &COrvelToolView::RefreshModified);
    settingsPanel_.OnUserChange(this, [this] { RefreshModified(); });
    LayOutMainForm(this);
}

COrvelToolView::~COrvelToolView() = default;

void COrvelToolView::OnInitialUpdate(const StartOptions& options) {
    // Building columns and rows and opening the port happen once per window.
    if (started_)
        return;
    started_ = true;
    editor_.ExchangeData(false);
    settingsPanel_.Show(RadioSettings{});
    editor_.SetUpList();

    const QDateTime now = QDateTime::currentDateTime();
    const QStringList banner = {
        tr("今天日期:%1年%2月%3日 ")
            .arg(now.date().year(), 4, 10, QLatin1Char('0'))
            .arg(now.date().month(), 2, 10, QLatin1Char('0'))
            .arg(now.date().day(), 2, 10, QLatin1Char('0')),
        tr("当前时间:%1").arg(now.time().toString(QStringLiteral("hh:mm:ss"))),
        tr("****正在初始化****"),
        tr("模式:Proper "),
        tr("串口号:1"),
        tr("****初始化结束****"),
        tr("数据清除[信道1]"),
    };
    log_.SetLogText(banner.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));

    const Configuration config = LoadConfigurationFile(ConfigReadPath());
    editor_.SetLimits(config.minFreq, config.maxFreq);
    transfer_.SetLimitsFault(config.limitsFault);
    recent_.Load();
    radio_.Configure(config);
    port_.Configure(config);
    port_.Start(options.portOverride, options.tracePath);

    PlaceFrame();

    document_.m_image = MemoryImage{};
    std::copy(kStartupHeader.begin(), kStartupHeader.end(), document_.m_image.begin());
    editor_.FinishStart();
    files_.MarkKept();
    RefreshModified();
}

void COrvelToolView::RefreshModified() {
    if (stateChanged)
        stateChanged();
}

void COrvelToolView::OnDropFiles(const QStringList& paths) {
    if (busy_)
        return;
    busy_ = true;
    transfer_.OnDropFiles(paths);
    busy_ = false;
    RefreshModified();
}

// The frame grows around the form's preferred size, but not past the screen; a small screen
// gets the whole of it, and the form scales down to fit.
void COrvelToolView::PlaceFrame() {
    QWidget* frame = window();
    if (frame == this)
        return;
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

bool COrvelToolView::eventFilter(QObject* watched, QEvent* event) {
    // Closing the window in the middle of an exchange would pull the port and the view away
    // from under it: the window stays until the exchange is over.
    if (busy_ && watched == window() && event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    // Closing over unsaved changes asks first; 取消 keeps the window.
    if (watched == window() && event->type() == QEvent::Close) {
        busy_ = true;
        const bool close = files_.MaySetWorkAside();
        busy_ = false;
        if (!close) {
            event->ignore();
            RefreshModified();
            return true;
        }
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
            files_.OnOpen();
            break;
        case cmd::kSave:
            if (IsCommandEnabled(cmd::kSave))
                files_.OnSave();
            break;
        case cmd::kSaveAs:
            files_.OnSaveAs();
            break;
        case cmd::kPrint:
            print_.OnPrint();
            break;
        case cmd::kPrintSetup:
            print_.OnPrintSetup(this);
            break;
        case cmd::kDefaultTable:
            editor_.OnDefault();
            break;
        case cmd::kUndo:
            history_.Undo();
            break;
        case cmd::kRedo:
            history_.Redo();
            break;
        case cmd::kCopy:
            rows_.OnCopy();
            break;
        case cmd::kPaste:
            rows_.OnPaste();
            break;
        case cmd::kFill:
            rows_.OnFill();
            break;
        case cmd::kImport:
            transfer_.OnImport();
            break;
        case cmd::kExport:
            transfer_.OnExport();
            break;
        case cmd::kReadRadio:
            // Without a port the read only says so: nothing is set aside to ask about.
            if (!port_.serialPort().IsOpen() || files_.MaySetWorkAside()) {
                if (radio_.OnRead())
                    files_.MarkKept();
            }
            break;
        case cmd::kWriteRadio:
            if (radio_.OnWrite())
                files_.MarkKept();
            break;
        case cmd::kCurrentChannel:
            radio_.OnCurrentChannel();
            break;
        case cmd::kVerifyWrites:
            radio_.OnToggleVerify();
            break;
        case cmd::kCompareRadio:
            radio_.OnCompareRadio();
            break;
        case cmd::kFindRadio:
            port_.OnFindRadio();
            break;
        case cmd::kHelp:
        case cmd::kQuestions: {
            const QStringList folders = HelpFolders(ProgramDir());
            OpenHelpFile(folders, HelpBaseName(folders, id == cmd::kHelp ? QStringLiteral("help")
                                                                         : QStringLiteral("ques")));
            break;
        }
        default:
            if (id >= cmd::kCom1 && id <= cmd::kCom4)
                port_.OnSelectCom(id - cmd::kCom1 + 1);
            else if (id >= cmd::kRecentFile1 && id < cmd::kRecentFile1 + kRecentFileCount)
                transfer_.OnRecentFile(id - cmd::kRecentFile1);
            break;
    }
    busy_ = false;
    // Also for a command that came from elsewhere than the frame (the demo, a test).
    RefreshModified();
}

bool COrvelToolView::IsCommandEnabled(int id) const {
    switch (id) {
        case cmd::kSave:
            return !files_.filePath().isEmpty();
        case cmd::kUndo:
            return history_.CanUndo();
        case cmd::kRedo:
            return history_.CanRedo();
        case cmd::kCopy:
            return rows_.CanCopy();
        case cmd::kPaste:
            return rows_.CanPaste();
        default:
            return true;
    }
}

bool COrvelToolView::IsCommandChecked(int id) const {
    if (id == cmd::kVerifyWrites)
        return radio_.verifyWrites();
    return id >= cmd::kCom1 && id <= cmd::kCom4 && port_.IsComChecked(id - cmd::kCom1 + 1);
}
