#include "help_files.h"

#include "help_window.h"
#include "language.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace orvel {

QString FindHelpFile(const QStringList& folders, const QString& baseName) {
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(baseName + QStringLiteral(".txt"));
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

QString HelpBaseName(const QStringList& folders, const QString& baseName) {
    const QString english = baseName + QStringLiteral("_en");
    if (CurrentLanguage() == UiLanguage::English && !FindHelpFile(folders, english).isEmpty())
        return english;
    return baseName;
}

void OpenHelpFile(const QStringList& folders, const QString& baseName) {
    const QString path = FindHelpFile(folders, baseName);
    // Without this check the desktop would show its own "file not found" dialog.
    if (path.isEmpty()) {
        return;
    }
    // Without a desktop viewer (no desktop, or none for text) the program shows the text itself.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        ShowHelpWindow(path);
}

}  // namespace orvel
