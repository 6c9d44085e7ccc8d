#include "help_files.h"

#include "helpwindow.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

void OpenHelpFile(const QString& programDir, const QString& baseName) {
    const QString path = QDir(programDir).filePath(baseName + QStringLiteral(".txt"));
    // Without this check the desktop would show its own "file not found" dialog.
    if (!QFileInfo(path).isFile()) {
        return;
    }
    // Without a desktop viewer (no desktop, or none for text) the program shows the text itself.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        ShowHelpWindow(path);
}
