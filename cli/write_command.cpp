// orvelctl write: a file's configuration to the radio, or to many.
#include "command_list.h"

#include <filesystem>
#include <string>

#include <optional>
#include "echo_text.h"

#include "assigned_plans.h"
#include "fleet.h"
#include "radio_link.h"
#include "radio_operations.h"
#include "record_support.h"
#include "transfer.h"
#include "unit_labels.h"
#include "write_signals.h"

namespace orvel::cli {

namespace {

// The unit options that need the production line, or one port.
std::string UnitProblem(const FleetOptions& fleet, const QCommandLineParser& parser) {
    const UnitLabels::Source source = fleet.units.source();
    if (parser.isSet(QStringLiteral("assigned"))) {
        if (source == UnitLabels::Source::None)
            return "--assigned writes each unit its plan: give --unit LABEL, --unit ask or "
                   "--unit-list FILE";
        if (parser.values(QStringLiteral("port")).size() > 1 ||
            parser.isSet(QStringLiteral("format")))
            return "--assigned takes one --port and prints a line per unit, without --format";
    }
    if (source == UnitLabels::Source::Given && fleet.repeat)
        return "with --repeat, --unit takes ask (or give --unit-list FILE)";
    if (source == UnitLabels::Source::Given && fleet.ports.size() > 1)
        return "--unit LABEL names one radio: give one --port";
    if (source == UnitLabels::Source::List && !fleet.repeat)
        return "--unit-list goes with --repeat";
    if ((source == UnitLabels::Source::Ask || source == UnitLabels::Source::List) &&
        fleet.ports.size() > 1)
        return "--unit ask and --unit-list take one --port: stdin and the list are one";
    if (fleet.skipDone && source == UnitLabels::Source::None)
        return "--skip-done needs the unit's label: --unit";
    return {};
}

const char* const kAssignedHelp =
    "\n"
    "By unit: with --assigned each unit is written the plan the library assigns it ('orvelctl\n"
    "unit', 'orvelctl plan'), its newest version, in place of a FILE. The unit's label is\n"
    "given (--unit), asked on stdin (--unit ask, as a scanner types it) or taken from a list\n"
    "(--unit-list, whose plans are all fetched before the first radio); its plan is fetched\n"
    "and checked (its bytes against their SHA-256, and that a write here sends exactly them),\n"
    "written, verified where asked and recorded with the plan NAME@VERSION and its SHA-256.\n"
    "A unit without a plan, or whose plan cannot be had, is one line (a production line's\n"
    "\"N<TAB>-<TAB>UNIT<TAB>failed<TAB>REASON\"; the line goes on with the next label) and\n"
    "nothing is written to its radio. A plan fetched once is kept for the run: when the\n"
    "server goes away mid-line, the units whose plans were fetched are still written (their\n"
    "records wait in the outbox) and any other says it cannot get the plan. --skip-done\n"
    "leaves a radio alone only when it reads back as its unit's plan.\n"
    "  --assigned      write each unit the plan assigned to it\n";

}  // namespace

int RunWrite(const QStringList& arguments, Context& c) {
    const CommandInfo info{
        "usage: orvelctl write (--port DEV | --simulate) FILE [--verify] [--read-first]\n"
        "                      [--unit LABEL|ask] [--skip-done] [--operator NAME] [--record URL]\n"
        "                      [--config INI] [--trace FILE]\n" +
            std::string(kFleetSynopsis) +
            "       orvelctl write --assigned (--port DEV | --simulate) (--unit LABEL|ask |\n"
            "                      --unit-list FILE) [--repeat [--count N]] [--verify]\n"
            "                      [--read-first] [--skip-done] [--operator NAME] [--record URL]\n"
            "                      [--config INI] [--trace FILE]\n",
        "Writes the configuration of FILE (.dat, .json or .csv) to the radio.\n\n" +
            std::string(kPortHelp) +
            "  --verify        read the radio back and compare the channel and settings words\n"
            "  --read-first    read the radio before the write and keep what it held among the\n"
            "                  safety copies (...-before.dat) and in the record; a radio that\n"
            "                  cannot be read is not written\n"
            "  --unit LABEL    the unit's label (its serial number) for the record; ask: read\n"
            "                  it from stdin\n" +
            kRecordHelp + kConfigHelp +
            "\n"
            "Every radio written becomes one programming record (see 'orvelctl record --help'):\n"
            "the plan's SHA-256, the radio's identification where it was asked, the outcome and\n"
            "the images read. A record that cannot be kept is reported on one line; the write's\n"
            "result and exit code stay as they are.\n"
            "Ctrl-C, SIGTERM or SIGHUP during a write lets the radio in progress finish, prints\n"
            "its result line, DEV<TAB>ok or DEV<TAB>failed<TAB>REASON, and exits 130, 143 or\n"
            "129; a second Ctrl-C stops at the next frame with \"interrupted at frame N of "
            "66\".\n"
            "A trace that reaches the file size limit (ulimit -f) or a full disk stops with one\n"
            "message; the write goes on.\n" +
            kFleetHelp + kAssignedHelp,
        {FlagOption("verify"), FlagOption("read-first"), ValueOption("unit", "LABEL"),
         ValueOption("unit-list", "FILE"), FlagOption("skip-done"), ValueOption("config", "INI"),
         ValueOption("operator", "NAME"), ValueOption("record", "URL"), FlagOption("assigned")},
        -1,
        "",
        true};
    QCommandLineParser parser;
    parser.addOptions(FleetCommandOptions());
    if (int code = Prepare(parser, info, arguments, c); code >= 0)
        return code;
    const bool assigned = parser.isSet(QStringLiteral("assigned"));
    const QStringList files = parser.positionalArguments();
    if (assigned && !files.isEmpty())
        return UsageError(c, info, "--assigned takes no FILE: each unit's plan is its own");
    if (!assigned && files.size() != 1)
        return UsageError(c, info, "expects one FILE");
    const std::string path = assigned ? std::string() : PathArgument(files.front());
    if (!assigned && KindOf(path) == FileKind::Unknown) {
        return UsageError(c, info, "'" + path + "' is not a .dat, .json or .csv file");
    }
    FleetOptions fleet;
    const bool several = IsFleetWrite(parser);
    if (const std::string error = several ? ReadFleetOptions(parser, fleet) : std::string();
        !error.empty()) {
        return UsageError(c, info, error);
    }
    fleet.skipDone = parser.isSet(QStringLiteral("skip-done"));
    if (std::string error = fleet.units.Read(parser); !error.empty())
        return UsageError(c, info, error);
    if (const std::string error = UnitProblem(fleet, parser); !error.empty()) {
        return UsageError(c, info, error);
    }
    Configuration config;
    if (int code = LoadConfig(parser, config, c); code >= 0)
        return code;
    if (int code = ReadRecordSettings(parser, config, fleet.record, c); code >= 0)
        return code;
    PlanToWrite plan;
    std::optional<AssignedPlans> plans;
    if (assigned) {
        plans.emplace(fleet.record.place, config);
        fleet.assigned = &*plans;
        // A list's plans are all fetched before the first radio, while the library is there.
        if (fleet.units.source() == UnitLabels::Source::List)
            plans->Fetch(fleet.units.List());
    } else {
        if (int code = LoadImageFile(path, Limits(config), plan.image, c, config.limitsFault);
            code >= 0)
            return code;
        plan.request = RequestOf(plan.image, config);
        plan.planFile = std::filesystem::path(path).filename().string();
    }
    if (several) {
        fleet.timing = ClassicTimingWanted(parser) ? PollTiming::Classic : PollTiming::Prompt;
        return RunFleet(fleet, plan, c);
    }
    const WriteSteps steps{parser.isSet(QStringLiteral("verify")),
                           parser.isSet(QStringLiteral("read-first"))};
    const bool simulate = parser.isSet(QStringLiteral("simulate"));
    const std::string shown = simulate ? "virtual radio" : Value(parser, "port");
    std::string unit;
    int code = -1;
    if (!fleet.units.Next(unit, shown, 1, c.err))
        return Fail(c, kExitUsage, "no unit label was given; nothing is written");
    if (std::string reason; plans && (code = plans->For(unit, plan, reason)) >= 0)
        return Fail(c, code, reason);
    const auto keeper = MakeKeeper(fleet.record);
    ProgrammingRecord record = StartRadioRecord(fleet.record, RecordAction::Write, shown, unit);
    record.planFile = plan.planFile;
    Link link;
    if ((code = OpenLink(parser, link, c)) >= 0) {
        EndRadioRecord(record, code, c.lastError, link.name);
        KeepRecord(keeper.get(), record, c.err);
        return code;
    }
    if (fleet.skipDone) {
        // The radio itself says whether it holds the plan; its read is the unit's record.
        ProgrammingRecord read = StartRadioRecord(fleet.record, RecordAction::Read, shown, unit);
        bool holds = false;
        const int failed = ReadHolding(link, plan.request, c, read, holds);
        if (failed >= 0 || holds) {
            EndRadioRecord(read, failed < 0 ? kExitOk : failed, c.lastError, link.name);
            KeepRecord(keeper.get(), read, c.err);
            if (holds) {
                c.out << EscapeControls(shown) << "\tskipped\tunit " << EscapeControls(unit)
                      << " already holds this plan (read back)\n"
                      << std::flush;
            }
            return holds ? kExitOk : failed;
        }
        record.radioId = read.radioId;
        record.before = read.after;
    }
    const WriteSignals stopLater;
    code = WriteToRadio(link, plan.image, plan.request, steps, c, record);
    EndRadioRecord(record, code, c.lastError, link.name);
    KeepRecord(keeper.get(), record, c.err);
    if (WriteSignals::Received() == 0)
        return code;
    // Stopped from outside: say how the radio was left before going.
    c.out << EscapeControls(link.name) << '\t'
          << (code == kExitOk ? std::string("ok")
                              : "failed\t" + FailureReason(c.lastError, link.name))
          << '\n'
          << std::flush;
    return WriteSignals::ExitCode(code);
}

}  // namespace orvel::cli
