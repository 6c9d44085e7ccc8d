#include "help_window.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

#include "shell_resources.h"
#include "text_codec.h"

namespace orvel {

namespace {

// The system's fixed font is not always fixed-pitch (under wine it is not): then the first
// installed family that is.
QFont FixedPitchFont(int pointSize) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(pointSize);
    if (QFontInfo(font).fixedPitch())
        return font;
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family))
            return QFont(family, pointSize);
    }
    return font;
}

}  // namespace

QString DecodeHelpText(const QByteArray& bytes) {
    return orvel::DecodeUtf8OrGbk(bytes);
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowIcon(OrvelToolIcon());
    // An open help window does not keep the program running once the main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("helpText"));
    m_text->setReadOnly(true);
    // Read-only text still takes the keyboard, so that it can be scrolled and selected.
    m_text->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The texts line up their underlines assuming Chinese characters twice as wide as Latin.
    m_text->setFont(FixedPitchFont(10));

    m_searchBar = new QWidget(this);
    auto* searchLayout = new QHBoxLayout(m_searchBar);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(tr("查找(&F):"), m_searchBar);
    m_searchField = new QLineEdit(m_searchBar);
    m_searchField->setObjectName(QStringLiteral("helpSearch"));
    label->setBuddy(m_searchField);
    m_searchState = new QLabel(m_searchBar);
    m_searchState->setObjectName(QStringLiteral("helpSearchState"));
    searchLayout->addWidget(label);
    searchLayout->addWidget(m_searchField, 1);
    searchLayout->addWidget(m_searchState, 1);
    m_searchBar->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_searchBar);

    auto* find = new QAction(this);
    find->setShortcuts(QKeySequence::Find);
    connect(find, &QAction::triggered, this, &HelpWindow::ShowSearch);
    auto* next = new QAction(this);
    next->setShortcuts(QKeySequence::FindNext);
    connect(next, &QAction::triggered, this, [this] { FindNext(false); });
    auto* previous = new QAction(this);
    previous->setShortcuts(QKeySequence::FindPrevious);
    connect(previous, &QAction::triggered, this, [this] { FindNext(true); });
    auto* close = new QAction(this);
    close->setShortcut(Qt::Key_Escape);
    connect(close, &QAction::triggered, this, [this] {
        if (m_searchBar->isVisible()) {
            m_searchBar->hide();
            m_text->setFocus();
        } else {
            this->close();
        }
    });
    addActions({find, next, previous, close});
    connect(m_searchField, &QLineEdit::returnPressed, this, [this] { FindNext(false); });
    connect(m_searchField, &QLineEdit::textChanged, m_searchState, &QLabel::clear);

    resize(720, 560);
}

bool HelpWindow::Load(const QString& path) {
    m_path = path;
    setWindowTitle(QStringLiteral("%1 - OrvelTool").arg(QFileInfo(path).fileName()));
    m_text->setAccessibleName(windowTitle());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_text->setPlainText(tr("无法打开帮助文件 %1：%2").arg(path, file.errorString()));
        return false;
    }
    m_text->setPlainText(DecodeHelpText(file.readAll()));
    return true;
}

void HelpWindow::ShowSearch() {
    m_searchBar->show();
    m_searchField->setFocus(Qt::ShortcutFocusReason);
    m_searchField->selectAll();
}

bool HelpWindow::FindNext(bool backwards) {
    const QString wanted = m_searchField->text();
    if (wanted.isEmpty())
        return false;
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (m_text->find(wanted, flags)) {
        m_searchState->clear();
        return true;
    }
    // Not found from here on: start again from the other end once.
    const QTextCursor kept = m_text->textCursor();
    QTextCursor cursor = kept;
    cursor.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
    m_text->setTextCursor(cursor);
    if (m_text->find(wanted, flags)) {
        m_searchState->setText(tr("已从头开始查找"));
        return true;
    }
    m_text->setTextCursor(kept);
    m_searchState->setText(tr("找不到“%1”").arg(wanted));
    return false;
}

HelpWindow* ShowHelpWindow(const QString& path) {
    // One window per file: asking again brings it to the front instead of opening another.
    static QList<QPointer<HelpWindow>> open;
    open.removeAll(nullptr);
    for (const QPointer<HelpWindow>& window : std::as_const(open)) {
        if (window->path() == path) {
            window->Load(path);
            window->show();
            window->raise();
            window->activateWindow();
            return window;
        }
    }
    // Owned by the main window, so that it closes and is freed with it.
    QWidget* owner = QApplication::activeWindow();
    if (qobject_cast<HelpWindow*>(owner))
        owner = owner->parentWidget();
    auto* window = new HelpWindow(owner);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->Load(path);
    if (const QScreen* screen = window->screen()) {
        window->resize(window->size().boundedTo(screen->availableGeometry().size()));
    }
    window->show();
    window->activateWindow();
    open.append(window);
    return window;
}

}  // namespace orvel
