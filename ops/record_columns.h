// A programming record's columns in the database's order and names, and the CSV both programs
// export: a header of those names, then a row per record, the images in hexadecimal; a cell
// that a spreadsheet would take for a formula (= + - @ tab CR first) starts with a quote.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "programming_record.h"

namespace orvel {

std::vector<std::pair<const char*, std::string>> RecordColumns(const ProgrammingRecord& record);
std::string RecordsCsv(const std::vector<ProgrammingRecord>& records);
// One cell of that CSV: quoted where it must be, a quote first where a spreadsheet would run it.
std::string CsvCell(std::string text);

}  // namespace orvel
