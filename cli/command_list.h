// The commands of orvelctl: a command is its file, with its Run function, and its line in the
// table below, in the order 'orvelctl --help' lists them. The build takes every file of cli/,
// and the manual and the man page take the commands from the help. `arguments` start with the
// command's name, which stands in for the program's; each returns the exit code.
#pragma once

#include <QStringList>

#include "command_support.h"

// COMMAND(name, its function, its line in 'orvelctl --help')
#define ORVEL_CLI_COMMANDS(COMMAND)                                                          \
    COMMAND(read, RunRead, "read the radio's configuration")                                 \
    COMMAND(write, RunWrite, "write a file's configuration to the radio, or to many")        \
    COMMAND(show, RunShow, "show the configuration a file holds")                            \
    COMMAND(convert, RunConvert, "convert between .dat, .json and .csv")                     \
    COMMAND(edit, RunEdit, "move, insert, delete or sort the channels of a file")            \
    COMMAND(diff, RunDiff, "compare two files, or a file and the radio")                     \
    COMMAND(channel, RunChannel, "read or set the radio's current channel")                  \
    COMMAND(ports, RunPorts, "list the serial ports, or find the radio on them (--probe)")   \
    COMMAND(record, RunRecord, "the programming records: list, show, sync, export, restore") \
    COMMAND(plan, RunPlan, "the plan library: add, list, show, get")                         \
    COMMAND(unit, RunUnit, "what each unit should hold: assign, import, list, show, export") \
    COMMAND(fleet, RunFleetCommand, "every unit against its plan where it stands: status, apply")

namespace orvel::cli {

#define ORVEL_DECLARE_COMMAND(name, run, summary) int run(const QStringList& arguments, Context& c);
ORVEL_CLI_COMMANDS(ORVEL_DECLARE_COMMAND)
#undef ORVEL_DECLARE_COMMAND

}  // namespace orvel::cli
