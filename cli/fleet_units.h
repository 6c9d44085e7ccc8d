// What the fleet commands share: the units a command line selects from the library, and a
// read of each of them at once, up to a number of connections, every read its unit's record.
#pragma once

#include <QCommandLineParser>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "command_support.h"
#include "fleet_run.h"
#include "plan_commands.h"

namespace orvel::cli {

extern const char* const kFleetCommandSynopsis;
int RunFleetStatus(const QStringList& arguments, Context& c);
int RunFleetApply(const QStringList& arguments, Context& c);

// --site, --plan, --unit, --all and --jobs.
std::vector<QCommandLineOption> SelectionOptions();

// Why the command line selects no units as it should (a usage error), or empty.
std::string SelectionProblem(const QCommandLineParser& parser);
// The selected units and their plans: the exit code of a failure, else -1. A --unit the
// library does not know comes without a plan.
int SelectUnits(const QCommandLineParser& parser, Library& library, FleetSelection& selection,
                Context& c);

// "orvelctl: K of N units checked" on stderr as units are done: a line each, or on a terminal
// one line redrawn with a bar.
class FleetProgress {
public:
    FleetProgress(std::ostream& err, std::size_t total);
    ~FleetProgress();
    FleetProgress(const FleetProgress&) = delete;
    FleetProgress& operator=(const FleetProgress&) = delete;
    void Done();

private:
    std::ostream& err_;
    std::size_t total_;
    std::size_t done_ = 0;
    bool bar_ = false;
};

// Reads (and with Apply writes) the selected units as CheckUnits of ops does, until a signal
// (WriteSignals) starts no further unit; a second Ctrl-C stops a write at its next frame. The
// records kept elsewhere or nowhere are said on err.
std::vector<UnitStatus> CheckUnits(const FleetSelection& selection, const Library& library,
                                   FleetAction action,
                                   const std::function<void(const UnitStatus&)>& done, Context& c);

// A unit's part of the exit code.
int UnitExit(const UnitStatus& status);

// The units checked as text, JSON or CSV (their state, or with a write their result), then
// the summary: on stdout after text, else on stderr. The exit code: the largest among the
// units, or 128 + a signal that came.
int PrintUnits(const std::vector<UnitStatus>& statuses, Format format, FleetAction action,
               Context& c);

}  // namespace orvel::cli
