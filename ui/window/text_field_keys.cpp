#include "text_field_keys.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <array>

namespace orvel {

namespace {

// The clipboard and undo keys, and the few others the window has always kept to itself.
bool IsEditingKey(const QKeyEvent& key) {
    for (QKeySequence::StandardKey standard :
         {QKeySequence::Copy, QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Undo,
          QKeySequence::Redo}) {
        if (key.matches(standard))
            return true;
    }
    // Insert and Delete on the number pad are the same keys to the user.
    const QKeyCombination pressed(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key()));
    static constexpr std::array<QKeyCombination, 12> kKeys = {
        Qt::CTRL | Qt::Key_Y,        Qt::CTRL | Qt::SHIFT | Qt::Key_Z,
        Qt::CTRL | Qt::Key_N,        Qt::CTRL | Qt::Key_X,
        Qt::ALT | Qt::Key_Backspace, Qt::SHIFT | Qt::Key_Delete,
        Qt::CTRL | Qt::Key_Insert,   Qt::SHIFT | Qt::Key_Insert,
        QKeyCombination(Qt::Key_F6), Qt::SHIFT | Qt::Key_F6,
        Qt::ALT | Qt::Key_Up,        Qt::ALT | Qt::Key_Down,
    };
    return std::find(kKeys.begin(), kKeys.end(), pressed) != kKeys.end();
}

bool IsRowMoveKey(const QKeyEvent& key) {
    const QKeyCombination pressed(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key()));
    return pressed == (Qt::ALT | Qt::Key_Up) || pressed == (Qt::ALT | Qt::Key_Down);
}

}  // namespace

void TextFieldKeys::Guard(QWidget* form) {
    auto* guard = new TextFieldKeys(form);
    for (QWidget* field : form->findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(field) || qobject_cast<QPlainTextEdit*>(field) ||
            qobject_cast<QTextEdit*>(field) || qobject_cast<QAbstractSpinBox*>(field) ||
            qobject_cast<QComboBox*>(field))
            field->installEventFilter(guard);
    }
}

bool TextFieldKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto& key = static_cast<const QKeyEvent&>(*event);
    // A drop-down opens its list with Alt and an arrow; its other keys are its own.
    if (qobject_cast<QComboBox*>(watched)) {
        if (event->type() == QEvent::ShortcutOverride && IsRowMoveKey(key))
            event->accept();
        return QObject::eventFilter(watched, event);
    }
    if (!IsEditingKey(key))
        return QObject::eventFilter(watched, event);
    // Accepting the override keeps the window's shortcut away; the key press is then dropped.
    event->accept();
    return true;
}

}  // namespace orvel
