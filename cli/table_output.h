// A listing of plans or units as orvelctl prints it: a line of tab-separated fields each (text,
// "-" for an empty one, controls written out), a JSON array of objects, or CSV whose first row
// names the columns, each cell safe from a spreadsheet's formulas as the records' CSV is.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "command_support.h"

namespace orvel::cli {

struct TableColumn {
    const char* name;
    bool number = false;  // a whole number in JSON
};

using TableRow = std::vector<std::string>;

void PrintTable(std::ostream& out, Format format, const std::vector<TableColumn>& columns,
                const std::vector<TableRow>& rows);

}  // namespace orvel::cli
