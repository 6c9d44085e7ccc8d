// Where the program keeps its files: the INI beside the program (or in the user's
// configuration folder where the program's folder cannot be written) and the safety copies.
#pragma once

#include <QString>
#include <string>

#include "configuration.h"
#include "memory_image.h"

namespace orvel {

QString ProgramDir();
// OrvelTool.ini beside the program when it exists there, else the user's copy when that exists,
// else the path beside the program (which then simply does not exist).
QString ConfigReadPath();
// Where the port choice is written: beside the program when that folder (or file) is
// writable, otherwise the user's configuration folder.
QString ConfigWritePath();
// The folder of the automatic copies of every read and every write.
QString BackupFolder();

// The configuration from an INI file; a missing or unreadable file gives the defaults.
Configuration LoadConfigurationFile(const QString& path);

// Keeps a copy of an image read from or about to be written to a radio. Failures only go to
// the program's diagnostic output: a copy must never stand in the way of the exchange. Safe to
// call from several threads at once: each call keeps its own copy.
void KeepBackup(const MemoryImage& image, const char* kind);

// A port as the user names it: a path is used as given, a bare number n is port n, "COMn" is
// port n, any other name is looked up under /dev.
std::string ResolvePortName(const std::string& name);

}  // namespace orvel
