// The commands of orvelctl, one file each. `arguments` start with the command's name, which
// stands in for the program's; each returns the exit code.
#pragma once

#include <QStringList>

#include "command_support.h"

namespace orvel::cli {

int RunRead(const QStringList& arguments, Context& c);
int RunWrite(const QStringList& arguments, Context& c);
int RunShow(const QStringList& arguments, Context& c);
int RunConvert(const QStringList& arguments, Context& c);
int RunEdit(const QStringList& arguments, Context& c);
int RunChannel(const QStringList& arguments, Context& c);
int RunPorts(const QStringList& arguments, Context& c);
int RunRecord(const QStringList& arguments, Context& c);

}  // namespace orvel::cli
