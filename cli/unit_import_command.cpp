// orvelctl unit import: the assignments of a CSV file, all or none.
#include <algorithm>
#include <set>

#include "channel_file.h"
#include "csv_cells.h"
#include "echo_text.h"
#include "plan_commands.h"

namespace orvel::cli {
namespace {

const CellRecord kHeader{"unit", "plan", "port", "site"};

// The cell as it was before an export kept a spreadsheet from running it.
std::string Unguarded(std::string cell) {
    if (cell.size() >= 2 && cell.front() == '\'' &&
        std::string_view("=+-@\t\r").find(cell[1]) != std::string_view::npos)
        cell.erase(0, 1);
    return cell;
}

struct Row {
    int line = 0;
    UnitAssignment unit;
};

// The file's rows with their line numbers, or the reason (with its line) they are not.
std::string ReadRows(const std::string& text, std::vector<Row>& rows) {
    std::string_view rest = text;
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    const SeparatorCount count = CountSeparators(rest.substr(0, rest.find_first_of("\r\n")));
    const char separator = count.semicolons > count.commas ? ';' : ',';
    int line = 1;
    for (std::size_t pos = 0; pos < rest.size();) {
        const std::size_t start = pos;
        CellRecord cells;
        std::string reason;
        if (!ReadRecord(rest, pos, separator, Quoting::Strict, cells, reason))
            return "line " + std::to_string(line) + ": " + reason;
        const int at = line;
        line += static_cast<int>(std::count(rest.begin() + static_cast<std::ptrdiff_t>(start),
                                            rest.begin() + static_cast<std::ptrdiff_t>(pos), '\n'));
        if (at == 1) {
            if (cells != kHeader)
                return "line 1: the first line must be unit,plan,port,site";
            continue;
        }
        if (std::all_of(cells.begin(), cells.end(), [](const auto& cell) { return cell.empty(); }))
            continue;
        if (cells.size() != kHeader.size())
            return "line " + std::to_string(at) + ": " + std::to_string(cells.size()) +
                   " cells, not 4";
        rows.push_back({at, Assignment(Unguarded(cells[0]), Unguarded(cells[1]),
                                       Unguarded(cells[2]), Unguarded(cells[3]))});
    }
    return rows.empty() ? "no units in it" : "";
}

}  // namespace

int RunUnitImport(const QStringList& arguments, Context& c) {
    QCommandLineParser parser;
    if (int code = PrepareLibraryCommand(parser, kUnitSynopsis, LibraryOptions(true), 1,
                                         "one FILE.csv", arguments, c);
        code >= 0)
        return code;
    const std::string path = PathArgument(parser.positionalArguments().front());
    if (KindOf(path) != FileKind::Csv)
        return LibraryUsage(c, kUnitSynopsis, "import takes a .csv file, not '" + path + "'");
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(path, bytes, error))
        return Fail(c, kExitData, path + ": " + error);
    std::vector<Row> rows;
    const auto refuse = [&](const std::string& why) {
        return Fail(c, kExitData, path + " " + why + "; nothing of the file is taken");
    };
    if (const std::string why = ReadRows(std::string(bytes.begin(), bytes.end()), rows);
        !why.empty())
        return refuse(why);
    std::map<std::string, int> lines;
    for (const Row& row : rows) {
        const std::string where = "line " + std::to_string(row.line) + ": ";
        if (const std::string fault = AssignmentFault(row.unit); !fault.empty())
            return refuse(where + fault);
        if (const auto [it, fresh] = lines.emplace(row.unit.unit, row.line); !fresh) {
            return refuse(where + "the unit " + EchoText(row.unit.unit) + " is on line " +
                          std::to_string(it->second) + " already");
        }
    }
    Library library;
    if (int code = OpenLibrary(parser, true, library, c); code >= 0)
        return code;
    // The library is asked for each plan here, so an unknown one is named by its line.
    std::set<std::string> known;
    for (const Row& row : rows) {
        if (known.contains(row.unit.plan))
            continue;
        if (const auto plan = library.store->Plan(row.unit.plan); !plan)
            return refuse("line " + std::to_string(row.line) + ": " + plan.error());
        known.insert(row.unit.plan);
    }
    std::vector<UnitAssignment> units;
    for (const Row& row : rows)
        units.push_back(row.unit);
    return Assign(library, units, c);
}

}  // namespace orvel::cli
