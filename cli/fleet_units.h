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
#include "fleet_check.h"
#include "plan_commands.h"

namespace orvel::cli {

extern const char* const kFleetCommandSynopsis;
int RunFleetStatus(const QStringList& arguments, Context& c);
int RunFleetApply(const QStringList& arguments, Context& c);

// --site, --plan, --unit, --all and --jobs.
std::vector<QCommandLineOption> SelectionOptions();

struct FleetSelection {
    std::vector<UnitAssignment> units;  // in the library's order, or as --unit names them
    std::map<std::string, std::vector<PlanVersion>> plans;  // each plan's versions, oldest first
    int jobs = 32;
};

// Why the command line selects no units as it should (a usage error), or empty.
std::string SelectionProblem(const QCommandLineParser& parser);
// The selected units and their plans: the exit code of a failure, else -1. A --unit the
// library does not know comes without a plan.
int SelectUnits(const QCommandLineParser& parser, Library& library, FleetSelection& selection,
                Context& c);

// What became of a unit: its state, and with a write what the write did.
enum class UnitWrite { None, Written, Failed, WouldWrite };

struct UnitStatus {
    UnitAssignment unit;
    bool checked = false;  // false: a stop came before its turn
    FleetState state = FleetState::NoPlan;
    UnitWrite write = UnitWrite::None;
    std::string plan;    // the newest NAME@VERSION, or empty without a plan
    std::string holds;   // NAME@VERSION the radio held when read, or empty
    std::string reason;  // why it is unreachable, or why its write failed
    std::vector<ConfigDifference> differences;
    int exit = 0;  // this unit's part of the exit code
};

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

// "in plan", ..., or with a write "written", "failed", "would write".
std::string ResultWords(const UnitStatus& status);

enum class FleetAction { Check, Apply, DryRun };

// Reads every selected unit that has a port, `selection.jobs` at once, and judges each; with
// Apply a unit that is out of date or differs is written its plan's newest version there and
// then (verified; the read is the write's before image), with DryRun it is only said. Each
// unit's read, or its write, is kept as its record. `done` hears each unit as it is done, in
// the calling thread. A signal (WriteSignals) starts no further unit, and a write in progress
// ends with its radio; the units not begun stay unchecked.
std::vector<UnitStatus> CheckUnits(const FleetSelection& selection, const Library& library,
                                   FleetAction action,
                                   const std::function<void(const UnitStatus&)>& done, Context& c);

// The units checked as text, JSON or CSV (their state, or with a write their result), then
// the summary: on stdout after text, else on stderr. The exit code: the largest among the
// units, or 128 + a signal that came.
int PrintUnits(const std::vector<UnitStatus>& statuses, Format format, FleetAction action,
               Context& c);

}  // namespace orvel::cli
