// The main frame: menu and toolbar inventory, routing of commands and keys to the target, the
// keys that must not reach the view's edit boxes, and the state shown from the target.
#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtTest>

#include "caboutdialog.h"
#include "cmainframe.h"
#include "shell_tests.h"
#include "window_actions.h"

using namespace orvel;

namespace {

class FakeTarget : public CommandTarget {
public:
    FakeTarget() {
        for (QAction* action : commands.findChildren<QAction*>()) {
            QObject::connect(action, &QAction::triggered, &commands,
                             [this, action] { Record(action->objectName()); });
        }
        ShowState();
    }
    WindowActions& actions() override { return commands; }
    QList<SerialDevice> serialDevices() const override {
        QList<SerialDevice> list;
        for (const QString& name : devices)
            list.append({name, descriptions.value(name)});
        return list;
    }
    void OnSelectDevice(const QString& name) override {
        selectedDevices << name;
        device = name;
        SetPort(0);
        emit notifier.stateChanged();
    }
    bool isDeviceChecked(const QString& name) const override { return name == device; }
    QString portStatusText() const override { return portText; }
    QString documentTitle() const override { return title; }
    QStringList recentFiles() const override { return recent; }
    bool isModified() const override { return modified; }
    void OnDropFiles(const QStringList& paths) override { dropped << paths; }

    void SetSaveEnabled(bool enabled) {
        saveEnabled = enabled;
        ShowState();
    }
    void SetDisabled(const QStringList& names) {
        disabled = names;
        ShowState();
    }
    void SetPort(int number) {
        port = number;
        ShowState();
    }

    WindowActions commands{nullptr};
    QStringList commandsRun;
    QString portText;
    QString title;
    bool portFollowsCommands = true;
    QStringList devices;
    QHash<QString, QString> descriptions;
    QString device;
    QStringList selectedDevices;
    QStringList recent;
    bool modified = false;
    QStringList dropped;

private:
    void Record(const QString& name) {
        commandsRun << name;
        if (name.startsWith(QLatin1String("actionCom")) && portFollowsCommands) {
            port = name.right(1).toInt();
        }
        if (name == QLatin1String("actionSaveAs")) {
            saveEnabled = true;  // after Save As there is a current file
        }
        ShowState();
        // As the view does after each command: what the frame shows beside them may change.
        emit notifier.stateChanged();
    }
    void ShowState() {
        for (QAction* action : commands.findChildren<QAction*>()) {
            action->setEnabled((action != commands.save || saveEnabled) &&
                               !disabled.contains(action->objectName()));
        }
        for (size_t n = 0; n < commands.coms.size(); ++n)
            commands.coms[n]->setChecked(int(n) + 1 == port);
    }

    QStringList disabled;
    bool saveEnabled = true;
    int port = 1;
};

// What a menu shows, one line per entry: "id<command> <label>", "-" or "> <submenu title>".
QStringList Describe(const QList<QAction*>& actions) {
    QStringList lines;
    for (QAction* action : actions) {
        if (!action->isVisible()) {
            continue;
        } else if (action->isSeparator()) {
            lines << QStringLiteral("-");
        } else if (action->menu() != nullptr) {
            lines << QStringLiteral("> ") + action->text();
        } else if (action->objectName().isEmpty()) {
            lines << QStringLiteral("widget");
        } else {
            // The key as the menu shows it beside the text.
            const QString key = action->shortcut().toString(QKeySequence::PortableText);
            lines << action->objectName() + QLatin1Char(' ') + action->text() +
                         (key.isEmpty() ? QString() : QLatin1Char('\t') + key);
        }
    }
    return lines;
}

}  // namespace

class FrameTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_target = std::make_unique<FakeTarget>();
        m_view = new QWidget;
        auto* layout = new QVBoxLayout(m_view);
        m_edit = new QLineEdit(m_view);
        m_log = new QPlainTextEdit(m_view);
        layout->addWidget(m_edit);
        layout->addWidget(m_log);
        m_frame = std::make_unique<CMainFrame>(m_view, m_target.get());
        m_frame->resize(700, 400);
        m_frame->show();
        m_frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
    }
    void cleanup() {
        m_frame.reset();
        m_target.reset();
    }

    void menusHoldTheCommandsInOrder() {
        QStringList titles;
        for (QAction* top : m_frame->menuBar()->actions()) {
            titles << top->text();
        }
        QCOMPARE(titles, QStringList({"文件(&F)", "编辑(&E)", "通信(&C)", "帮助(&H)"}));
        const QList<QAction*> menus = m_frame->menuBar()->actions();
        QCOMPARE(Describe(menus[0]->menu()->actions()),
                 QStringList({"actionOpen 打开(&O)...\tCtrl+O", "actionSave 保存(&S)\tCtrl+S",
                              "actionSaveAs 另存为(&A)...", "-", "actionImport 导入(&I)...",
                              "actionExport 导出(&E)...", "-", "actionRecords 编程记录...",
                              "actionPlanLibrary 方案库...", "-", "actionPrint 打印(&P)...\tCtrl+P",
                              "actionPrintSetup 打印设置(&R)...", "-", "actionExit 退出(&X)"}));
        QCOMPARE(Describe(menus[1]->menu()->actions()),
                 QStringList({"actionUndo 撤销(&U)\tCtrl+Z", "actionRedo 重做(&R)\tCtrl+Y", "-",
                              "actionCopy 复制(&C)\tCtrl+C", "actionPaste 粘贴(&P)\tCtrl+V", "-",
                              "actionMoveUp 上移(&K)\tAlt+Up", "actionMoveDown 下移(&J)\tAlt+Down",
                              "actionInsertRow 插入空行(&I)", "actionDeleteRows 删除并上移(&D)",
                              "actionSortRows 排序(&S)", "-", "actionFill 批量设置(&B)...", "-",
                              "actionDefaultTable 缺省"}));
        QCOMPARE(Describe(menus[2]->menu()->actions()),
                 QStringList({"actionReadRadio 读取(PC<-电台)", "actionWriteRadio 写入(PC->电台)",
                              "actionWriteByUnit 按单元写入...", "actionVerifyWrites 写入后校验",
                              "actionReadFirst 写入前读出备份", "actionCompareFirst 写入前比较",
                              "actionCompareRadio 与电台比较", "actionFleetStatus 机群状态...", "-",
                              "> 选择串口", "actionFindRadio 查找电台",
                              "actionCurrentChannel 设置当前信道"}));
        QCOMPARE(Describe(PortMenu()->actions()),
                 QStringList({"actionCom1 串口&1", "actionCom2 串口&2", "actionCom3 串口&3",
                              "actionCom4 串口&4", "actionNetworkPort 网络串口..."}));
        QCOMPARE(Describe(menus[3]->menu()->actions()),
                 QStringList({"actionHelp OrvelTool帮助", "actionQuestions 常见问题",
                              "actionManual 使用手册", "actionAbout 关于OrvelTool"}));
        for (QAction* port : PortMenu()->actions()) {
            QVERIFY(port->isCheckable());
        }
    }

    // The keys are the actions' own: no label carries a typed key hint.
    void noMenuLabelTypesItsKey() {
        for (QAction* action :
             m_frame->findChildren<QAction*>() + m_target->commands.findChildren<QAction*>()) {
            QVERIFY2(!action->text().contains(QLatin1Char('\t')), qPrintable(action->objectName()));
        }
    }

    void toolbarHoldsTheButtonsInOrderWithTheirTips() {
        QToolBar* bar = m_frame->findChild<QToolBar*>();
        QCOMPARE(m_frame->toolBarArea(bar), Qt::TopToolBarArea);
        QVERIFY(bar->isMovable());
        QCOMPARE(bar->iconSize(), QSize(16, 16));
        QStringList ids;
        for (QAction* action : bar->actions()) {
            ids << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        }
        QCOMPARE(ids, QStringList({"actionOpen", "actionSave", "-", "actionWriteRadio",
                                   "actionReadRadio", "actionCurrentChannel", "actionAbout", ""}));
        const std::pair<const char*, const char*> tips[] = {
            {"actionOpen", ""},
            {"actionSave", ""},
            {"actionWriteRadio", "写入(PC->电台)"},
            {"actionReadRadio", "读取(PC<-电台)"},
            {"actionCurrentChannel", "设置当前信道"},
            {"actionAbout", "关于"},
        };
        for (const auto& [id, tip] : tips) {
            QAction* action = Command(id);
            QVERIFY2(!action->icon().isNull(), id);
            QCOMPARE(ToolTipOf(bar->widgetForAction(action)), QString::fromUtf8(tip));
        }
    }

    // The recent files between 打印设置 and 退出, named short, and the changes in the title.
    void recentFilesAndUnsavedChangesFollowTheTarget() {
        m_target->recent = QStringList{"/home/user/a&b.dat",
                                       "/srv/radios/station-north/2024/"
                                       "channel-plan.csv"};
        m_target->modified = true;
        emit m_target->notifier.stateChanged();
        const QStringList file = Describe(m_frame->menuBar()->actions()[0]->menu()->actions());
        // Named as the system names paths: with backslashes on Windows.
        const auto native = [](const char* path) { return QDir::toNativeSeparators(path); };
        QCOMPARE(file.mid(file.size() - 5),
                 QStringList({"-", "actionRecentFile1 &1 " + native("/home/user/a&&b.dat"),
                              "actionRecentFile2 &2 " + native("/.../2024/channel-plan.csv"), "-",
                              "actionExit 退出(&X)"}));
        QCOMPARE(Command("actionRecentFile2")->toolTip(),
                 native("/srv/radios/station-north/2024/channel-plan.csv"));
        QVERIFY(m_frame->isWindowModified());
        Command("actionRecentFile2")->trigger();
        QCOMPARE(m_target->commandsRun, QStringList{"actionRecentFile2"});
        m_target->modified = false;
        Command("actionSave")->trigger();
        QVERIFY(!m_frame->isWindowModified());
    }

    // Files dropped anywhere on the window, the log included, go to the target, not into text.
    void droppedFilesGoToTheTarget() {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile("/tmp/a.csv"), QUrl::fromLocalFile("/tmp/b.dat")});
        const QPoint at = m_log->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_log->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_log->viewport(), &drop);
        QCOMPARE(m_target->dropped, QStringList({"/tmp/a.csv", "/tmp/b.dat"}));
        QVERIFY(m_log->toPlainText().isEmpty());
    }

    void frameHasCaptionIconAndNoStatusBar() {
        // The placeholder shows as "*" while the target has unsaved changes.
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("Orvel系列电台设置工具[*]"));
        m_target->title = QStringLiteral("方案 Site12 第 3 版");
        emit m_target->notifier.stateChanged();
        QCOMPARE(m_frame->windowTitle(),
                 QStringLiteral("方案 Site12 第 3 版 - Orvel系列电台设置工具[*]"));
        QVERIFY(!m_frame->isWindowModified());
        QVERIFY(!m_frame->windowIcon().isNull());
        QVERIFY(m_frame->findChild<QStatusBar*>() == nullptr);
        // The view sits in a scroll area, which scrolls only when the view cannot shrink further.
        auto* scroller = qobject_cast<QScrollArea*>(m_frame->centralWidget());
        QVERIFY(scroller != nullptr);
        QCOMPARE(scroller->widget(), m_view);
        QVERIFY(scroller->widgetResizable());
        SaveScreenshot(*m_frame, QStringLiteral("frame"));
    }

    void progressBarWaitsHiddenOnTheRight() {
        QProgressBar* bar = m_frame->progressBar();
        QVERIFY(!bar->isVisible());
        bar->show();
        bar->setValue(40);
        QVERIFY(bar->isVisible());
        QToolBar* toolBar = m_frame->findChild<QToolBar*>();
        QWidget* about = toolBar->widgetForAction(Command("actionAbout"));
        QVERIFY(bar->mapTo(m_frame.get(), QPoint()).x() >
                about->mapTo(m_frame.get(), QPoint()).x());
        bar->hide();
        QVERIFY(!bar->isVisible());
    }

    void thePortInUseShowsAtTheRightEndAndFollowsTheTarget() {
        auto* label = m_frame->findChild<QLabel*>(QStringLiteral("portLabel"));
        QVERIFY(label != nullptr);
        QVERIFY(!label->isVisible());  // the target names no port
        m_target->portText = QStringLiteral("串口 /dev/ttyUSB0");
        emit m_target->notifier.stateChanged();  // a port that went away, without a command
        QVERIFY(label->isVisible());
        QCOMPARE(label->text(), QStringLiteral("串口 /dev/ttyUSB0"));
        m_target->portText = QStringLiteral("串口 /dev/ttyUSB0（未打开）");
        Command("actionCom1")->trigger();  // and after every command
        QCOMPARE(label->text(), QStringLiteral("串口 /dev/ttyUSB0（未打开）"));
        QToolBar* toolBar = m_frame->findChild<QToolBar*>();
        const int right = label->mapTo(m_frame.get(), QPoint(label->width(), 0)).x();
        QVERIFY(right > toolBar->mapTo(m_frame.get(), QPoint(toolBar->width(), 0)).x() - 20);
        SaveScreenshot(*m_frame, QStringLiteral("frame-port"));
    }

    void everyViewCommandReachesTheTarget() {
        const QStringList ids = {"actionOpen",           "actionSave",         "actionSaveAs",
                                 "actionImport",         "actionExport",       "actionPrint",
                                 "actionPrintSetup",     "actionDefaultTable", "actionReadRadio",
                                 "actionWriteRadio",     "actionCom1",         "actionCom2",
                                 "actionCom3",           "actionCom4",         "actionFindRadio",
                                 "actionCurrentChannel", "actionHelp",         "actionQuestions"};
        for (const QString& id : ids) {
            Command(id)->trigger();
        }
        QCOMPARE(m_target->commandsRun, ids);
    }

    void aboutIsShownByTheFrame() {
        bool shown = false;
        QTimer::singleShot(0, this, [&shown] {
            QWidget* modal = QApplication::activeModalWidget();
            shown = qobject_cast<CAboutDialog*>(modal) != nullptr;
            if (modal != nullptr) {
                modal->close();
            }
        });
        Command("actionAbout")->trigger();
        QVERIFY(shown);
        QVERIFY(m_target->commandsRun.isEmpty());
    }

    void exitClosesTheWindow() {
        Command("actionExit")->trigger();
        QVERIFY(!m_frame->isVisible());
        QVERIFY(m_target->commandsRun.isEmpty());
    }

    void ctrlOOpensOnceFromAnEditBox() {
        m_edit->setFocus();
        m_edit->setText(QStringLiteral("223.125"));
        QTest::keyClick(m_edit, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(m_target->commandsRun, QStringList({"actionOpen"}));
        QCOMPARE(m_edit->text(), QStringLiteral("223.125"));
    }

    // Ctrl+P prints, as the menu's hint promises, from wherever the focus is.
    void ctrlPPrintsOnceFromAnEditBox() {
        m_edit->setFocus();
        m_edit->setText(QStringLiteral("223.125"));
        QTest::keyClick(m_edit, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(m_target->commandsRun, QStringList({"actionPrint"}));
        QCOMPARE(m_edit->text(), QStringLiteral("223.125"));
    }

    // Alt and a menu's access key open it with its first item ready for Enter.
    void accessKeysOpenTheMenus_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("firstCommand");
        QTest::newRow("Alt+F") << int(Qt::Key_F) << "menuFile"
                               << "actionOpen";
        QTest::newRow("Alt+E") << int(Qt::Key_E) << "menuEdit"
                               << "actionUndo";
        QTest::newRow("Alt+C") << int(Qt::Key_C) << "menuLink"
                               << "actionReadRadio";
        QTest::newRow("Alt+H") << int(Qt::Key_H) << "menuHelp"
                               << "actionHelp";
    }
    void accessKeysOpenTheMenus() {
        QFETCH(int, key);
        QFETCH(QString, menu);
        QFETCH(QString, firstCommand);
        m_edit->setFocus();
        QTest::keyClick(m_edit, Qt::Key(key), Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        QWidget* popup = QApplication::activePopupWidget();
        QCOMPARE(popup->objectName(), menu);
        QTest::keyClick(popup, Qt::Key_Return);
        QTRY_COMPARE(m_target->commandsRun, QStringList({firstCommand}));
        QVERIFY(QApplication::activePopupWidget() == nullptr);
    }

    void ctrlSSavesOnlyWhileSaveIsEnabled() {
        m_log->setFocus();
        QTest::keyClick(m_log, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_target->commandsRun, QStringList({"actionSave"}));
        // The target's answer counts, even before the frame has shown the new state.
        m_target->SetSaveEnabled(false);
        QTest::keyClick(m_log, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_target->commandsRun, QStringList({"actionSave"}));
        QVERIFY(m_log->toPlainText().isEmpty());
    }

    void saveFollowsTheTargetInMenuAndToolbar() {
        m_target->SetSaveEnabled(false);
        emit FileMenu()->aboutToShow();
        QAction* save = Command("actionSave");
        QVERIFY(!save->isEnabled());
        QVERIFY(!m_frame->findChild<QToolBar*>()->widgetForAction(save)->isEnabled());
        // A command can change the state; the frame asks again afterwards.
        Command("actionSaveAs")->trigger();
        QVERIFY(save->isEnabled());
    }

    void tableKeysDoNothingInsideEditBoxes_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        const std::tuple<const char*, int, Qt::KeyboardModifiers> keys[] = {
            {"Ctrl+C", Qt::Key_C, Qt::ControlModifier},
            {"Ctrl+V", Qt::Key_V, Qt::ControlModifier},
            {"Ctrl+X", Qt::Key_X, Qt::ControlModifier},
            {"Ctrl+Z", Qt::Key_Z, Qt::ControlModifier},
            {"Ctrl+Y", Qt::Key_Y, Qt::ControlModifier},
            {"Ctrl+Shift+Z", Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier},
            {"Ctrl+Insert", Qt::Key_Insert, Qt::ControlModifier},
            {"Shift+Insert", Qt::Key_Insert, Qt::ShiftModifier},
            {"Shift+Delete", Qt::Key_Delete, Qt::ShiftModifier},
            {"Alt+Backspace", Qt::Key_Backspace, Qt::AltModifier},
            {"Ctrl+N", Qt::Key_N, Qt::ControlModifier},
            {"F6", Qt::Key_F6, Qt::NoModifier},
            {"Shift+F6", Qt::Key_F6, Qt::ShiftModifier},
        };
        for (const auto& [name, key, modifiers] : keys) {
            QTest::newRow(name) << key << modifiers;
        }
    }

    void tableKeysDoNothingInsideEditBoxes() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QClipboard* clipboard = QGuiApplication::clipboard();

        // A typed character leaves something to undo; everything selected leaves something
        // to copy, cut or replace.
        m_edit->setFocus();
        m_edit->setText(QStringLiteral("223.125"));
        QTest::keyClick(m_edit, Qt::Key_9);
        m_edit->selectAll();
        clipboard->setText(QStringLiteral("outside"));
        QTest::keyClick(m_edit, Qt::Key(key), modifiers);
        QCOMPARE(m_edit->text(), QStringLiteral("223.1259"));
        QCOMPARE(clipboard->text(), QStringLiteral("outside"));

        m_log->setFocus();
        m_log->setPlainText(QStringLiteral("通信错误"));
        m_log->moveCursor(QTextCursor::End);
        QTest::keyClick(m_log, Qt::Key_9);
        m_log->selectAll();
        QTest::keyClick(m_log, Qt::Key(key), modifiers);
        QCOMPARE(m_log->toPlainText(), QStringLiteral("通信错误9"));
        QCOMPARE(clipboard->text(), QStringLiteral("outside"));
        QVERIFY(m_target->commandsRun.isEmpty());
    }

    // Outside a text field the editing keys act on the list, and only when the target allows.
    void editingKeysWorkOutsideTextFields() {
        auto* button = new QPushButton(QStringLiteral("确认"), m_view);
        button->setFocus();
        const std::pair<QKeyCombination, const char*> keys[] = {
            {Qt::CTRL | Qt::Key_Z, "actionUndo"},
            {Qt::CTRL | Qt::Key_Y, "actionRedo"},
            {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, "actionRedo"},
            {Qt::CTRL | Qt::Key_C, "actionCopy"},
            {Qt::CTRL | Qt::Key_V, "actionPaste"},
        };
        QStringList expected;
        for (const auto& [combination, command] : keys) {
            QTest::keyClick(button, combination.key(), combination.keyboardModifiers());
            expected << command;
        }
        // A held key runs its command once.
        for (const bool repeat : {false, true, true})
            QTest::simulateEvent(button, true, Qt::Key_Z, Qt::ControlModifier, QString(), repeat);
        QTest::simulateEvent(button, false, Qt::Key_Z, Qt::ControlModifier, QString(), false);
        expected << "actionUndo";
        QCOMPARE(m_target->commandsRun, expected);
        m_target->SetDisabled({"actionPaste"});
        QTest::keyClick(button, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_target->commandsRun, expected);
    }

    // Only the table's keys are taken, and only in this window.
    void otherKeysAndOtherWindowsAreLeftAlone() {
        m_edit->setFocus();
        m_edit->setText(QStringLiteral("223.125"));
        QTest::keyClick(m_edit, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(m_edit->selectedText(), QStringLiteral("223.125"));
        QTest::keyClick(m_edit, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_edit->text(), QStringLiteral("223.125"));

        QLineEdit elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        QGuiApplication::clipboard()->setText(QStringLiteral("230"));
        QTest::keyClick(&elsewhere, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(elsewhere.text(), QStringLiteral("230"));
        QTest::keyClick(&elsewhere, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(m_target->commandsRun.isEmpty());
    }

    void portMarksFollowTheTarget() {
        m_target->SetPort(3);
        emit PortMenu()->aboutToShow();
        QCOMPARE(CheckedPorts(), QStringList({"actionCom3"}));

        Command("actionCom1")->trigger();
        QCOMPARE(CheckedPorts(), QStringList({"actionCom1"}));

        // A port number from the configuration file beyond 4: no item is marked, not even the
        // one just clicked if the target does not take it.
        m_target->portFollowsCommands = false;
        m_target->SetPort(7);
        Command("actionCom2")->trigger();
        QVERIFY(CheckedPorts().isEmpty());
    }

    void serialDevicesAreListedAfresh() {
        m_target->devices = {"ttyUSB0", "ttyS0"};
        m_target->descriptions = {{"ttyUSB0", "USB serial adapter (Acme)"}};
        m_target->device = "ttyS0";
        emit PortMenu()->aboutToShow();
        QStringList shown = Describe(PortMenu()->actions()).mid(5);
        // The adapter is told apart by what the system says of it; choosing stores the name.
        QCOMPARE(shown, QStringList({"-", "device:ttyUSB0 ttyUSB0 — USB serial adapter (Acme)",
                                     "device:ttyS0 ttyS0"}));
        QAction* usb = PortMenu()->actions().at(6);
        QAction* onboard = PortMenu()->actions().at(7);
        QVERIFY(usb->isCheckable() && !usb->isChecked());
        QVERIFY(onboard->isChecked());

        usb->trigger();
        QCOMPARE(m_target->selectedDevices, QStringList({"ttyUSB0"}));
        QVERIFY(usb->isChecked());
        QVERIFY(!onboard->isChecked());
        QVERIFY(CheckedPorts().isEmpty());
        QVERIFY(m_target->commandsRun.isEmpty());

        m_target->devices = {"tty&X"};
        emit PortMenu()->aboutToShow();
        QCOMPARE(Describe(PortMenu()->actions()).mid(5), QStringList({"-", "device:tty&X tty&&X"}));
        PortMenu()->actions().at(6)->trigger();
        QCOMPARE(m_target->selectedDevices.last(), QStringLiteral("tty&X"));

        m_target->devices.clear();
        emit PortMenu()->aboutToShow();
        QCOMPARE(PortMenu()->actions().size(), 5);
    }

private:
    QAction* Command(const QString& name) {
        // The frame's own commands, or the target's.
        auto* action = m_frame->findChild<QAction*>(name);
        if (action == nullptr)
            action = m_target->commands.findChild<QAction*>(name);
        if (action == nullptr) {
            qFatal("no action %s", qPrintable(name));
        }
        return action;
    }
    QAction* Command(const char* name) { return Command(QLatin1String(name)); }
    QMenu* FileMenu() { return m_frame->findChild<QMenu*>(QStringLiteral("menuFile")); }
    QMenu* PortMenu() { return m_frame->findChild<QMenu*>(QStringLiteral("menuSelectPort")); }

    QStringList CheckedPorts() {
        QStringList checked;
        for (QAction* action : PortMenu()->actions()) {
            if (action->isChecked() &&
                action->objectName().startsWith(QLatin1String("actionCom"))) {
                checked << action->objectName();
            }
        }
        return checked;
    }

    // The tip a button shows when the mouse rests on it; empty when it shows none.
    static QString ToolTipOf(QWidget* button) {
        QToolTip::hideText();
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); })) {
            return QStringLiteral("<tip stays>");
        }
        const QPoint at = button->rect().center();
        QHelpEvent help(QEvent::ToolTip, at, button->mapToGlobal(at));
        QApplication::sendEvent(button, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

    std::unique_ptr<FakeTarget> m_target;
    std::unique_ptr<CMainFrame> m_frame;
    QWidget* m_view = nullptr;
    QLineEdit* m_edit = nullptr;
    QPlainTextEdit* m_log = nullptr;
};

int RunFrameTests(int argc, char** argv) {
    FrameTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "frame_test.moc"
