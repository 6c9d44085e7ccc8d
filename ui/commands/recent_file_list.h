// 文件's list of the files last opened, saved, imported or exported, newest first, kept in the
// INI between runs.
#pragma once

#include <QString>
#include <QStringList>

namespace orvel {

class RecentFileList {
public:
    // Reads the list the INI holds.
    void Load();
    const QStringList& paths() const { return m_paths; }
    // Puts `path` first (once); the oldest beyond the list's length drops out.
    void Add(const QString& path);
    void Remove(const QString& path);

private:
    void Store();

    QStringList m_paths;
};

}  // namespace orvel
