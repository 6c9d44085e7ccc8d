#include "table_output.h"

#include <nlohmann/json.hpp>

#include "echo_text.h"
#include "record_columns.h"
#include "record_view.h"

namespace orvel::cli {

void PrintTable(std::ostream& out, Format format, const std::vector<TableColumn>& columns,
                const std::vector<TableRow>& rows) {
    if (format == Format::Json) {
        nlohmann::ordered_json array = nlohmann::ordered_json::array();
        for (const TableRow& row : rows) {
            nlohmann::ordered_json object;
            for (std::size_t i = 0; i < columns.size(); ++i) {
                if (columns[i].number)
                    object[columns[i].name] = std::stoll(row[i]);
                else
                    object[columns[i].name] = row[i];
            }
            array.push_back(std::move(object));
        }
        out << JsonText(array) << std::flush;
        return;
    }
    const bool csv = format == Format::Csv;
    const std::string separator = csv ? "," : "\t";
    const std::string end = csv ? "\r\n" : "\n";
    if (csv) {
        for (std::size_t i = 0; i < columns.size(); ++i)
            out << (i == 0 ? "" : separator) << columns[i].name;
        out << end;
    }
    for (const TableRow& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            out << (i == 0 ? "" : separator)
                << (csv              ? CsvCell(row[i])
                    : row[i].empty() ? std::string("-")
                                     : EscapeControls(row[i]));
        }
        out << end;
    }
    out.flush();
}

}  // namespace orvel::cli
