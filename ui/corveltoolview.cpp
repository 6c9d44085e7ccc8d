#include "corveltoolview.h"

#include <QAction>
#include <QDate>
#include <QEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include "app_paths.h"
#include "channel_table_model.h"
#include "chighlightlistctrl.h"
#include "codec.h"
#include "configuration.h"
#include "help_files.h"
#include "ui_mainform.h"
#include "window_placement.h"

using namespace orvel;

namespace {

FormControls SetUpForm(Ui::MainForm& form, QWidget* widget) {
    form.setupUi(widget);
    return FormControls::Bind(form, *widget);
}

}  // namespace

COrvelToolView::COrvelToolView(QWidget* parent)
    : QWidget(parent),
      ui_(new Ui::MainForm),
      controls_(SetUpForm(*ui_, this)),
      log_(controls_.logEdit),
      settingsPanel_(this, document_),
      editor_(controls_, document_, log_, dialogs_),
      port_(log_, dialogs_),
      radio_(document_, editor_, port_, log_, dialogs_),
      files_(document_, editor_, log_, dialogs_, recent_),
      transfer_(document_, editor_, files_, log_, dialogs_, recent_),
      print_(document_, log_, dialogs_),
      rows_(document_, editor_, log_, dialogs_) {
    connect(&document_, &Document::stepLogged, this,
            [this](const QString& line) { log_.AppendLog(line); });
    connect(&document_, &Document::modifiedChanged, this, &COrvelToolView::NotifyStateChanged);
    // The actions are found by name under the window, as its other objects are.
    commands_.setParent(this);
    commands_.setObjectName(QStringLiteral("commands"));
    UseShownDialogs();
    connect(&port_, &PortController::stateChanged, this, &COrvelToolView::NotifyStateChanged);
    BindCommands();
}

COrvelToolView::~COrvelToolView() = default;

void COrvelToolView::OnInitialUpdate() {
    OnInitialUpdate(StartOptions());
}

void COrvelToolView::OnInitialUpdate(const StartOptions& options) {
    // Building columns and rows and opening the port happen once per window.
    if (started_)
        return;
    started_ = true;
    settingsPanel_.Show(document_.settings());
    editor_.SetUpList();

    const Configuration config = LoadConfigurationFile(ConfigReadPath());
    port_.Configure(config);
    port_.Choose(options.portOverride, options.tracePath);

    const QDateTime now = QDateTime::currentDateTime();
    const QStringList banner = {
        tr("今天日期:%1年%2月%3日 ")
            .arg(now.date().year(), 4, 10, QLatin1Char('0'))
            .arg(now.date().month(), 2, 10, QLatin1Char('0'))
            .arg(now.date().day(), 2, 10, QLatin1Char('0')),
        tr("当前时间:%1").arg(now.time().toString(QStringLiteral("hh:mm:ss"))),
        tr("****正在初始化****"),
        tr("模式:Proper "),
        tr("串口号:%1").arg(port_.ChosenPortName()),
        tr("****初始化结束****"),
        tr("数据清除[信道1]"),
    };
    log_.SetLogText(banner.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));

    document_.SetLimits({config.minFreq, config.maxFreq});
    transfer_.SetLimitsFault(config.limitsFault);
    recent_.Load();
    radio_.Configure(config);
    commands_.Action(cmd::kVerifyWrites)->setChecked(radio_.verifyWrites());
    commands_.Action(cmd::kReadFirst)->setChecked(radio_.readFirst());
    commands_.Action(cmd::kCompareFirst)->setChecked(radio_.compareFirst());
    if (!options.openPortLater)
        port_.Start();

    PlaceFrame();

    editor_.FinishStart();
    document_.MarkKept();
    NotifyStateChanged();
}

void COrvelToolView::OpenPort() {
    RunGuarded([this] { port_.Start(); });
}

// An exchange in progress finishes before anything else starts.
void COrvelToolView::RunGuarded(const std::function<void()>& run) {
    if (busy_)
        return;
    busy_ = true;
    // The stack's own actions are kept from an exchange in progress as the others are.
    QAction* undo = commands_.Action(cmd::kUndo);
    QAction* redo = commands_.Action(cmd::kRedo);
    undo->setEnabled(false);
    redo->setEnabled(false);
    run();
    undo->setEnabled(document_.undoStack().canUndo());
    redo->setEnabled(document_.undoStack().canRedo());
    busy_ = false;
    NotifyStateChanged();
}

void COrvelToolView::NotifyStateChanged() {
    UpdatePortChecks();
    emit notifier.stateChanged();
}

void COrvelToolView::UpdatePortChecks() {
    for (int n = 1; n <= 4; ++n)
        commands_.Action(cmd::kCom1 + n - 1)->setChecked(port_.IsComChecked(n));
    commands_.Action(cmd::kNetworkPort)->setChecked(port_.IsNetworkChecked());
}

void COrvelToolView::OnDropFiles(const QStringList& paths) {
    RunGuarded([this, &paths] { transfer_.OnDropFiles(paths); });
}

// The frame grows around the form's preferred size, but not past the screen; a small screen
// gets the whole of it.
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

// The title bar and borders are known only once the frame is on screen; with them a frame that
// fitted as a client area may run past a screen at 150 % or 200 %.
void COrvelToolView::KeepFrameOnScreen() {
    QWidget* frame = window();
    const QScreen* screen = frame->screen();
    if (frame == this || screen == nullptr || frame->isMaximized() || frame->isFullScreen())
        return;
    const QRect client =
        ClientWithinArea(frame->geometry(), frame->frameGeometry(), screen->availableGeometry());
    if (client != frame->geometry())
        frame->setGeometry(client);
}

bool COrvelToolView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window() && event->type() == QEvent::Show && !shownOnce_) {
        shownOnce_ = true;
        QTimer::singleShot(0, this, [this] { KeepFrameOnScreen(); });
    }
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
            NotifyStateChanged();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- commands ------------------------------------------------------------------------------

void COrvelToolView::OnRecords() {
    const std::optional<RecordImage> chosen = dialogs_.records(radio_.records().settings());
    if (!chosen || !files_.MaySetWorkAside())
        return;
    // No file of its own: a save asks where, and the window counts it unsaved until then.
    editor_.LoadImage(chosen->image, DecodeSource::FromRadio, tr("打开 %1").arg(chosen->label));
    document_.SetFilePath(QString());
    log_.AppendLog(tr("打开 %1（新文档，尚未保存）").arg(chosen->label));
}

void COrvelToolView::SetListMenu(QMenu* menu) {
    CHighlightListCtrl* list = editor_.channelList();
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, menu,
            [list, menu](const QPoint& at) { menu->popup(list->viewport()->mapToGlobal(at)); });
}

void COrvelToolView::BindCommands() {
    const auto bind = [this](int id, const std::function<void()>& run) {
        return commands_.Bind(id, [this, run] { RunGuarded(run); });
    };
    bind(cmd::kOpen, [this] { files_.OnOpen(); });
    bind(cmd::kSave, [this] { files_.OnSave(); });
    bind(cmd::kSaveAs, [this] { files_.OnSaveAs(); });
    bind(cmd::kPrint, [this] { print_.OnPrint(); });
    bind(cmd::kPrintSetup, [this] { print_.OnPrintSetup(this); });
    bind(cmd::kDefaultTable, [this] { editor_.OnDefault(); });
    // Undo and redo name the step they take back or do again, as the stack words it.
    QUndoStack& steps = document_.undoStack();
    commands_.Adopt(cmd::kUndo, steps.createUndoAction(&commands_, tr("撤销(&U)")));
    commands_.Adopt(cmd::kRedo, steps.createRedoAction(&commands_, tr("重做(&R)")));
    bind(cmd::kCopy, [this] { rows_.OnCopy(); });
    bind(cmd::kPaste, [this] { rows_.OnPaste(); });
    bind(cmd::kFill, [this] { rows_.OnFill(); });
    bind(cmd::kMoveUp, [this] { rows_.OnMoveUp(); });
    bind(cmd::kMoveDown, [this] { rows_.OnMoveDown(); });
    bind(cmd::kInsertRow, [this] { rows_.OnInsertEmpty(); });
    bind(cmd::kDeleteRows, [this] { rows_.OnDeleteRows(); });
    bind(cmd::kSortRows, [this] { rows_.OnSort(kColRx); });
    bind(cmd::kImport, [this] { transfer_.OnImport(); });
    bind(cmd::kExport, [this] { transfer_.OnExport(); });
    bind(cmd::kReadRadio, [this] {
        // Without a port the read only says so: nothing is set aside to ask about.
        if (!port_.serialPort().IsOpen() || files_.MaySetWorkAside()) {
            if (radio_.OnRead())
                document_.MarkKept();
        }
    });
    bind(cmd::kWriteRadio, [this] {
        if (radio_.OnWrite())
            document_.MarkKept();
    });
    bind(cmd::kCurrentChannel, [this] { radio_.OnCurrentChannel(); });
    bind(cmd::kVerifyWrites, [this] {
        radio_.OnToggleVerify();
        commands_.Action(cmd::kVerifyWrites)->setChecked(radio_.verifyWrites());
    })->setCheckable(true);
    bind(cmd::kReadFirst, [this] {
        radio_.OnToggleReadFirst();
        commands_.Action(cmd::kReadFirst)->setChecked(radio_.readFirst());
    })->setCheckable(true);
    bind(cmd::kCompareFirst, [this] {
        radio_.OnToggleCompareFirst();
        commands_.Action(cmd::kCompareFirst)->setChecked(radio_.compareFirst());
    })->setCheckable(true);
    bind(cmd::kRecords, [this] { OnRecords(); });
    bind(cmd::kCompareRadio, [this] { radio_.OnCompareRadio(); });
    bind(cmd::kFindRadio, [this] { port_.OnFindRadio(); });
    bind(cmd::kNetworkPort, [this] { port_.OnNetworkPort(); })->setCheckable(true);
    for (int id : {cmd::kHelp, cmd::kQuestions}) {
        bind(id, [id] {
            const QStringList folders = HelpFolders(ProgramDir());
            OpenHelpFile(folders, HelpBaseName(folders, id == cmd::kHelp ? QStringLiteral("help")
                                                                         : QStringLiteral("ques")));
        });
    }
    for (int n = 1; n <= 4; ++n)
        bind(cmd::kCom1 + n - 1, [this, n] { port_.OnSelectCom(n); })->setCheckable(true);
    for (int n = 0; n < kRecentFileCount; ++n)
        bind(cmd::kRecentFile1 + n, [this, n] { transfer_.OnRecentFile(n); });
    // Ctrl+V with nothing to paste says why rather than nothing at all: a key of its own,
    // live only while the command is not.
    const auto pasteWhy = [this] {
        if (!busy_)
            rows_.OnPaste();
    };
    QAction* paste = commands_.Action(cmd::kPaste);
    auto* pasteKey = new QShortcut(QKeySequence::Paste, this, pasteWhy);
    pasteKey->setContext(Qt::WindowShortcut);
    pasteKey->setAutoRepeat(false);
    pasteKey->setEnabled(!paste->isEnabled());
    connect(paste, &QAction::enabledChanged, pasteKey,
            [pasteKey](bool enabled) { pasteKey->setEnabled(!enabled); });

    QAction* save = commands_.Action(cmd::kSave);
    save->setEnabled(false);
    connect(&document_, &Document::filePathChanged, save,
            [save](const QString& path) { save->setEnabled(!path.isEmpty()); });
    const auto updateRows = [this] {
        commands_.Action(cmd::kCopy)->setEnabled(rows_.CanCopy());
        commands_.Action(cmd::kPaste)->setEnabled(rows_.CanPaste());
        for (int id : {cmd::kMoveUp, cmd::kMoveDown, cmd::kInsertRow, cmd::kDeleteRows})
            commands_.Action(id)->setEnabled(rows_.CanRearrange());
    };
    connect(&rows_, &RowCommands::enabledChanged, this, updateRows);
    // A click on a column's head sorts the channels by it, and rows dragged within the list
    // move there: commands of their own, kept from an exchange in progress as the others are.
    const auto guarded = [this](const std::function<void()>& run) { RunGuarded(run); };
    connect(
        editor_.channelList()->horizontalHeader(), &QHeaderView::sectionClicked, this,
        [this, guarded](int column) { guarded([this, column] { rows_.OnHeadClicked(column); }); });
    auto* channels = qobject_cast<ChannelTableModel*>(editor_.channelList()->model());
    channels->SetRowMover([this, guarded](const std::vector<int>& rows, int to) {
        bool moved = false;
        guarded([this, &moved, &rows, to] { moved = rows_.OnMoveTo(rows, to); });
        return moved;
    });
    connect(&document_, &Document::changed, this, updateRows);
    updateRows();
}
