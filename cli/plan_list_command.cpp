// orvelctl plan list: each plan with its newest version and how many units hold it.
#include "plan_commands.h"
#include "table_output.h"

namespace orvel::cli {

int RunPlanList(const QStringList& arguments, Context& c) {
    std::vector<QCommandLineOption> options = LibraryOptions(false);
    options.push_back(ValueOption("format", "FORMAT"));
    QCommandLineParser parser;
    if (int code = PrepareLibraryCommand(parser, kPlanSynopsis, options, 0, "", arguments, c);
        code >= 0)
        return code;
    Format format;
    if (!ParseFormat(parser, true, format))
        return LibraryUsage(c, kPlanSynopsis, "--format takes text, json or csv");
    Library library;
    if (int code = OpenLibrary(parser, false, library, c); code >= 0)
        return code;
    std::vector<PlanSummary> plans;
    if (const Status listed = library.store->Plans().Into(plans); !listed)
        return library.Fail(c, listed.error());
    std::vector<TableRow> rows;
    for (const PlanSummary& plan : plans) {
        rows.push_back({plan.name, std::to_string(plan.newest), std::to_string(plan.assigned),
                        std::to_string(plan.holding), plan.addedUtc, plan.newestSha256});
    }
    PrintTable(c.out, format,
               {{"name"},
                {"newest", true},
                {"assigned", true},
                {"holding", true},
                {"added_utc"},
                {"sha256"}},
               rows);
    return kExitOk;
}

}  // namespace orvel::cli
