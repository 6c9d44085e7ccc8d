// Programming records as `orvelctl record` prints them: a line each, JSON or CSV, and one
// record whole. Text shows every field escaped (EscapeControls); JSON carries them as stored,
// every control character as a \u escape; CSV as RecordsCsv writes them.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "programming_record.h"
#include "record_columns.h"

namespace orvel::cli {

// STARTED<TAB>ID<TAB>ACTION<TAB>UNIT<TAB>RADIO<TAB>PLAN<TAB>RESULT, "-" for an empty field.
std::string RecordLine(const ProgrammingRecord& record);
std::string RecordsJson(const std::vector<ProgrammingRecord>& records);
// `value` indented, with a line end.
std::string JsonText(const nlohmann::ordered_json& value);
// "field: value" lines.
std::string RecordText(const ProgrammingRecord& record);

}  // namespace orvel::cli
