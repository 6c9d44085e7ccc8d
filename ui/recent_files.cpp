#include "recent_files.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

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

QString Normalised(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

void RecentFileList::Load() {
    // The INI may have been written by hand: "a/../a/x.dat" is the "a/x.dat" beside it.
    paths_.clear();
    for (const QString& path : LoadRecentFiles()) {
        const QString full = Normalised(path);
        if (std::none_of(paths_.begin(), paths_.end(),
                         [&](const QString& p) { return SameFile(p, full); }))
            paths_ << full;
    }
}

void RecentFileList::Add(const QString& path) {
    const QString full = Normalised(path);
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
