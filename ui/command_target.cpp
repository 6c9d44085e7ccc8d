#include "command_target.h"

#include <QAction>

namespace orvel {

QString orvel::cmd::ActionName(int id) {
    for (const CommandName& command : kCommandNames) {
        if (command.id == id)
            return QLatin1String(command.action);
    }
    return QStringLiteral("action%1").arg(id);
}

QAction* CommandActions::Action(int id) {
    QAction*& action = m_actions[id];
    if (!action)
        action = Adopt(id, new QAction(this));
    return action;
}

QAction* CommandActions::Adopt(int id, QAction* action) {
    action->setParent(this);
    action->setObjectName(orvel::cmd::ActionName(id));
    action->setIconVisibleInMenu(false);
    // A held key runs its command once.
    action->setAutoRepeat(false);
    m_actions[id] = action;
    return action;
}

QAction* CommandActions::Bind(int id, const std::function<void()>& run) {
    QAction* action = Action(id);
    connect(action, &QAction::triggered, this, run);
    return action;
}

}  // namespace orvel
