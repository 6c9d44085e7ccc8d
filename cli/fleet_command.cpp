// orvelctl fleet: every unit of the library against its plan, over the ports its assignment
// names, and brought into line.
#include "command_list.h"
#include "fleet_units.h"
#include "write_signals.h"

namespace orvel::cli {

const char* const kFleetCommandSynopsis =
    "usage: orvelctl fleet status (--all | --site S [--plan NAME] | --plan NAME | --unit UNIT...)\n"
    "                             [--jobs N] [--safety-copy] [--format text|json|csv]\n"
    "                             [--operator NAME] [--record URL] [--config INI]\n"
    "       orvelctl fleet apply (the same selection) [--dry-run] [--jobs N] [--safety-copy]\n"
    "                            [--format text|json|csv] [--operator NAME] [--record URL]\n"
    "                            [--config INI]\n";

namespace {

constexpr const char* kFleetDetails =
    "The units of the library ('orvelctl unit') checked where they stand, and brought into\n"
    "line: each selected unit whose assignment names a port (--port of 'unit assign', any\n"
    "port 'write --port' takes) is read there, up to --jobs ports at once (units that share a\n"
    "port one after another), each read bounded in time as every read is and kept as a\n"
    "programming record of the unit (action read, its port; no safety copy unless\n"
    "--safety-copy: the record holds the bytes). Each unit ends in one state:\n"
    "  in plan      it holds the newest version of its plan: its bytes, or the words a write\n"
    "               of it sends and a good checksum (the header and spare bytes are the\n"
    "               radio's own; no write changes them)\n"
    "  out of date  it holds an earlier version of its plan, which HOLDS names\n"
    "  differs      it holds no version: DETAIL gives what differs from the newest as 'orvelctl\n"
    "               diff' prints it, the radio's value first, e.g. \"channel 2 rx: 225.500 ->\n"
    "               230.125\" (channel cells and settings; \"word 0x05: 0102 -> 0304\" or\n"
    "               \"image checksum: 5A -> 3C\" when no cell or setting shows the difference)\n"
    "  unreachable  the port cannot be opened or the radio does not answer: DETAIL says why\n"
    "  no plan      a --unit the library assigns no plan; it is not read\n"
    "  no port      its assignment names no port; it is not read\n"
    "  claimed elsewhere\n"
    "               another run holds it (see below); this one neither reads nor writes it\n\n"
    "  status        text: a line per unit in the library's order (or as --unit names them),\n"
    "                UNIT<TAB>PLAN<TAB>PORT<TAB>STATE<TAB>HOLDS<TAB>DETAIL, PLAN being the\n"
    "                newest NAME@VERSION, HOLDS the NAME@VERSION the radio holds, several\n"
    "                differences joined by \"; \"; then the summary, e.g. \"3 units: 1 in plan, 1\n"
    "                differs, 1 unreachable\" (each state that has units, in the order above).\n"
    "                json: an array of {\"unit\", \"plan\", \"port\", \"state\", \"holds\",\n"
    "                \"detail\", \"differences\": [{\"where\", \"field\", \"radio\", \"plan\"}]};\n"
    "                csv: the columns of text under a header; with either the summary goes\n"
    "                to stderr. While it runs stderr has \"orvelctl: K of N units checked\" as\n"
    "                each unit is done (on a terminal one line with a bar). Ctrl-C, SIGTERM\n"
    "                or SIGHUP starts no further read: the reads in progress end, the units\n"
    "                checked are printed and the summary says \"K of N units, stopped: ...\"\n"
    "  apply         as status, and each unit out of date or differing is written the newest\n"
    "                version of its plan there and then, over the connection of its read (a\n"
    "                radio that changed since a status is written only if it still differs),\n"
    "                with the verify on; the read is the write's before image, the write the\n"
    "                unit's record. The lines and the summary are those of status, the column\n"
    "                (\"result\" in json and csv) saying \"written\", \"failed\" with DETAIL the\n"
    "                write's failure as 'orvelctl write' names it, or with --dry-run \"would\n"
    "                write\" in place of the state of a unit that is written. A signal starts\n"
    "                no further unit and a write in progress is finished, never cut off (a\n"
    "                second Ctrl-C stops it at the next frame)\n\n"
    "Runs at the same time against the same records (the server of --record or Record=, which\n"
    "several benches share, or one bench's file) split the units between them: each unit is\n"
    "claimed there just before its read, and a unit another run holds is left to it. A run\n"
    "renews its claims every 40 s and a claim lasts 2 minutes, so a bench that dies holds its\n"
    "units 2 minutes at most. A run that ends frees the units it did not get to; those it\n"
    "read stay its own until their claims expire, so another run under way at the same time\n"
    "does not read them again (a run started later does). Where no claim can be made (the\n"
    "server cannot be reached, a user that may only read) stderr says so once and the run\n"
    "reads its units without claims.\n\n"
    "  --all         every unit of the library\n"
    "  --site S      the units of the site S (with --plan: of both)\n"
    "  --plan NAME   the units of the plan NAME\n"
    "  --unit UNIT   this unit; give it once per unit\n"
    "  --jobs N      ports at once, 1 to 256 (default 32), each a connection of its own\n"
    "  --format F    text (default), json or csv\n"
    "  --dry-run     apply: write nothing, say which units would be written\n"
    "  --safety-copy each read is also kept among the safety copies (...-read.dat) as\n"
    "                'orvelctl read' keeps it; the newest 200 copies stay, so a large fleet's\n"
    "                push out the older ones\n"
    "Exit codes: 0 when every unit selected is in plan (or written, or claimed elsewhere);\n"
    "otherwise the largest among the units: 5 out of date, differs or would write, 4 a port\n"
    "that cannot be opened, 3 no plan or no port (and no unit selected at all) or a write\n"
    "whose verify failed, 2 a radio that does not answer or a write cut short; 2 also for a\n"
    "library server that cannot be reached; 130, 143 or 129 after a signal.\n";

// status and apply: the selection, its reads (and writes) with their progress, the lines.
int RunUnits(const QStringList& arguments, FleetAction action, Context& c) {
    std::vector<QCommandLineOption> options = LibraryOptions(true);
    for (QCommandLineOption& option : SelectionOptions())
        options.push_back(std::move(option));
    options.push_back(ValueOption("format", "FORMAT"));
    if (action != FleetAction::Check)
        options.push_back(FlagOption("dry-run"));
    QCommandLineParser parser;
    if (int code =
            PrepareLibraryCommand(parser, kFleetCommandSynopsis, options, 0, "", arguments, c);
        code >= 0)
        return code;
    if (const std::string problem = SelectionProblem(parser); !problem.empty())
        return LibraryUsage(c, kFleetCommandSynopsis, problem);
    Format format;
    if (!ParseFormat(parser, true, format))
        return LibraryUsage(c, kFleetCommandSynopsis, "--format takes text, json or csv");
    if (action != FleetAction::Check && parser.isSet(QStringLiteral("dry-run")))
        action = FleetAction::DryRun;
    Library library;
    if (int code = OpenLibrary(parser, false, library, c); code >= 0)
        return code;
    FleetSelection selection;
    if (int code = SelectUnits(parser, library, selection, c); code >= 0)
        return code;
    if (selection.units.empty())
        return Fail(c, kExitData, library.store->Name() + ": no unit is selected");
    const WriteSignals stopLater;
    std::vector<UnitStatus> statuses;
    {
        FleetProgress progress(c.err, selection.units.size());
        statuses = CheckUnits(
            selection, library, action, [&](const UnitStatus&) { progress.Done(); }, c);
    }
    return PrintUnits(statuses, format, action, c);
}

}  // namespace

int RunFleetStatus(const QStringList& arguments, Context& c) {
    return RunUnits(arguments, FleetAction::Check, c);
}

int RunFleetApply(const QStringList& arguments, Context& c) {
    return RunUnits(arguments, FleetAction::Apply, c);
}

int RunFleetCommand(const QStringList& arguments, Context& c) {
    const QString sub = arguments.size() >= 2 ? arguments[1] : QString();
    if (sub == QLatin1String("status"))
        return RunFleetStatus(arguments.mid(1), c);
    if (sub == QLatin1String("apply"))
        return RunFleetApply(arguments.mid(1), c);
    if (sub == QLatin1String("--help") || sub == QLatin1String("-h")) {
        c.out << kFleetCommandSynopsis << '\n' << kFleetDetails << kLibraryHelp << std::flush;
        return kExitOk;
    }
    return LibraryUsage(c, kFleetCommandSynopsis, "fleet takes status or apply");
}

}  // namespace orvel::cli
