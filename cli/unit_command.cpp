// orvelctl unit: what each unit (a radio, by its label) should hold.
#include "command_list.h"
#include "echo_text.h"
#include "plan_commands.h"
#include "port_name.h"
#include "unit_labels.h"

namespace orvel::cli {

const char* const kUnitSynopsis =
    "usage: orvelctl unit assign UNIT... --plan NAME [--port DEV] [--site TEXT]\n"
    "                            [--operator NAME] [--record URL] [--config INI]\n"
    "       orvelctl unit import FILE.csv [--operator NAME] [--record URL] [--config INI]\n"
    "       orvelctl unit list [--site S] [--plan NAME] [--format text|json|csv]\n"
    "                          [--record URL] [--config INI]\n"
    "       orvelctl unit show UNIT [--format text|json] [--record URL] [--config INI]\n"
    "       orvelctl unit export [FILE.csv] [--site S] [--plan NAME] [--record URL]\n"
    "                            [--config INI]\n";

namespace {

constexpr const char* kUnitDetails =
    "What each unit (a radio, by its label) should hold: a plan of the library ('orvelctl\n"
    "plan') by its name, so the name's newest version. A new version makes the units of its\n"
    "plan out of date until they are written again ('orvelctl write --assigned'). Kept with\n"
    "the programming records, as the plans are. A label, a site and an operator take at most\n"
    "200 bytes and no control characters; a unit is never called ask.\n\n"
    "  assign UNIT...  assign each UNIT the plan --plan NAME, which the library must have,\n"
    "                  with where it is reached (--port) and its site (--site); a unit\n"
    "                  assigned before takes the new assignment. Prints UNIT<TAB>NAME@VERSION\n"
    "                  (the version it should hold now) for each\n"
    "  import FILE.csv the assignments of a CSV file whose first line is unit,plan,port,site\n"
    "                  (commas or semicolons; a ' before = + - @ as 'unit export' writes it\n"
    "                  is dropped), all or none: a bad row (a label or name that is none, a\n"
    "                  plan the library does not have, a unit twice, not four cells) is named\n"
    "                  by its line and nothing of the file is taken (exit 3). Prints what\n"
    "                  assign prints\n"
    "  list            the units, sorted by label: UNIT<TAB>PLAN<TAB>PORT<TAB>SITE<TAB>ASSIGNED\n"
    "                  (UTC)<TAB>STATION<TAB>OPERATOR\n"
    "  show UNIT       its assignment, its plan's newest version and SHA-256, whether it holds\n"
    "                  it (state: holds, out of date, not written: its latest verified write\n"
    "                  is of that SHA-256, of another, or there is none), then its\n"
    "                  programming records, newest first, as 'record list --unit UNIT' prints\n"
    "                  them\n"
    "  export          the assignments as CSV in the columns import takes, to FILE.csv or\n"
    "                  stdout; a cell a spreadsheet would run as a formula (= + - @, a tab or\n"
    "                  CR first) starts with a '\n\n"
    "  --plan NAME     assign: the plan; list, export: only the units of this plan\n"
    "  --port DEV      assign: where the unit is reached, a port as 'write --port' names it\n"
    "  --site TEXT     assign: the unit's site; list, export: only the units of this site\n"
    "  --format F      list: text (default), json or csv; show: text or json\n";

}  // namespace

int RunUnit(const QStringList& arguments, Context& c) {
    const QString sub = arguments.size() >= 2 ? arguments[1] : QString();
    const QStringList rest = arguments.mid(1);
    if (sub == QLatin1String("assign"))
        return RunUnitAssign(rest, c);
    if (sub == QLatin1String("import"))
        return RunUnitImport(rest, c);
    if (sub == QLatin1String("list"))
        return RunUnitList(rest, c);
    if (sub == QLatin1String("show"))
        return RunUnitShow(rest, c);
    if (sub == QLatin1String("export"))
        return RunUnitExport(rest, c);
    if (sub == QLatin1String("--help") || sub == QLatin1String("-h")) {
        c.out << kUnitSynopsis << '\n' << kUnitDetails << kLibraryHelp << std::flush;
        return kExitOk;
    }
    return LibraryUsage(c, kUnitSynopsis, "unit takes assign, import, list, show or export");
}

std::string AssignmentFault(const UnitAssignment& unit) {
    if (const std::string fault = UnitLabelFault(unit.unit); !fault.empty())
        return "the unit \"" + EchoText(unit.unit) + "\" " + fault;
    if (const Status named = CheckPlanName(unit.plan); !named)
        return "the plan: " + named.error();
    if (const std::string problem = unit.port.empty() ? "" : PortNameProblem(unit.port);
        !problem.empty())
        return "the port " + EchoText(unit.port) + ": " + problem;
    if (const std::string fault = LabelFaultText(unit.site); !fault.empty())
        return "the site " + fault;
    return {};
}

int Assign(Library& library, std::vector<UnitAssignment>& units, Context& c) {
    for (UnitAssignment& unit : units) {
        unit.station = library.settings.station;
        unit.operatorName = library.settings.operatorName;
    }
    if (const Status assigned = library.store->Assign(units); !assigned)
        return library.Fail(c, assigned.error());
    std::map<std::string, PlanVersion> newest;
    for (const UnitAssignment& unit : units) {
        auto [it, fresh] = newest.try_emplace(unit.plan);
        if (int code = fresh ? FetchPlan(library, unit.plan, it->second, c) : -1; code >= 0)
            return code;
        c.out << EscapeControls(unit.unit) << '\t' << EscapeControls(PlanLabel(it->second)) << '\n';
    }
    c.out.flush();
    return kExitOk;
}

}  // namespace orvel::cli
