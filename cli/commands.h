// The commands of orvelctl. Everything a command prints goes to the two streams, so a command
// can run inside another program as well as in its own process.
#pragma once

#include <QStringList>
#include <ostream>
#include <string>

namespace orvel::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 1,
    kExitLink = 2,    // no or short answer, format error, timeout, acknowledgement not accepted
    kExitData = 3,    // checksum, invalid or unusable file, verify mismatch
    kExitPort = 4,    // the port cannot be opened
    kExitDiffer = 5,  // diff: the two configurations differ
};

// The program's arguments as text. On Windows they come as UTF-16 already; elsewhere a name is
// whatever bytes the user gave, and a byte that is no part of valid UTF-8 (a Latin-1 é, a stray
// 0xFF) is kept as the lone surrogate U+DC00 + byte, so PathArgument gives the same bytes back.
QStringList ProgramArguments(int argc, char* argv[]);
// A file name argument as the system takes it: the bytes the user gave (UTF-8 on Windows).
std::string PathArgument(const QString& argument);

// `arguments` as a program receives them: the program name first, then the command and its
// options. The requested output goes to `out`; the exchange's log and all errors to `err`.
int Run(const QStringList& arguments, std::ostream& out, std::ostream& err);

}  // namespace orvel::cli
