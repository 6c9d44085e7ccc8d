// The icons of the window shell, kept in res/orveltool.qrc, and the English translation.
#pragma once

#include <QIcon>

namespace orvel {

// Registers the shell's resources with Qt; safe to call any number of times. The resource file
// is compiled into a static library, whose unreferenced objects the linker would drop.
void EnsureShellResources();

// The application icon in all the sizes the resources hold.
QIcon OrvelToolIcon();

}  // namespace orvel
