// Where the program keeps its files: the INI beside the program (or in the user's
// configuration folder where the program's folder cannot be written), the configuration read
// from it, and the safety copies.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

#include "configuration.h"
#include "memory_image.h"
#include "result.h"

namespace orvel {

QString ProgramDir();
// An installed program (PREFIX/bin beside PREFIX/share/orveltool, or a folder the Windows
// installer filled, with its uninstall.exe) keeps none of the user's files beside itself, even
// where this user may write there.
bool IsInstalledProgramDir(const QString& programDir);
// The folders searched for help.txt and ques.txt, in order: beside the program, the installed
// tree's data folder, then the system's data folders.
QStringList HelpFolders(const QString& programDir);

// OrvelTool.ini beside the program when it exists there, else the user's copy when that exists,
// else the path beside the program (which then simply does not exist).
QString ConfigReadPath();
QString ConfigReadPath(const QString& programDir, const QString& userIni);
// Where the port choice is written: beside the program when that folder (or file) is
// writable and the program is not installed, otherwise the user's configuration folder.
QString ConfigWritePath();
QString ConfigWritePath(const QString& programDir, const QString& userIni);
// The name Open and Save As propose: orvel.dat beside a program that is not installed and whose
// folder is writable, else in the user's documents folder (the home folder when there is none).
QString DefaultChannelFilePath();
QString DefaultChannelFilePath(const QString& programDir, const QString& documentsDir,
                               const QString& homeDir);
// The folder of the automatic copies of every read and every write.
QString BackupFolder();
// The bench's programming records (and the outbox of a shared database): records.sqlite
// beside the backups folder.
QString RecordFilePath();

// The configuration from an INI file; a missing or unreadable file gives the defaults.
Configuration LoadConfigurationFile(const QString& path);
// Stores one [Set] key of the window's INI (an empty value removes it), every other line as it
// was. A port chosen by number no longer names a device. Fails when the INI cannot be read or
// written; a file that cannot be read is never replaced.
Status StoreSetting(std::string_view key, const std::string& value);

// The files 文件 lists as the most recent, newest first, from [Recent File List] of the
// window's INI (File1 to File4, as the classic program kept them).
inline constexpr int kRecentFileCount = 4;
QStringList LoadRecentFiles();
// Stores the list (the first kRecentFileCount of it) in the same way as StoreSetting.
Status StoreRecentFiles(const QStringList& paths);

// Keeps a copy of an image read from or about to be written to a radio. Failures only go to
// the program's diagnostic output: a copy must never stand in the way of the exchange. Only when
// another program holds the folder of the copies for kFolderLockWait does it fail, saying so in
// one line: the radio is then not written. Safe to call from several threads at once: each call
// keeps its own copy.
Status KeepBackup(const MemoryImage& image, const char* kind);

// Keeps the bytes of a file that is about to be replaced among the safety copies, named
// ...-file.dat (-file.json, -file.csv for those files), the newest kKeepReplacedFiles of them.
// The copy's path (for DiscardBackup should the save fail), empty when there is nothing to keep;
// a failure otherwise, and then the file is replaced only when the user says so.
Result<std::string> KeepReplacedFile(const std::string& path);

// True for a file in the folder of the safety copies: saving over one would turn the user's work
// into something that looks like a copy.
bool InBackupFolder(const QString& path);

}  // namespace orvel
