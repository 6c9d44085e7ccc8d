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
#include "echo_text.h"
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
      m_rows(m_document, m_editor, m_log, m_dialogs),
      m_plans(m_document, m_editor, m_files, m_radio, m_log, m_dialogs) {
    connect(&m_document, &Document::stepLogged, this,
            [this](const QString& line) { m_log.AppendLog(line); });
    connect(&m_document, &Document::modifiedChanged, this, &COrvelToolView::NotifyStateChanged);
    // The actions are found by name under the window, as its other objects are.
    m_actions.setParent(this);
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
    m_actions.verifyWrites->setChecked(m_radio.verifyWrites());
    m_actions.readFirst->setChecked(m_radio.readFirst());
    m_actions.compareFirst->setChecked(m_radio.compareFirst());
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
    m_actions.undo->setEnabled(false);
    m_actions.redo->setEnabled(false);
    run();
    m_actions.undo->setEnabled(m_document.undoStack().canUndo());
    m_actions.redo->setEnabled(m_document.undoStack().canRedo());
    m_busy = false;
    NotifyStateChanged();
}

void COrvelToolView::NotifyStateChanged() {
    UpdatePortChecks();
    emit notifier.stateChanged();
}

void COrvelToolView::UpdatePortChecks() {
    for (int n = 1; n <= int(m_actions.coms.size()); ++n)
        m_actions.coms[n - 1]->setChecked(m_port.isComChecked(n));
    m_actions.networkPort->setChecked(m_port.isNetworkChecked());
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

QString COrvelToolView::documentTitle() const {
    const std::optional<PlanOrigin>& origin = m_document.origin();
    if (!origin)
        return {};
    const QString plan = tr("方案 %1 第 %2 版")
                             .arg(QString::fromStdString(EscapeControls(origin->plan)))
                             .arg(origin->version);
    if (origin->unit.empty())
        return plan;
    return tr("单元 %1 — %2").arg(QString::fromStdString(EscapeControls(origin->unit)), plan);
}

void COrvelToolView::setListMenu(QMenu* menu) {
    CHighlightListCtrl* list = m_editor.channelList();
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, menu,
            [list, menu](const QPoint& at) { menu->popup(list->viewport()->mapToGlobal(at)); });
}

void COrvelToolView::BindCommands() {
    const WindowActions& a = m_actions;
    const auto bind = [this](QAction* action, const std::function<void()>& run) {
        connect(action, &QAction::triggered, this, [this, run] { RunGuarded(run); });
    };
    bind(a.open, [this] { m_files.OnOpen(); });
    bind(a.save, [this] { m_files.OnSave(); });
    bind(a.saveAs, [this] { m_files.OnSaveAs(); });
    bind(a.print, [this] { m_print.OnPrint(); });
    bind(a.printSetup, [this] { m_print.OnPrintSetup(this); });
    bind(a.defaultTable, [this] { m_editor.OnDefault(); });
    bind(a.copy, [this] { m_rows.OnCopy(); });
    bind(a.paste, [this] { m_rows.OnPaste(); });
    bind(a.fill, [this] { m_rows.OnFill(); });
    bind(a.moveUp, [this] { m_rows.OnMoveUp(); });
    bind(a.moveDown, [this] { m_rows.OnMoveDown(); });
    bind(a.insertRow, [this] { m_rows.OnInsertEmpty(); });
    bind(a.deleteRows, [this] { m_rows.OnDeleteRows(); });
    bind(a.sortRows, [this] { m_rows.OnSort(kColRx); });
    bind(a.importFile, [this] { m_transfer.OnImport(); });
    bind(a.exportFile, [this] { m_transfer.OnExport(); });
    bind(a.readRadio, [this] {
        // Without a port the read only says so: nothing is set aside to ask about.
        if (!m_port.serialPort().IsOpen() || m_files.MaySetWorkAside()) {
            if (m_radio.OnRead())
                m_document.MarkKept();
        }
    });
    bind(a.writeRadio, [this] {
        if (m_radio.OnWrite())
            m_document.MarkKept();
    });
    bind(a.currentChannel, [this] { m_radio.OnCurrentChannel(); });
    bind(a.verifyWrites, [this] {
        m_radio.OnToggleVerify();
        m_actions.verifyWrites->setChecked(m_radio.verifyWrites());
    });
    bind(a.readFirst, [this] {
        m_radio.OnToggleReadFirst();
        m_actions.readFirst->setChecked(m_radio.readFirst());
    });
    bind(a.compareFirst, [this] {
        m_radio.OnToggleCompareFirst();
        m_actions.compareFirst->setChecked(m_radio.compareFirst());
    });
    bind(a.records, [this] { OnRecords(); });
    bind(a.planLibrary, [this] { m_plans.OnPlanLibrary(); });
    bind(a.writeByUnit, [this] { m_plans.OnOpenForUnit(); });
    bind(a.fleetStatus, [this] { m_dialogs.fleet(m_radio.records().settings()); });
    bind(a.compareRadio, [this] { m_radio.OnCompareRadio(); });
    bind(a.findRadio, [this] { m_port.OnFindRadio(); });
    bind(a.networkPort, [this] { m_port.OnNetworkPort(); });
    for (const auto& [action, page] : {std::pair{a.help, "help"}, std::pair{a.questions, "ques"}}) {
        bind(action, [page] {
            const QStringList folders = HelpFolders(ProgramDir());
            OpenHelpFile(folders, HelpBaseName(folders, QLatin1String(page)));
        });
    }
    for (int n = 1; n <= int(a.coms.size()); ++n)
        bind(a.coms[n - 1], [this, n] { m_port.OnSelectCom(n); });
    for (int n = 0; n < kRecentFileCount; ++n)
        bind(a.recentFiles[n], [this, n] { m_transfer.OnRecentFile(n); });
    // Ctrl+V with nothing to paste says why rather than nothing at all: a key of its own,
    // live only while the command is not.
    const auto pasteWhy = [this] {
        if (!m_busy)
            m_rows.OnPaste();
    };
    QAction* paste = a.paste;
    auto* pasteKey = new QShortcut(QKeySequence::Paste, this, pasteWhy);
    pasteKey->setContext(Qt::WindowShortcut);
    pasteKey->setAutoRepeat(false);
    pasteKey->setEnabled(!paste->isEnabled());
    connect(paste, &QAction::enabledChanged, pasteKey,
            [pasteKey](bool enabled) { pasteKey->setEnabled(!enabled); });

    QAction* save = a.save;
    save->setEnabled(false);
    connect(&m_document, &Document::filePathChanged, save,
            [save](const QString& path) { save->setEnabled(!path.isEmpty()); });
    const auto updateRows = [this] {
        m_actions.copy->setEnabled(m_rows.canCopy());
        m_actions.paste->setEnabled(m_rows.canPaste());
        for (QAction* rearrange :
             {m_actions.moveUp, m_actions.moveDown, m_actions.insertRow, m_actions.deleteRows})
            rearrange->setEnabled(m_rows.canRearrange());
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
