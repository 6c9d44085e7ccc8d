#include "cmainframe.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStyle>
#include <QToolBar>
#include <QUrl>
#include <QWindow>

#include "app_paths.h"
#include "caboutdialog.h"
#include "manual_page.h"
#include "shell_resources.h"
#include "text_field_keys.h"

namespace orvel {

namespace {

// A path cut to `length` characters as the classic recent-file list showed it: the root, "..."
// and as many of the last folders as fit, or only the file name when not even one does.
QString ShortenedPath(const QString& path, int length) {
    if (path.size() <= length)
        return path;
    const QChar separator = QDir::separator();
    const QString name = path.mid(path.lastIndexOf(separator) + 1);
    // "/", "C:\" or "\\server\share\"
    qsizetype rootEnd = path.indexOf(separator) + 1;
    if (path.startsWith(QString(2, separator))) {
        for (int n = 0; n < 3 && rootEnd > 0; ++n)
            rootEnd = path.indexOf(separator, rootEnd) + 1;
    }
    const QString root = path.left(rootEnd);
    const QString dots = QStringLiteral("...") + separator;
    if (rootEnd <= 0 || root.size() + dots.size() + name.size() > length)
        return name;
    qsizetype rest = rootEnd;
    while (root.size() + dots.size() + (path.size() - rest) > length)
        rest = path.indexOf(separator, rest) + 1;
    return root + dots + path.mid(rest);
}

// The local files a drag carries, or none.
QStringList DraggedFiles(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr)
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}

// A menu's title without its access-key mark, as a screen reader speaks it.
QString WithoutMnemonic(QString text) {
    static const QRegularExpression mark(QStringLiteral("&(.)"));
    return text.replace(mark, QStringLiteral("\\1"));
}

// The port in use is the window's status: a screen reader finds it as the status bar and reads
// it on request. The window has no status bar of its own (the toolbar carries the port), so only
// this label's role changes.
class PortStatusAccessible : public QAccessibleWidget {
public:
    explicit PortStatusAccessible(QLabel* label)
        : QAccessibleWidget(label, QAccessible::StatusBar) {}
    QString text(QAccessible::Text t) const override {
        QString shown = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && shown.isEmpty())
            shown = static_cast<QLabel*>(widget())->text();
        return shown;
    }
};

QAccessibleInterface* PortStatusFactory(const QString&, QObject* object) {
    auto* label = qobject_cast<QLabel*>(object);
    if (label && label->objectName() == QLatin1String("portLabel"))
        return new PortStatusAccessible(label);
    return nullptr;
}

}  // namespace

QString CMainFrame::caption() {
    // The mark stands for changes neither saved nor written to the radio.
    return tr("Orvel系列电台设置工具") + QStringLiteral("[*]");
}

CMainFrame::CMainFrame(QWidget* view, CommandTarget* target, QWidget* parent)
    : QMainWindow(parent), m_target(target) {
    setWindowTitle(caption());
    // A file dropped anywhere on the window opens or imports it.
    setAcceptDrops(true);
    setWindowIcon(OrvelToolIcon());
    // Below the smallest scale of the form, scroll bars keep every control within reach.
    auto* scroller = new QScrollArea(this);
    scroller->setObjectName(QStringLiteral("formScroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setWidget(view);
    // Not a stop of its own for Tab: the focus moving through the form scrolls it into view.
    scroller->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(scroller);
    BuildMenus();
    BuildToolBar();
    // Drops and tool tips are seen before the widget under the pointer takes them.
    qApp->installEventFilter(this);
    // The form's text fields keep the editing keys from both the window and themselves.
    TextFieldKeys::Guard(view);
    connect(&m_target->notifier, &CommandNotifier::stateChanged, this,
            &CMainFrame::ShowTargetState);
    ShowTargetState();
}

CMainFrame::~CMainFrame() = default;

QProgressBar* CMainFrame::progressBar() {
    return m_progressBar;
}

QAction* CMainFrame::AddCommand(QMenu* menu, int id, const QString& label,
                                const QList<QKeySequence>& keys) {
    QAction* action = nullptr;
    if (id == cmd::kAbout || id == cmd::kExit) {
        // The frame's own commands.
        action = new QAction(this);
        action->setObjectName(cmd::ActionName(id));
        connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    } else {
        action = m_target->commands().Action(id);
    }
    // An action that names itself (undo and redo name their step) keeps its text.
    if (action->text().isEmpty())
        action->setText(label);
    if (!keys.isEmpty())
        action->setShortcuts(keys);
    menu->addAction(action);
    m_commands.emplace(id, action);
    return action;
}

void CMainFrame::BuildMenus() {
    QMenu* file = menuBar()->addMenu(tr("文件(&F)"));
    file->setObjectName(QStringLiteral("menuFile"));
    AddCommand(file, cmd::kOpen, tr("打开(&O)..."), QKeySequence::keyBindings(QKeySequence::Open));
    AddCommand(file, cmd::kSave, tr("保存(&S)"), QKeySequence::keyBindings(QKeySequence::Save));
    AddCommand(file, cmd::kSaveAs, tr("另存为(&A)..."));
    file->addSeparator();
    AddCommand(file, cmd::kImport, tr("导入(&I)..."));
    AddCommand(file, cmd::kExport, tr("导出(&E)..."));
    file->addSeparator();
    AddCommand(file, cmd::kRecords, tr("编程记录..."));
    file->addSeparator();
    AddCommand(file, cmd::kPrint, tr("打印(&P)..."),
               QKeySequence::keyBindings(QKeySequence::Print));
    AddCommand(file, cmd::kPrintSetup, tr("打印设置(&R)..."));
    m_recentSeparator = file->addSeparator();
    for (int n = 0; n < kRecentItems; ++n)
        AddCommand(file, cmd::kRecentFile1 + n, QString());
    // The paths of the recent files show as tips; the items name them shortened.
    file->setToolTipsVisible(true);
    file->addSeparator();
    AddCommand(file, cmd::kExit, tr("退出(&X)"));

    QMenu* edit = menuBar()->addMenu(tr("编辑(&E)"));
    edit->setObjectName(QStringLiteral("menuEdit"));
    AddCommand(edit, cmd::kUndo, tr("撤销(&U)"), QKeySequence::keyBindings(QKeySequence::Undo));
    AddCommand(
        edit, cmd::kRedo, tr("重做(&R)"),
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addSeparator();
    AddCommand(edit, cmd::kCopy, tr("复制(&C)"), QKeySequence::keyBindings(QKeySequence::Copy));
    AddCommand(edit, cmd::kPaste, tr("粘贴(&P)"), QKeySequence::keyBindings(QKeySequence::Paste));
    edit->addSeparator();
    AddCommand(edit, cmd::kMoveUp, tr("上移(&K)"), {QKeySequence(Qt::ALT | Qt::Key_Up)});
    AddCommand(edit, cmd::kMoveDown, tr("下移(&J)"), {QKeySequence(Qt::ALT | Qt::Key_Down)});
    AddCommand(edit, cmd::kInsertRow, tr("插入空行(&I)"));
    AddCommand(edit, cmd::kDeleteRows, tr("删除并上移(&D)"));
    AddCommand(edit, cmd::kSortRows, tr("排序(&S)"));
    edit->addSeparator();
    AddCommand(edit, cmd::kFill, tr("批量设置(&B)..."));
    edit->addSeparator();
    AddCommand(edit, cmd::kDefaultTable, tr("缺省"));

    // The list's own menu: the same actions, so texts, keys and enabled states agree.
    auto* rows = new QMenu(this);
    rows->setObjectName(QStringLiteral("menuRows"));
    rows->setAccessibleName(tr("信道"));
    for (int id : {cmd::kCopy, cmd::kPaste, 0, cmd::kMoveUp, cmd::kMoveDown, cmd::kInsertRow,
                   cmd::kDeleteRows, cmd::kSortRows, 0, cmd::kFill}) {
        if (id == 0)
            rows->addSeparator();
        else
            rows->addAction(m_commands.at(id));
    }
    m_target->setListMenu(rows);

    QMenu* link = menuBar()->addMenu(tr("通信(&C)"));
    link->setObjectName(QStringLiteral("menuLink"));
    AddCommand(link, cmd::kReadRadio, tr("读取(PC<-电台)"));
    AddCommand(link, cmd::kWriteRadio, tr("写入(PC->电台)"));
    AddCommand(link, cmd::kVerifyWrites, tr("写入后校验"))->setCheckable(true);
    AddCommand(link, cmd::kReadFirst, tr("写入前读出备份"))->setCheckable(true);
    AddCommand(link, cmd::kCompareFirst, tr("写入前比较"))->setCheckable(true);
    AddCommand(link, cmd::kCompareRadio, tr("与电台比较"));
    link->addSeparator();
    m_portMenu = link->addMenu(tr("选择串口"));
    m_portMenu->setObjectName(QStringLiteral("menuSelectPort"));
    for (int n = 0; n < 4; ++n) {
        AddCommand(m_portMenu, cmd::kCom1 + n, tr("串口&%1").arg(n + 1))->setCheckable(true);
    }
    AddCommand(m_portMenu, cmd::kNetworkPort, tr("网络串口..."))->setCheckable(true);
    AddCommand(link, cmd::kFindRadio, tr("查找电台"));
    AddCommand(link, cmd::kCurrentChannel, tr("设置当前信道"));

    QMenu* help = menuBar()->addMenu(tr("帮助(&H)"));
    help->setObjectName(QStringLiteral("menuHelp"));
    AddCommand(help, cmd::kHelp, tr("OrvelTool帮助"));
    AddCommand(help, cmd::kQuestions, tr("常见问题"));
    AddManualAction(help, nullptr, ProgramDir());
    AddCommand(help, cmd::kAbout, tr("关于OrvelTool"));

    for (QMenu* menu : {file, edit, link, m_portMenu, help}) {
        menu->setAccessibleName(WithoutMnemonic(menu->title()));
    }
    // Serial adapters come and go while the program runs, so the list is taken afresh each time.
    connect(m_portMenu, &QMenu::aboutToShow, this, &CMainFrame::RebuildDeviceItems);
}

void CMainFrame::BuildToolBar() {
    m_toolBar = new QToolBar(tr("工具栏"), this);
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolBar->setMovable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    const auto add = [this](int id, const QIcon& icon, const QString& tip) {
        QAction* action = m_commands.at(id);
        action->setIcon(icon);
        if (!tip.isEmpty()) {
            action->setToolTip(tip);
        }
        m_toolBar->addAction(action);
        return m_toolBar->widgetForAction(action);
    };
    QStyle* style = this->style();
    // Open and save have no tip text; Qt would otherwise fall back to the menu label.
    m_buttonsWithoutTip.insert(
        add(cmd::kOpen, style->standardIcon(QStyle::SP_DialogOpenButton), QString()));
    m_buttonsWithoutTip.insert(
        add(cmd::kSave, style->standardIcon(QStyle::SP_DialogSaveButton), QString()));
    m_toolBar->addSeparator();
    add(cmd::kWriteRadio, QIcon(QStringLiteral(":/icons/write-radio.png")), tr("写入(PC->电台)"));
    add(cmd::kReadRadio, QIcon(QStringLiteral(":/icons/read-radio.png")), tr("读取(PC<-电台)"));
    add(cmd::kCurrentChannel, QIcon(QStringLiteral(":/icons/current-channel.png")),
        tr("设置当前信道"));
    add(cmd::kAbout, style->standardIcon(QStyle::SP_MessageBoxInformation), tr("关于"));

    // The bar sits in a holder that fills the rest of the toolbar, so that it stays on the right
    // and can be shown and hidden directly (a toolbar controls its own widgets' visibility).
    auto* holder = new QWidget(m_toolBar);
    holder->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 4, 0);
    layout->addStretch();
    m_progressBar = new QProgressBar(holder);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setAccessibleName(tr("通信进度"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setFixedWidth(200);
    m_progressBar->hide();
    layout->addWidget(m_progressBar);
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(PortStatusFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    m_portLabel = new QLabel(holder);
    m_portLabel->setObjectName(QStringLiteral("portLabel"));
    m_portLabel->setContentsMargins(8, 0, 0, 0);
    layout->addWidget(m_portLabel);
    m_toolBar->addWidget(holder);
}

void CMainFrame::RunCommand(int id) {
    if (id == cmd::kAbout) {
        CAboutDialog about(this);
        about.exec();
    } else if (id == cmd::kExit) {
        close();
    }
}

void CMainFrame::ShowDeviceChecks() {
    for (QAction* item : std::as_const(m_deviceItems)) {
        if (item->isCheckable()) {
            item->setChecked(m_target->isDeviceChecked(item->data().toString()));
        }
    }
}

void CMainFrame::ShowTargetState() {
    ShowDeviceChecks();
    const QString port = m_target->portStatusText();
    m_portLabel->setText(port);
    m_portLabel->setVisible(!port.isEmpty());
    const QStringList recent = m_target->recentFiles();
    m_recentSeparator->setVisible(!recent.isEmpty());
    for (int n = 0; n < kRecentItems; ++n) {
        QAction* item = m_commands.at(cmd::kRecentFile1 + n);
        const QString path = n < recent.size() ? QDir::toNativeSeparators(recent[n]) : QString();
        item->setVisible(!path.isEmpty());
        item->setText(QStringLiteral("&%1 ").arg(n + 1) +
                      ShortenedPath(path, kRecentNameLength).replace(u'&', QStringLiteral("&&")));
        item->setToolTip(path);
        item->setStatusTip(path);
    }
    setWindowModified(m_target->isModified());
}

void CMainFrame::RebuildDeviceItems() {
    qDeleteAll(m_deviceItems);
    m_deviceItems.clear();
    const QList<CommandTarget::SerialDevice> devices = m_target->serialDevices();
    if (devices.isEmpty()) {
        return;
    }
    m_deviceItems.append(m_portMenu->addSeparator());
    for (const CommandTarget::SerialDevice& device : devices) {
        const QString& name = device.name;
        const QString shown =
            device.description.isEmpty() ? name : name + QStringLiteral(" — ") + device.description;
        // A device name is shown as it is: '&' would otherwise become a mnemonic.
        QAction* item = m_portMenu->addAction(QString(shown).replace(u'&', QStringLiteral("&&")));
        item->setObjectName(QStringLiteral("device:") + name);
        item->setData(name);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, name] { m_target->OnSelectDevice(name); });
        m_deviceItems.append(item);
    }
    ShowDeviceChecks();
}

bool CMainFrame::HandleDrop(QDropEvent* event) {
    const QStringList paths = DraggedFiles(event->mimeData());
    if (paths.isEmpty())
        return false;
    event->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
        m_target->OnDropFiles(paths);
    }
    return true;
}

bool CMainFrame::IsOwnDialog(const QWidget* widget) const {
    return widget->isWindow() && widget->windowType() == Qt::Dialog &&
           widget->parentWidget() != nullptr && widget->parentWidget()->window() == this;
}

// Qt lets go of the active widget as a window hides, before the system takes the focus away.
bool CMainFrame::HasKeyboard(const QWidget* window) {
    const QWindow* focus = QGuiApplication::focusWindow();
    return QApplication::activeWindow() == window ||
           (focus != nullptr && focus == window->windowHandle());
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Hide:
            if (watched->isWidgetType() && IsOwnDialog(static_cast<QWidget*>(watched)) &&
                HasKeyboard(static_cast<QWidget*>(watched)) && isVisible()) {
                // A window manager hands the keyboard back to the window a dialog came from;
                // without one (a bare X server, some remote desktops) no window is active after
                // the dialog, and the window's keys (Ctrl+Y, Alt+Down) would reach no command.
                activateWindow();
            }
            break;
        case QEvent::ToolTip:
            if (m_buttonsWithoutTip.contains(watched)) {
                return true;
            }
            break;
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            // Before the widget under the pointer: the log and the edit boxes would take a file's
            // name as text.
            if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this &&
                HandleDrop(static_cast<QDropEvent*>(event))) {
                return true;
            }
            break;
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace orvel
