// The commands of orvelctl. Everything a command prints goes to the two streams, so a command
// can run inside another program as well as in its own process.
#pragma once

#include <QStringList>
#include <ostream>

namespace orvel::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 1,
    kExitLink = 2,    // no or short answer, format error, timeout, acknowledgement not accepted
    kExitData = 3,    // checksum, invalid or unusable file, verify mismatch
    kExitPort = 4,    // the port cannot be opened
    kExitDiffer = 5,  // diff: the two configurations differ
};

// `arguments` as a program receives them: the program name first, then the command and its
// options. The requested output goes to `out`; the exchange's log and all errors to `err`.
int Run(const QStringList& arguments, std::ostream& out, std::ostream& err);

}  // namespace orvel::cli
