// 帮助 > 使用手册: the user manual's pages in the window's language, in the system's browser.
#pragma once

#include <QString>
#include <QStringList>

#include "language.h"

class QAction;
class QMenu;

namespace orvel {

// The folders that may hold the manual (each with zh_CN/ and en/), nearest first: beside the
// program (the Windows folder), the installed documentation, then a build's out/manual, so
// the manual a developer just built opens from the program beside it.
QStringList ManualFolders(const QString& programDir);

// The first folder's LANG/index.html that is a file, LANG being the language's own pages, or
// else the other language's, so a manual in one language still opens; empty when none is.
QString ManualIndex(const QStringList& folders, UiLanguage language);

// Adds 使用手册 (actionManual) to the help menu before `before`; it opens the page, or says
// where it looked when there is none.
QAction* AddManualAction(QMenu* help, QAction* before, const QString& programDir);

}  // namespace orvel
