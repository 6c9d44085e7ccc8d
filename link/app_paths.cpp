#include "app_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtGlobal>
#include <mutex>

#include "backup_store.h"
#include "ini_file.h"
#include "serial_port.h"

namespace orvel {
namespace {

const QString kIniName = QStringLiteral("OrvelTool.ini");

QString UserConfigPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/" + kIniName;
}

}  // namespace

QString ProgramDir() {
    return QCoreApplication::applicationDirPath();
}

namespace {

// The file beside the program can take the port choice: the file itself (when it exists) and
// its folder, which the atomic write needs for its temporary file, are writable.
bool BesideIsWritable() {
    const QFileInfo file(ProgramDir() + "/" + kIniName);
    const QFileInfo folder(ProgramDir());
    return folder.isWritable() && (!file.exists() || file.isWritable());
}

}  // namespace

QString ConfigReadPath() {
    const QString beside = ProgramDir() + "/" + kIniName;
    const QString user = UserConfigPath();
    // The user's copy exists only because the file beside the program could not be written;
    // it then holds the newer port choice.
    if (QFileInfo::exists(user) && !BesideIsWritable())
        return user;
    if (QFileInfo::exists(beside))
        return beside;
    if (QFileInfo::exists(user))
        return user;
    return beside;
}

QString ConfigWritePath() {
    if (BesideIsWritable())
        return ProgramDir() + "/" + kIniName;
    const QString user = UserConfigPath();
    QDir().mkpath(QFileInfo(user).absolutePath());
    return user;
}

QString BackupFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/backups";
}

Configuration LoadConfigurationFile(const QString& path) {
    IniFile ini;
    std::string error;
    if (!IniFile::Load(path.toStdString(), ini, error)) {
        qWarning("OrvelTool.ini not read: %s", error.c_str());
        return Configuration{};
    }
    return ReadConfiguration(ini);
}

void KeepBackup(const MemoryImage& image, const char* kind) {
    // Radios written side by side keep a copy each; picking a free name and taking it is
    // one step.
    static std::mutex naming;
    const std::lock_guard lock(naming);
    std::string error;
    if (SaveBackup(BackupFolder().toStdString(), image, kind, error).empty()) {
        qWarning("safety copy not written: %s", error.c_str());
    }
}

std::string ResolvePortName(const std::string& name) {
    if (name.empty())
        return name;
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos)
        return name;
    const QString text = QString::fromStdString(name);
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (isNumber)
        return PortDeviceName(number);
    if (text.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
        const int com = text.mid(3).toInt(&isNumber);
        if (isNumber)
            return PortDeviceName(com);
    }
#ifdef Q_OS_WIN
    return name;
#else
    return "/dev/" + name;
#endif
}

}  // namespace orvel
