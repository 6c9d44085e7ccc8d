#include "record_columns.h"

#include <cstdio>
#include <string_view>

namespace orvel {
namespace {

std::string HexOf(const std::optional<MemoryImage>& image) {
    std::string text;
    if (!image)
        return text;
    char pair[3];
    for (const std::uint8_t byte : *image) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

}  // namespace

std::string CsvCell(std::string text) {
    // A spreadsheet runs a cell that starts so as a formula (=HYPERLINK(...) as a unit label); a
    // quote first keeps it text, and readable.
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string::npos)
        text.insert(0, 1, '\'');
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string cell = "\"";
    for (const char c : text) {
        if (c == '"')
            cell += '"';
        cell += c;
    }
    return cell + "\"";
}

std::vector<std::pair<const char*, std::string>> RecordColumns(const ProgrammingRecord& r) {
    return {{"id", r.id},
            {"started_utc", r.startedUtc},
            {"ended_utc", r.endedUtc},
            {"station", r.station},
            {"operator_name", r.operatorName},
            {"program", r.program},
            {"program_version", r.version},
            {"action", Text(r.action)},
            {"port", r.port},
            {"radio_id", r.radioId},
            {"unit", r.unit},
            {"plan_file", r.planFile},
            {"plan_sha256", r.planSha256},
            {"outcome", r.outcome},
            {"exit_class", Text(r.exitClass)},
            {"verified", r.verified ? "1" : "0"},
            {"before_image", HexOf(r.before)},
            {"after_image", HexOf(r.after)}};
}

std::string RecordsCsv(const std::vector<ProgrammingRecord>& records) {
    std::string text;
    bool first = true;
    for (const auto& [name, value] : RecordColumns(ProgrammingRecord{})) {
        text += (first ? "" : ",") + std::string(name);
        first = false;
    }
    text += "\r\n";
    for (const ProgrammingRecord& r : records) {
        first = true;
        for (const auto& [name, value] : RecordColumns(r)) {
            text += (first ? "" : ",") + CsvCell(value);
            first = false;
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace orvel
