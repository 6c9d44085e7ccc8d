// The main window around the view: it places the view's commands in menus and the toolbar. The
// frame keeps no state of its own; it asks its CommandTarget what to show.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QSet>

#include "command_target.h"

class QAction;
class QDropEvent;
class QLabel;
class QMenu;
class QProgressBar;
class QToolBar;

namespace orvel {

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // The view becomes the central widget; the target must outlive the frame.
    CMainFrame(QWidget* view, CommandTarget* target, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The window's title; its placeholder shows the target's unsaved changes as "*".
    static QString caption();

    // On the right of the toolbar, hidden until an exchange with the radio shows it.
    QProgressBar* progressBar();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // No toolbar show/hide menu: the window has no other way to bring a hidden toolbar back.
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void BuildMenus();
    void BuildToolBar();
    void RebuildDeviceItems();
    void ShowDeviceChecks();
    // What the target says changed: the unsaved mark, the port and its marks, the recent files.
    void ShowTargetState();
    bool HandleDrop(QDropEvent* event);
    // A dialog opened over this window (not over another dialog).
    bool IsOwnDialog(const QWidget* widget) const;
    // Whether keys typed now go to `window`.
    static bool HasKeyboard(const QWidget* window);

    static constexpr int kRecentNameLength = 30;

    CommandTarget* m_target;
    QAction* m_about = nullptr;
    QMenu* m_portMenu = nullptr;
    QAction* m_recentSeparator = nullptr;
    QList<QAction*> m_deviceItems;  // the separator first, then one item per device
    QToolBar* m_toolBar = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_portLabel = nullptr;  // the port in use, at the right end of the toolbar
    QSet<QObject*> m_buttonsWithoutTip;
};

}  // namespace orvel
