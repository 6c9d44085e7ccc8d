// What the fleet commands print: the progress on stderr, a line (or object) per unit, the
// summary.
#include <cstdio>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "fleet_units.h"
#include "record_view.h"
#include "table_output.h"
#include "write_signals.h"

namespace orvel::cli {
namespace {

constexpr int kBarWidth = 30;

}  // namespace

FleetProgress::FleetProgress(std::ostream& err, std::size_t total) : err_(err), total_(total) {
#ifdef _WIN32
    const bool terminal = _isatty(2) != 0;
#else
    const bool terminal = ::isatty(2) == 1;
#endif
    bar_ = terminal && &err == &std::cerr;
}

FleetProgress::~FleetProgress() {
    if (bar_ && done_ > 0)
        err_ << '\n' << std::flush;
}

void FleetProgress::Done() {
    ++done_;
    const std::string count =
        std::to_string(done_) + " of " + std::to_string(total_) + " units checked";
    if (!bar_) {
        err_ << "orvelctl: " << count << '\n' << std::flush;
        return;
    }
    const auto filled = static_cast<int>(kBarWidth * done_ / total_);
    err_ << '\r' << "orvelctl: " << '[' << std::string(filled, '#')
         << std::string(kBarWidth - filled, '.') << "] " << count << std::flush;
}

namespace {

std::string Detail(const UnitStatus& status) {
    if (!status.reason.empty())
        return status.reason;
    std::string text;
    for (const ConfigDifference& difference : status.differences)
        text += (text.empty() ? "" : "; ") + DifferenceLine(difference);
    return text;
}

// "3 units: 1 in plan, 1 differs, 1 unreachable", or after a stop "2 of 3 units, stopped: ...":
// each result that units have, in a fixed order.
std::string Summary(const std::vector<UnitStatus>& statuses) {
    static const char* const kOrder[] = {
        "in plan", "written",     "would write", "failed",  "out of date",
        "differs", "unreachable", "no plan",     "no port", "claimed elsewhere"};
    std::map<std::string, std::size_t> counts;
    std::size_t checked = 0;
    for (const UnitStatus& status : statuses) {
        if (status.checked) {
            ++counts[std::string(ResultWords(status))];
            ++checked;
        }
    }
    const std::size_t total = statuses.size();
    std::string text = checked == total ? std::to_string(total) + (total == 1 ? " unit" : " units")
                                        : std::to_string(checked) + " of " + std::to_string(total) +
                                              " units, stopped";
    const char* separator = ": ";
    for (const char* result : kOrder) {
        if (const auto it = counts.find(result); it != counts.end()) {
            text += separator + std::to_string(it->second) + " " + result;
            separator = ", ";
        }
    }
    return text;
}

void Print(std::ostream& out, Format format, const char* column,
           const std::vector<UnitStatus>& statuses) {
    if (format == Format::Json) {
        nlohmann::ordered_json array = nlohmann::ordered_json::array();
        for (const UnitStatus& status : statuses) {
            if (!status.checked)
                continue;
            nlohmann::ordered_json differences = nlohmann::ordered_json::array();
            for (const ConfigDifference& d : status.differences)
                differences.push_back(
                    {{"where", d.where}, {"field", d.field}, {"radio", d.a}, {"plan", d.b}});
            array.push_back({{"unit", status.unit.unit},
                             {"plan", status.plan},
                             {"port", status.unit.port},
                             {column, std::string(ResultWords(status))},
                             {"holds", status.holds},
                             {"detail", Detail(status)},
                             {"differences", std::move(differences)}});
        }
        out << JsonText(array) << std::flush;
        return;
    }
    const std::vector<TableColumn> columns{{"unit"}, {"plan"},  {"port"},
                                           {column}, {"holds"}, {"detail"}};
    std::vector<TableRow> rows;
    for (const UnitStatus& status : statuses) {
        if (status.checked)
            rows.push_back({status.unit.unit, status.plan, status.unit.port,
                            std::string(ResultWords(status)), status.holds, Detail(status)});
    }
    PrintTable(out, format, columns, rows);
}

}  // namespace

int PrintUnits(const std::vector<UnitStatus>& statuses, Format format, FleetAction action,
               Context& c) {
    Print(c.out, format, action == FleetAction::Check ? "state" : "result", statuses);
    (format == Format::Text ? c.out : c.err) << Summary(statuses) << '\n' << std::flush;
    int exit = kExitOk;
    for (const UnitStatus& status : statuses)
        exit = std::max(exit, UnitExit(status));
    return WriteSignals::ExitCode(exit);
}

}  // namespace orvel::cli
