#include "app_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtGlobal>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <pwd.h>
#include <unistd.h>
#endif

#include "backup_store.h"
#include "channel_file.h"
#include "ini_file.h"

namespace orvel {
namespace {

const QString kIniName = QStringLiteral("OrvelTool.ini");

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
// The home folder as an absolute path: a relative HOME would put the user's files under the
// folder the program happened to start in. The system's user database knows the real one.
QString HomeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    if (QDir::isAbsolutePath(home))
        return QDir::cleanPath(home);
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        const QString database = QString::fromLocal8Bit(found->pw_dir);
        if (QDir::isAbsolutePath(database))
            return QDir::cleanPath(database);
    }
    return QDir::rootPath();
}

// An XDG base folder, with the program's own folder in it. A relative value is ignored, as the
// XDG rules say, and the default under the home folder taken, as for an unset one.
QString XdgAppFolder(const char* variable, const char* defaultUnderHome) {
    const QString value = qEnvironmentVariable(variable);
    const QString base =
        QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : HomeFolder() + defaultUnderHome;
    const QString organization = QCoreApplication::organizationName();
    return base + (organization.isEmpty() ? QString() : "/" + organization) + "/" +
           QCoreApplication::applicationName();
}
#endif

QString UserConfigPath() {
#ifdef Q_OS_WIN
    // %APPDATA%\OrvelTool: settings roam with the user; Qt's config folder there is the local one.
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/" + kIniName;
#elif defined(Q_OS_DARWIN)
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/" + kIniName;
#else
    return XdgAppFolder("XDG_CONFIG_HOME", "/.config") + "/" + kIniName;
#endif
}

}  // namespace

QString ProgramDir() {
    return QCoreApplication::applicationDirPath();
}

namespace {

// Relative to the program, so an unpacked package finds its data wherever it stands.
const QString kInstalledDataDir = QStringLiteral("../share/orveltool");

// A program run from its build or copied folder keeps its files beside itself, as it always did.
bool FilesBesideProgram(const QString& programDir) {
    return !IsInstalledProgramDir(programDir) && QFileInfo(programDir).isWritable();
}

// The file beside the program can take the port choice: its folder takes the atomic write's
// temporary file, and the file itself, when it exists, is writable.
bool BesideIsWritable(const QString& programDir) {
    const QFileInfo file(programDir + "/" + kIniName);
    return FilesBesideProgram(programDir) && (!file.exists() || file.isWritable());
}

}  // namespace

bool IsInstalledProgramDir(const QString& programDir) {
    const QDir dir(programDir);
    // The Windows installer leaves its uninstaller beside the programs; the zip does not.
    if (QFileInfo(dir.filePath(QStringLiteral("uninstall.exe"))).isFile())
        return true;
    return dir.dirName() == QLatin1String("bin") &&
           QFileInfo(dir.filePath(kInstalledDataDir)).isDir();
}

QStringList HelpFolders(const QString& programDir) {
    QStringList folders{programDir, QDir::cleanPath(programDir + "/" + kInstalledDataDir)};
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString folder = QDir::cleanPath(data + QStringLiteral("/orveltool"));
        if (!folders.contains(folder))
            folders << folder;
    }
    return folders;
}

QString ConfigReadPath() {
    return ConfigReadPath(ProgramDir(), UserConfigPath());
}

QString ConfigReadPath(const QString& programDir, const QString& userIni) {
    const QString beside = programDir + "/" + kIniName;
    // The user's copy exists only because the file beside the program could not be written;
    // it then holds the newer port choice.
    if (QFileInfo::exists(userIni) && !BesideIsWritable(programDir))
        return userIni;
    if (QFileInfo::exists(beside))
        return beside;
    if (QFileInfo::exists(userIni))
        return userIni;
    return beside;
}

QString ConfigWritePath() {
    const QString path = ConfigWritePath(ProgramDir(), UserConfigPath());
    QDir().mkpath(QFileInfo(path).absolutePath());
    return path;
}

QString ConfigWritePath(const QString& programDir, const QString& userIni) {
    return BesideIsWritable(programDir) ? programDir + "/" + kIniName : userIni;
}

QString DefaultChannelFilePath() {
    return DefaultChannelFilePath(
        ProgramDir(), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        QDir::homePath());
}

QString DefaultChannelFilePath(const QString& programDir, const QString& documentsDir,
                               const QString& homeDir) {
    const QString name = QStringLiteral("/orvel.dat");
    if (FilesBesideProgram(programDir))
        return programDir + name;
    return (QFileInfo(documentsDir).isDir() ? documentsDir : homeDir) + name;
}

QString BackupFolder() {
    // %LOCALAPPDATA%\OrvelTool\backups on Windows; the same folder as before elsewhere.
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    return XdgAppFolder("XDG_DATA_HOME", "/.local/share") + "/backups";
#else
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/backups";
#endif
}

QString RecordFilePath() {
    return QFileInfo(BackupFolder()).path() + QStringLiteral("/records.sqlite");
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

namespace {

const std::string_view kRecentSection = "Recent File List";

std::string RecentKey(int index) {
    return "File" + std::to_string(index + 1);
}

// Changes the window's INI by `edit`, every other line as it was.
Status EditIni(const std::function<void(IniFile&)>& edit) {
    const QString writePath = ConfigWritePath();
    // A first private copy starts from the read-only file beside the program.
    const QString readPath = ConfigReadPath();
    const QString basePath = QFileInfo::exists(writePath) ? writePath : readPath;
    IniFile ini;
    std::string error;
    if (!IniFile::Load(basePath.toStdString(), ini, error))
        return Failure{error};
    edit(ini);
    if (!ini.Save(writePath.toStdString(), error))
        return Failure{error};
    return {};
}

}  // namespace

Status StoreSetting(std::string_view key, const std::string& value) {
    return EditIni([&](IniFile& ini) {
        ini.Set(kConfigSection, key, value);
        if (key == kPortKey)
            ini.Remove(kConfigSection, "Device");
    });
}

QStringList LoadRecentFiles() {
    IniFile ini;
    std::string error;
    QStringList paths;
    if (!IniFile::Load(ConfigReadPath().toStdString(), ini, error))
        return paths;
    for (int i = 0; i < kRecentFileCount; ++i) {
        const std::optional<std::string> path = ini.Get(kRecentSection, RecentKey(i));
        if (path && !path->empty())
            paths << QString::fromStdString(*path);
    }
    return paths;
}

Status StoreRecentFiles(const QStringList& paths) {
    return EditIni([&](IniFile& ini) {
        for (int i = 0; i < kRecentFileCount; ++i) {
            if (i < paths.size())
                ini.Set(kRecentSection, RecentKey(i), paths[i].toStdString());
            else
                ini.Remove(kRecentSection, RecentKey(i));
        }
    });
}

Status KeepBackup(const MemoryImage& image, const char* kind) {
    // Radios written side by side keep a copy each: the folder's lock gives the threads of a run
    // their turns as it does runs, and a folder held elsewhere costs them one wait together.
    // Only the copy of what a write is about to replace is kept nowhere else: it reaches the
    // disk before the radio is changed. The others are what the radio holds or is to hold.
    const Durability durability =
        std::strcmp(kind, "before") == 0 ? Durability::Disk : Durability::Cache;
    std::string error;
    bool folderHeld = false;
    if (!SaveBackup(BackupFolder().toStdString(), image, kind, error, kKeepCopies, std::nullopt,
                    &folderHeld, durability)
             .empty()) {
        return {};
    }
    if (folderHeld)
        return Failure{"the folder of the safety copies " + error};
    qWarning("safety copy not written: %s", error.c_str());
    return {};
}

Result<std::string> KeepReplacedFile(const std::string& path) {
    // Only a regular file holds bytes a save could lose; a missing one has none. The name is
    // looked at as the bytes it is: text of it might name another file or none.
    std::error_code ec;
    const std::filesystem::path file = PathFromUtf8(path);
    if (!std::filesystem::is_regular_file(file, ec))
        return std::string();
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(path, bytes, error))
        return Failure{error};
    std::string suffix = Utf8FromPath(file.extension());
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const char* extension = suffix == ".json" ? ".json" : suffix == ".csv" ? ".csv" : ".dat";
    const std::string copy = SaveBackupBytes(BackupFolder().toStdString(), bytes, "file", extension,
                                             error, kKeepReplacedFiles);
    if (copy.empty())
        return Failure{error};
    return copy;
}

bool InBackupFolder(const QString& path) {
    const QString folder = QFileInfo(BackupFolder()).canonicalFilePath();
    return !folder.isEmpty() &&
           QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath() == folder;
}

}  // namespace orvel
