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

namespace orvel {

namespace {

FormControls SetUpForm(Ui::MainForm& form, QWidget* widget) {
    form.setupUi(widget);
    return FormControls::Bind(form, *widget);
}

}  // namespace

COrvelToolView::COrvelToolView(QWidget* parent)
    : QWidget(parent),
      m_ui(new Ui::MainForm),
      m_controls(SetUpForm(*m_ui, this)),
      m_log(m_controls.logEdit),
      m_settingsPanel(this, m_document),
      m_editor(m_controls, m_document, m_log, m_dialogs),
      m_port(m_log, m_dialogs),
      m_radio(m_document, m_editor, m_port, m_log, m_dialogs),
      m_files(m_document, m_editor, m_log, m_dialogs, m_recent),
      m_transfer(m_document, m_editor, m_files, m_log, m_dialogs, m_recent),
      m_print(m_document, m_log, m_dialogs),
      m_rows(m_document, m_editor, m_log, m_dialogs) {
    connect(&m_document, &Document::stepLogged, this,
            [this](const QString& line) { m_log.AppendLog(line); });
    connect(&m_document, &Document::modifiedChanged, this, &COrvelToolView::NotifyStateChanged);
    // The actions are found by name under the window, as its other objects are.
    m_commands.setParent(this);
    m_commands.setObjectName(QStringLiteral("commands"));
    UseShownDialogs();
    connect(&m_port, &PortController::stateChanged, this, &COrvelToolView::NotifyStateChanged);
    BindCommands();
}

COrvelToolView::~COrvelToolView() = default;

void COrvelToolView::OnInitialUpdate() {
    OnInitialUpdate(StartOptions());
}

void COrvelToolView::OnInitialUpdate(const StartOptions& options) {
    // Building columns and rows and opening the port happen once per window.
    if (m_started)
        return;
    m_started = true;
    m_settingsPanel.Show(m_document.settings());
    m_editor.SetUpList();

    const Configuration config = LoadConfigurationFile(ConfigReadPath());
    m_port.Configure(config);
    m_port.Choose(options.portOverride, options.tracePath);

    const QDateTime now = QDateTime::currentDateTime();
    const QStringList banner = {
        tr("今天日期:%1年%2月%3日 ")
            .arg(now.date().year(), 4, 10, QLatin1Char('0'))
            .arg(now.date().month(), 2, 10, QLatin1Char('0'))
            .arg(now.date().day(), 2, 10, QLatin1Char('0')),
        tr("当前时间:%1").arg(now.time().toString(QStringLiteral("hh:mm:ss"))),
        tr("****正在初始化****"),
        tr("模式:Proper "),
        tr("串口号:%1").arg(m_port.chosenPortName()),
        tr("****初始化结束****"),
        tr("数据清除[信道1]"),
    };
    m_log.setLogText(banner.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));

    m_document.setLimits({config.minFreq, config.maxFreq});
    m_transfer.setLimitsFault(config.limitsFault);
    m_recent.Load();
    m_radio.Configure(config);
    m_commands.Action(cmd::kVerifyWrites)->setChecked(m_radio.verifyWrites());
    m_commands.Action(cmd::kReadFirst)->setChecked(m_radio.readFirst());
    m_commands.Action(cmd::kCompareFirst)->setChecked(m_radio.compareFirst());
    if (!options.openPortLater)
        m_port.Start();

    PlaceFrame();

    m_editor.FinishStart();
    m_document.MarkKept();
    NotifyStateChanged();
}

void COrvelToolView::OpenPort() {
    RunGuarded([this] { m_port.Start(); });
}

// An exchange in progress finishes before anything else starts.
void COrvelToolView::RunGuarded(const std::function<void()>& run) {
    if (m_busy)
        return;
    m_busy = true;
    // The stack's own actions are kept from an exchange in progress as the others are.
    QAction* undo = m_commands.Action(cmd::kUndo);
    QAction* redo = m_commands.Action(cmd::kRedo);
    undo->setEnabled(false);
    redo->setEnabled(false);
    run();
    undo->setEnabled(m_document.undoStack().canUndo());
    redo->setEnabled(m_document.undoStack().canRedo());
    m_busy = false;
    NotifyStateChanged();
}

void COrvelToolView::NotifyStateChanged() {
    UpdatePortChecks();
    emit notifier.stateChanged();
}

void COrvelToolView::UpdatePortChecks() {
    for (int n = 1; n <= 4; ++n)
        m_commands.Action(cmd::kCom1 + n - 1)->setChecked(m_port.isComChecked(n));
    m_commands.Action(cmd::kNetworkPort)->setChecked(m_port.isNetworkChecked());
}

void COrvelToolView::OnDropFiles(const QStringList& paths) {
    RunGuarded([this, &paths] { m_transfer.OnDropFiles(paths); });
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
    if (watched == window() && event->type() == QEvent::Show && !m_shownOnce) {
        m_shownOnce = true;
        QTimer::singleShot(0, this, [this] { KeepFrameOnScreen(); });
    }
    // Closing the window in the middle of an exchange would pull the port and the view away
    // from under it: the window stays until the exchange is over.
    if (m_busy && watched == window() && event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    // Closing over unsaved changes asks first; 取消 keeps the window.
    if (watched == window() && event->type() == QEvent::Close) {
        m_busy = true;
        const bool close = m_files.MaySetWorkAside();
        m_busy = false;
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
    const std::optional<RecordImage> chosen = m_dialogs.records(m_radio.records().settings());
    if (!chosen || !m_files.MaySetWorkAside())
        return;
    // No file of its own: a save asks where, and the window counts it unsaved until then.
    m_editor.LoadImage(chosen->image, DecodeSource::FromRadio, tr("打开 %1").arg(chosen->label));
    m_document.setFilePath(QString());
    m_log.AppendLog(tr("打开 %1（新文档，尚未保存）").arg(chosen->label));
}

void COrvelToolView::setListMenu(QMenu* menu) {
    CHighlightListCtrl* list = m_editor.channelList();
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, menu,
            [list, menu](const QPoint& at) { menu->popup(list->viewport()->mapToGlobal(at)); });
}

void COrvelToolView::BindCommands() {
    const auto bind = [this](int id, const std::function<void()>& run) {
        return m_commands.Bind(id, [this, run] { RunGuarded(run); });
    };
    bind(cmd::kOpen, [this] { m_files.OnOpen(); });
    bind(cmd::kSave, [this] { m_files.OnSave(); });
    bind(cmd::kSaveAs, [this] { m_files.OnSaveAs(); });
    bind(cmd::kPrint, [this] { m_print.OnPrint(); });
    bind(cmd::kPrintSetup, [this] { m_print.OnPrintSetup(this); });
    bind(cmd::kDefaultTable, [this] { m_editor.OnDefault(); });
    // Undo and redo name the step they take back or do again, as the stack words it.
    QUndoStack& steps = m_document.undoStack();
    m_commands.Adopt(cmd::kUndo, steps.createUndoAction(&m_commands, tr("撤销(&U)")));
    m_commands.Adopt(cmd::kRedo, steps.createRedoAction(&m_commands, tr("重做(&R)")));
    bind(cmd::kCopy, [this] { m_rows.OnCopy(); });
    bind(cmd::kPaste, [this] { m_rows.OnPaste(); });
    bind(cmd::kFill, [this] { m_rows.OnFill(); });
    bind(cmd::kMoveUp, [this] { m_rows.OnMoveUp(); });
    bind(cmd::kMoveDown, [this] { m_rows.OnMoveDown(); });
    bind(cmd::kInsertRow, [this] { m_rows.OnInsertEmpty(); });
    bind(cmd::kDeleteRows, [this] { m_rows.OnDeleteRows(); });
    bind(cmd::kSortRows, [this] { m_rows.OnSort(kColRx); });
    bind(cmd::kImport, [this] { m_transfer.OnImport(); });
    bind(cmd::kExport, [this] { m_transfer.OnExport(); });
    bind(cmd::kReadRadio, [this] {
        // Without a port the read only says so: nothing is set aside to ask about.
        if (!m_port.serialPort().IsOpen() || m_files.MaySetWorkAside()) {
            if (m_radio.OnRead())
                m_document.MarkKept();
        }
    });
    bind(cmd::kWriteRadio, [this] {
        if (m_radio.OnWrite())
            m_document.MarkKept();
    });
    bind(cmd::kCurrentChannel, [this] { m_radio.OnCurrentChannel(); });
    bind(cmd::kVerifyWrites, [this] {
        m_radio.OnToggleVerify();
        m_commands.Action(cmd::kVerifyWrites)->setChecked(m_radio.verifyWrites());
    })->setCheckable(true);
    bind(cmd::kReadFirst, [this] {
        m_radio.OnToggleReadFirst();
        m_commands.Action(cmd::kReadFirst)->setChecked(m_radio.readFirst());
    })->setCheckable(true);
    bind(cmd::kCompareFirst, [this] {
        m_radio.OnToggleCompareFirst();
        m_commands.Action(cmd::kCompareFirst)->setChecked(m_radio.compareFirst());
    })->setCheckable(true);
    bind(cmd::kRecords, [this] { OnRecords(); });
    bind(cmd::kCompareRadio, [this] { m_radio.OnCompareRadio(); });
    bind(cmd::kFindRadio, [this] { m_port.OnFindRadio(); });
    bind(cmd::kNetworkPort, [this] { m_port.OnNetworkPort(); })->setCheckable(true);
    for (int id : {cmd::kHelp, cmd::kQuestions}) {
        bind(id, [id] {
            const QStringList folders = HelpFolders(ProgramDir());
            OpenHelpFile(folders, HelpBaseName(folders, id == cmd::kHelp ? QStringLiteral("help")
                                                                         : QStringLiteral("ques")));
        });
    }
    for (int n = 1; n <= 4; ++n)
        bind(cmd::kCom1 + n - 1, [this, n] { m_port.OnSelectCom(n); })->setCheckable(true);
    for (int n = 0; n < kRecentFileCount; ++n)
        bind(cmd::kRecentFile1 + n, [this, n] { m_transfer.OnRecentFile(n); });
    // Ctrl+V with nothing to paste says why rather than nothing at all: a key of its own,
    // live only while the command is not.
    const auto pasteWhy = [this] {
        if (!m_busy)
            m_rows.OnPaste();
    };
    QAction* paste = m_commands.Action(cmd::kPaste);
    auto* pasteKey = new QShortcut(QKeySequence::Paste, this, pasteWhy);
    pasteKey->setContext(Qt::WindowShortcut);
    pasteKey->setAutoRepeat(false);
    pasteKey->setEnabled(!paste->isEnabled());
    connect(paste, &QAction::enabledChanged, pasteKey,
            [pasteKey](bool enabled) { pasteKey->setEnabled(!enabled); });

    QAction* save = m_commands.Action(cmd::kSave);
    save->setEnabled(false);
    connect(&m_document, &Document::filePathChanged, save,
            [save](const QString& path) { save->setEnabled(!path.isEmpty()); });
    const auto updateRows = [this] {
        m_commands.Action(cmd::kCopy)->setEnabled(m_rows.canCopy());
        m_commands.Action(cmd::kPaste)->setEnabled(m_rows.canPaste());
        for (int id : {cmd::kMoveUp, cmd::kMoveDown, cmd::kInsertRow, cmd::kDeleteRows})
            m_commands.Action(id)->setEnabled(m_rows.canRearrange());
    };
    connect(&m_rows, &RowCommands::enabledChanged, this, updateRows);
    // A click on a column's head sorts the channels by it, and rows dragged within the list
    // move there: commands of their own, kept from an exchange in progress as the others are.
    const auto guarded = [this](const std::function<void()>& run) { RunGuarded(run); };
    connect(
        m_editor.channelList()->horizontalHeader(), &QHeaderView::sectionClicked, this,
        [this, guarded](int column) { guarded([this, column] { m_rows.OnHeadClicked(column); }); });
    auto* channels = qobject_cast<ChannelTableModel*>(m_editor.channelList()->model());
    channels->setRowMover([this, guarded](const std::vector<int>& rows, int to) {
        bool moved = false;
        guarded([this, &moved, &rows, to] { moved = m_rows.OnMoveTo(rows, to); });
        return moved;
    });
    connect(&m_document, &Document::changed, this, updateRows);
    updateRows();
}

}  // namespace orvel
