// orvelctl unit show: what a unit should hold, whether it does, and what was done to it.
#include <nlohmann/json.hpp>

#include "echo_text.h"
#include "plan_commands.h"
#include "record_view.h"

namespace orvel::cli {
namespace {

// Whether the unit holds its plan: its latest verified write says, not any later read.
std::string State(const std::vector<ProgrammingRecord>& records, const PlanVersion& plan) {
    for (const ProgrammingRecord& record : records) {
        if (record.action == RecordAction::Write && record.verified)
            return record.planSha256 == plan.sha256 ? "holds" : "out of date";
    }
    return "not written";
}

}  // namespace

int RunUnitShow(const QStringList& arguments, Context& c) {
    std::vector<QCommandLineOption> options = LibraryOptions(false);
    options.push_back(ValueOption("format", "FORMAT"));
    QCommandLineParser parser;
    if (int code =
            PrepareLibraryCommand(parser, kUnitSynopsis, options, 1, "one UNIT", arguments, c);
        code >= 0)
        return code;
    Format format;
    if (!ParseFormat(parser, false, format))
        return LibraryUsage(c, kUnitSynopsis, "--format takes text or json");
    Library library;
    if (int code = OpenLibrary(parser, false, library, c); code >= 0)
        return code;
    const std::string unit = parser.positionalArguments().front().toStdString();
    std::optional<UnitAssignment> assignment;
    if (const Status found = library.store->Unit(unit).Into(assignment); !found)
        return library.Fail(c, found.error());
    RecordFilter filter;
    filter.unit = unit;
    std::vector<ProgrammingRecord> records;
    if (const Status read = library.store->Query(filter, format == Format::Json).Into(records);
        !read)
        return library.Fail(c, read.error());
    PlanVersion plan;
    if (assignment) {
        if (int code = FetchPlan(library, assignment->plan, plan, c); code >= 0)
            return code;
    }
    const UnitAssignment shown = assignment.value_or(Assignment(unit, {}));
    const std::pair<const char*, std::string> fields[] = {
        {"unit", shown.unit},
        {"plan", shown.plan},
        {"plan_version", assignment ? std::to_string(plan.version) : std::string()},
        {"plan_sha256", plan.sha256},
        {"state", assignment ? State(records, plan) : std::string()},
        {"port", shown.port},
        {"site", shown.site},
        {"assigned_utc", shown.assignedUtc},
        {"station", shown.station},
        {"operator_name", shown.operatorName},
    };
    if (format == Format::Json) {
        nlohmann::ordered_json object;
        for (const auto& [name, value] : fields)
            object[name] =
                value.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(value);
        object["records"] = nlohmann::ordered_json::parse(RecordsJson(records));
        c.out << JsonText(object) << std::flush;
        return kExitOk;
    }
    for (const auto& [name, value] : fields)
        c.out << name << ": " << (value.empty() ? "-" : EscapeControls(value)) << '\n';
    c.out << "records: " << records.size() << '\n';
    for (const ProgrammingRecord& record : records)
        c.out << RecordLine(record) << '\n';
    c.out.flush();
    return kExitOk;
}

}  // namespace orvel::cli
