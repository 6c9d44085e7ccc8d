#include "recent_files.h"

#include <QDir>
#include <QFileInfo>

#include "app_paths.h"

using namespace orvel;

namespace {

bool SameFile(const QString& a, const QString& b) {
#ifdef Q_OS_WIN
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

}  // namespace

void RecentFileList::Load() {
    paths_ = LoadRecentFiles();
}

void RecentFileList::Add(const QString& path) {
    const QString full = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    paths_.removeIf([&](const QString& p) { return SameFile(p, full); });
    paths_.prepend(full);
    paths_ = paths_.mid(0, kRecentFileCount);
    Store();
}

void RecentFileList::Remove(const QString& path) {
    paths_.removeIf([&](const QString& p) { return SameFile(p, path); });
    Store();
}

void RecentFileList::Store() {
    std::string error;
    // The list is a convenience: a settings file that cannot be written costs only the list.
    if (!StoreRecentFiles(paths_, error))
        qWarning("recent files not stored: %s", error.c_str());
}
