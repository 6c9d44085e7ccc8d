#include "help_files.h"

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
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
