// Programming records as `orvelctl record` prints them: a line each, JSON or CSV, and one
// record whole. Text shows names from outside escaped; JSON and CSV carry them as stored.
#pragma once

#include <string>
#include <vector>

#include "programming_record.h"
#include "record_columns.h"

namespace orvel::cli {

// STARTED<TAB>ID<TAB>ACTION<TAB>UNIT<TAB>RADIO<TAB>PLAN<TAB>RESULT, "-" for an empty field.
std::string RecordLine(const ProgrammingRecord& record);
std::string RecordsJson(const std::vector<ProgrammingRecord>& records);
// "field: value" lines.
std::string RecordText(const ProgrammingRecord& record);

}  // namespace orvel::cli
