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
#include "window_actions.h"

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

void CMainFrame::BuildMenus() {
    WindowActions& a = m_target->actions();
    // The frame's own commands.
    m_about = new QAction(tr("关于OrvelTool"), this);
    m_about->setObjectName(QStringLiteral("actionAbout"));
    m_about->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    m_about->setToolTip(tr("关于"));
    connect(m_about, &QAction::triggered, this, [this] { CAboutDialog(this).exec(); });
    auto* exit = new QAction(tr("退出(&X)"), this);
    exit->setObjectName(QStringLiteral("actionExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* file = menuBar()->addMenu(tr("文件(&F)"));
    file->setObjectName(QStringLiteral("menuFile"));
    file->addActions({a.open, a.save, a.saveAs});
    file->addSeparator();
    file->addActions({a.importFile, a.exportFile});
    file->addSeparator();
    file->addActions({a.records, a.planLibrary});
    file->addSeparator();
    file->addActions({a.print, a.printSetup});
    m_recentSeparator = file->addSeparator();
    for (QAction* recent : a.recentFiles)
        file->addAction(recent);
    // The paths of the recent files show as tips; the items name them shortened.
    file->setToolTipsVisible(true);
    file->addSeparator();
    file->addAction(exit);

    QMenu* edit = menuBar()->addMenu(tr("编辑(&E)"));
    edit->setObjectName(QStringLiteral("menuEdit"));
    edit->addActions({a.undo, a.redo});
    edit->addSeparator();
    const QList<QAction*> rowCommands = {a.copy,     a.paste,     nullptr,      a.moveUp,
                                         a.moveDown, a.insertRow, a.deleteRows, a.sortRows,
                                         nullptr,    a.fill};
    // The list's own menu: the same actions, so texts, keys and enabled states agree.
    auto* rows = new QMenu(this);
    rows->setObjectName(QStringLiteral("menuRows"));
    rows->setAccessibleName(tr("信道"));
    for (QAction* action : rowCommands) {
        for (QMenu* menu : {edit, rows}) {
            if (action == nullptr)
                menu->addSeparator();
            else
                menu->addAction(action);
        }
    }
    m_target->setListMenu(rows);
    edit->addSeparator();
    edit->addAction(a.defaultTable);

    QMenu* link = menuBar()->addMenu(tr("通信(&C)"));
    link->setObjectName(QStringLiteral("menuLink"));
    link->addActions({a.readRadio, a.writeRadio, a.writeByUnit, a.verifyWrites, a.readFirst,
                      a.compareFirst, a.compareRadio, a.fleetStatus});
    link->addSeparator();
    m_portMenu = link->addMenu(tr("选择串口"));
    m_portMenu->setObjectName(QStringLiteral("menuSelectPort"));
    for (QAction* com : a.coms)
        m_portMenu->addAction(com);
    m_portMenu->addAction(a.networkPort);
    link->addActions({a.findRadio, a.currentChannel});

    QMenu* help = menuBar()->addMenu(tr("帮助(&H)"));
    help->setObjectName(QStringLiteral("menuHelp"));
    help->addActions({a.help, a.questions});
    AddManualAction(help, nullptr, ProgramDir());
    help->addAction(m_about);

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

    WindowActions& a = m_target->actions();
    // Open and save have no tip text; Qt would otherwise fall back to the menu label.
    m_toolBar->addActions({a.open, a.save});
    m_buttonsWithoutTip = {m_toolBar->widgetForAction(a.open), m_toolBar->widgetForAction(a.save)};
    m_toolBar->addSeparator();
    m_toolBar->addActions({a.writeRadio, a.readRadio, a.currentChannel, m_about});

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

void CMainFrame::ShowDeviceChecks() {
    for (QAction* item : std::as_const(m_deviceItems)) {
        if (item->isCheckable()) {
            item->setChecked(m_target->isDeviceChecked(item->data().toString()));
        }
    }
}

void CMainFrame::ShowTargetState() {
    const QString document = m_target->documentTitle();
    setWindowTitle(document.isEmpty() ? caption() : document + QStringLiteral(" - ") + caption());
    ShowDeviceChecks();
    const QString port = m_target->portStatusText();
    m_portLabel->setText(port);
    m_portLabel->setVisible(!port.isEmpty());
    const QStringList recent = m_target->recentFiles();
    m_recentSeparator->setVisible(!recent.isEmpty());
    const auto& items = m_target->actions().recentFiles;
    for (int n = 0; n < int(items.size()); ++n) {
        QAction* item = items[n];
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
