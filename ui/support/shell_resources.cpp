#include "shell_resources.h"

// Q_INIT_RESOURCE must not stand inside a namespace.
static void RegisterShellResources() {
    Q_INIT_RESOURCE(orveltool);
    Q_INIT_RESOURCE(translations);
}

namespace orvel {

void EnsureShellResources() {
    static const bool registered = (RegisterShellResources(), true);
    (void)registered;
}

QIcon OrvelToolIcon() {
    EnsureShellResources();
    QIcon icon;
    for (int size : {16, 32, 64, 256}) {
        icon.addFile(QStringLiteral(":/icons/orveltool-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace orvel
