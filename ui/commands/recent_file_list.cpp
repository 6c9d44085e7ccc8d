#include "recent_file_list.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "app_paths.h"

namespace orvel {

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
    m_paths.clear();
    for (const QString& path : LoadRecentFiles()) {
        const QString full = Normalised(path);
        if (std::none_of(m_paths.begin(), m_paths.end(),
                         [&](const QString& p) { return SameFile(p, full); }))
            m_paths << full;
    }
}

void RecentFileList::Add(const QString& path) {
    const QString full = Normalised(path);
    m_paths.removeIf([&](const QString& p) { return SameFile(p, full); });
    m_paths.prepend(full);
    m_paths = m_paths.mid(0, kRecentFileCount);
    Store();
}

void RecentFileList::Remove(const QString& path) {
    m_paths.removeIf([&](const QString& p) { return SameFile(p, path); });
    Store();
}

void RecentFileList::Store() {
    // The list is a convenience: a settings file that cannot be written costs only the list.
    if (const Status stored = StoreRecentFiles(m_paths); !stored)
        qWarning("recent files not stored: %s", stored.error().c_str());
}

}  // namespace orvel
