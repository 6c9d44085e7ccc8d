#include "commands.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "command_list.h"
#include "command_support.h"
#include "echo_text.h"

namespace orvel::cli {
namespace {

struct Command {
    const char* name;
    int (*run)(const QStringList& arguments, Context& c);
    const char* summary;  // its line in 'orvelctl --help'
};

constexpr Command kCommands[] = {
#define ORVEL_COMMAND_ENTRY(name, run, summary) {#name, run, summary},
    ORVEL_CLI_COMMANDS(ORVEL_COMMAND_ENTRY)
#undef ORVEL_COMMAND_ENTRY
};

constexpr const char* kOverviewEnd =
    "\n"
    "'orvelctl COMMAND --help' describes a command. Files are told apart by their extension:\n"
    ".dat channel file, .json full configuration, .csv channel table.\n"
    "Exit codes: 0 success, 1 usage error, 2 communication failure, 3 data error (checksum,\n"
    "a file that is invalid or cannot be read or written, verify mismatch), 4 the port cannot\n"
    "be opened, 5 diff found differences (fleet: units that do not hold their plan).\n"
    "'orvelctl --version' prints the version.\n";

// The usage line, one line per command from the table, then kOverviewEnd.
std::string Overview() {
    std::size_t width = 0;
    for (const Command& command : kCommands)
        width = std::max(width, std::string_view(command.name).size());
    std::string text = "usage: orvelctl COMMAND [options]\n\n";
    for (const Command& command : kCommands) {
        const std::string_view name = command.name;
        text += "  " + std::string(name) + std::string(width - name.size() + 2, ' ') +
                command.summary + '\n';
    }
    return text + kOverviewEnd;
}

}  // namespace

int Run(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    Context c{out, err};
    const QString command = arguments.size() >= 2 ? arguments[1] : QString();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        out << Overview() << std::flush;
        return kExitOk;
    }
    // The command's name stands in for the program's, which the parser skips.
    const QStringList rest = arguments.mid(1);
    for (const Command& entry : kCommands) {
        if (command == QLatin1String(entry.name))
            return entry.run(rest, c);
    }
    if (command.isEmpty()) {
        err << Overview() << std::flush;
    } else {
        err << "orvelctl: unknown command '" << EchoText(command.toStdString()) << "'\n"
            << Overview() << std::flush;
    }
    return kExitUsage;
}

}  // namespace orvel::cli
