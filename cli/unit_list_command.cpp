// orvelctl unit list and unit export: the assignments, all or those of a site or a plan.
#include <sstream>

#include "file_access.h"
#include "plan_commands.h"
#include "table_output.h"

namespace orvel::cli {
namespace {

std::vector<QCommandLineOption> ListOptions() {
    std::vector<QCommandLineOption> options = LibraryOptions(false);
    options.push_back(ValueOption("site", "S"));
    options.push_back(ValueOption("plan", "NAME"));
    return options;
}

// The units the filters pick, as rows of `columns` (the first of unit, plan, port, site,
// assigned_utc, station, operator_name), or the exit code of a failure.
int Gather(const QCommandLineParser& parser, std::size_t columns, std::vector<TableRow>& rows,
           Context& c) {
    Library library;
    if (int code = OpenLibrary(parser, false, library, c); code >= 0)
        return code;
    std::vector<UnitAssignment> units;
    if (const Status listed = library.store
                                  ->Units(parser.value(QStringLiteral("site")).toStdString(),
                                          parser.value(QStringLiteral("plan")).toStdString())
                                  .Into(units);
        !listed)
        return library.Fail(c, listed.error());
    for (const UnitAssignment& u : units) {
        TableRow row{u.unit, u.plan, u.port, u.site, u.assignedUtc, u.station, u.operatorName};
        row.resize(columns);
        rows.push_back(std::move(row));
    }
    return -1;
}

const std::vector<TableColumn> kColumns{{"unit"},         {"plan"},    {"port"},         {"site"},
                                        {"assigned_utc"}, {"station"}, {"operator_name"}};
constexpr std::size_t kImportColumns = 4;

}  // namespace

int RunUnitList(const QStringList& arguments, Context& c) {
    std::vector<QCommandLineOption> options = ListOptions();
    options.push_back(ValueOption("format", "FORMAT"));
    QCommandLineParser parser;
    if (int code = PrepareLibraryCommand(parser, kUnitSynopsis, options, 0, "", arguments, c);
        code >= 0)
        return code;
    Format format;
    if (!ParseFormat(parser, true, format))
        return LibraryUsage(c, kUnitSynopsis, "--format takes text, json or csv");
    std::vector<TableRow> rows;
    if (int code = Gather(parser, kColumns.size(), rows, c); code >= 0)
        return code;
    PrintTable(c.out, format, kColumns, rows);
    return kExitOk;
}

int RunUnitExport(const QStringList& arguments, Context& c) {
    QCommandLineParser parser;
    if (int code =
            PrepareLibraryCommand(parser, kUnitSynopsis, ListOptions(), -1, "", arguments, c);
        code >= 0)
        return code;
    const QStringList files = parser.positionalArguments();
    const std::string path = files.isEmpty() ? std::string() : PathArgument(files.front());
    if (files.size() > 1 || (!files.isEmpty() && KindOf(path) != FileKind::Csv))
        return LibraryUsage(c, kUnitSynopsis, "export writes stdout or one FILE.csv");
    std::vector<TableRow> rows;
    if (int code = Gather(parser, kImportColumns, rows, c); code >= 0)
        return code;
    const std::vector<TableColumn> columns(kColumns.begin(), kColumns.begin() + kImportColumns);
    if (path.empty()) {
        PrintTable(c.out, Format::Csv, columns, rows);
        return kExitOk;
    }
    std::ostringstream text;
    PrintTable(text, Format::Csv, columns, rows);
    if (std::string error; !WritableTarget(path, error) ||
                           !WriteFileAtomically(path, text.str(), error, Readers::Owner))
        return Fail(c, kExitData, path + ": " + error);
    return kExitOk;
}

}  // namespace orvel::cli
