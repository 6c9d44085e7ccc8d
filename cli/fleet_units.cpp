#include "fleet_units.h"

#include <set>

#include "echo_text.h"
#include "record_support.h"
#include "write_signals.h"

namespace orvel::cli {
namespace {

// Each a connection and its thread's wake-up descriptor: about 520 at 256, inside the usual
// 1024.
constexpr int kMostJobs = 256;

}  // namespace

std::vector<QCommandLineOption> SelectionOptions() {
    return {ValueOption("site", "S"), ValueOption("plan", "NAME"), ValueOption("unit", "UNIT"),
            FlagOption("all"),        ValueOption("jobs", "N"),    FlagOption("safety-copy")};
}

std::string SelectionProblem(const QCommandLineParser& parser) {
    const bool byUnit = parser.isSet(QStringLiteral("unit"));
    const bool filtered =
        parser.isSet(QStringLiteral("site")) || parser.isSet(QStringLiteral("plan"));
    const bool all = parser.isSet(QStringLiteral("all"));
    if (int(byUnit) + int(filtered) + int(all) != 1)
        return "choose the units: --site S and/or --plan NAME, --unit UNIT... or --all";
    for (const QString& unit : parser.values(QStringLiteral("unit"))) {
        if (unit.isEmpty())
            return "--unit needs a unit's label";
    }
    int jobs = 0;
    if (parser.isSet(QStringLiteral("jobs")) && !ParseNumber(parser, "jobs", 1, kMostJobs, jobs))
        return "--jobs takes a number of ports at once from 1 to " + std::to_string(kMostJobs);
    return {};
}

int SelectUnits(const QCommandLineParser& parser, Library& library, FleetSelection& selection,
                Context& c) {
    if (parser.isSet(QStringLiteral("jobs")))
        ParseNumber(parser, "jobs", 1, kMostJobs, selection.jobs);
    selection.safetyCopies = parser.isSet(QStringLiteral("safety-copy"));
    if (parser.isSet(QStringLiteral("unit"))) {
        std::set<std::string> named;
        for (const QString& value : parser.values(QStringLiteral("unit"))) {
            const std::string label = value.toStdString();
            if (!named.insert(label).second)
                continue;
            std::optional<UnitAssignment> assignment;
            if (const Status found = library.store->Unit(label).Into(assignment); !found)
                return library.Fail(c, found.error());
            selection.units.push_back(assignment.value_or(Assignment(label)));
        }
    } else if (const Status listed = library.store
                                         ->Units(parser.value(QStringLiteral("site")).toStdString(),
                                                 parser.value(QStringLiteral("plan")).toStdString())
                                         .Into(selection.units);
               !listed) {
        return library.Fail(c, listed.error());
    }
    for (const UnitAssignment& unit : selection.units) {
        if (unit.plan.empty() || selection.plans.contains(unit.plan))
            continue;
        std::vector<PlanVersion> versions;
        if (const Status got = library.store->PlanVersions(unit.plan).Into(versions); !got)
            return library.Fail(c, got.error());
        if (versions.empty())
            return library.Fail(c, "no plan is named " + EchoText(unit.plan));
        selection.plans.emplace(unit.plan, std::move(versions));
    }
    return -1;
}

std::vector<UnitStatus> CheckUnits(const FleetSelection& selection, const Library& library,
                                   FleetAction action,
                                   const std::function<void(const UnitStatus&)>& done, Context& c) {
    FleetHooks hooks;
    hooks.cancelled = [] { return WriteSignals::Received() != 0; };
    hooks.stopWrite = WriteSignals::StopNow;
    hooks.done = done;
    hooks.recordLine = [&c](const std::string& line) {
        // Whole: its start names the record, its end the reason.
        c.err << "orvelctl: " << EscapeControls(line) << '\n' << std::flush;
    };
    return orvel::CheckUnits(selection, library.settings, library.config, action, hooks);
}

int UnitExit(const UnitStatus& status) {
    if (!status.checked)
        return kExitOk;
    switch (status.write) {
        case UnitWrite::Written:
            return kExitOk;
        case UnitWrite::Failed:
            return ExitCodeOf(status.failure);
        case UnitWrite::WouldWrite:
            return kExitDiffer;
        case UnitWrite::None:
            break;
    }
    switch (status.state) {
        case FleetState::InPlan:
        case FleetState::ClaimedElsewhere:
            return kExitOk;
        case FleetState::OutOfDate:
        case FleetState::Differs:
            return kExitDiffer;
        case FleetState::Unreachable:
            return ExitCodeOf(status.failure);
        case FleetState::NoPlan:
        case FleetState::NoPort:
            break;
    }
    return kExitData;
}

}  // namespace orvel::cli
