#include "record_view.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <utility>

#include "echo_text.h"

namespace orvel::cli {
namespace {

std::string Shown(const std::string& text) {
    return text.empty() ? std::string("-") : EscapeControls(text);
}

std::string Result(const ProgrammingRecord& r) {
    if (r.exitClass == "ok")
        return r.verified ? "verified" : "ok";
    return "failed (" + r.exitClass + "): " + r.outcome;
}

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

// The columns in the database's order and names.
std::vector<std::pair<const char*, std::string>> Fields(const ProgrammingRecord& r) {
    return {{"id", r.id},
            {"started_utc", r.startedUtc},
            {"ended_utc", r.endedUtc},
            {"station", r.station},
            {"operator_name", r.operatorName},
            {"program", r.program},
            {"program_version", r.version},
            {"action", r.action},
            {"port", r.port},
            {"radio_id", r.radioId},
            {"unit", r.unit},
            {"plan_file", r.planFile},
            {"plan_sha256", r.planSha256},
            {"outcome", r.outcome},
            {"exit_class", r.exitClass},
            {"verified", r.verified ? "1" : "0"},
            {"before_image", HexOf(r.before)},
            {"after_image", HexOf(r.after)}};
}

std::string CsvCell(const std::string& text) {
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

}  // namespace

std::string RecordLine(const ProgrammingRecord& r) {
    return r.startedUtc + "\t" + r.id + "\t" + r.action + "\t" + Shown(r.unit) + "\t" +
           Shown(r.radioId) + "\t" + Shown(r.planFile) + "\t" + EscapeControls(Result(r));
}

std::string RecordsJson(const std::vector<ProgrammingRecord>& records) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const ProgrammingRecord& r : records) {
        nlohmann::ordered_json object;
        for (const auto& [name, value] : Fields(r)) {
            const std::string key = name;
            if (key == "verified")
                object[key] = r.verified;
            else if (value.empty() && key != "outcome")
                object[key] = nullptr;
            else
                object[key] = value;
        }
        array.push_back(std::move(object));
    }
    return array.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string RecordsCsv(const std::vector<ProgrammingRecord>& records) {
    std::string text;
    bool first = true;
    for (const auto& [name, value] : Fields(ProgrammingRecord{})) {
        text += (first ? "" : ",") + std::string(name);
        first = false;
    }
    text += "\r\n";
    for (const ProgrammingRecord& r : records) {
        first = true;
        for (const auto& [name, value] : Fields(r)) {
            text += (first ? "" : ",") + CsvCell(value);
            first = false;
        }
        text += "\r\n";
    }
    return text;
}

std::string RecordText(const ProgrammingRecord& r) {
    const std::pair<const char*, std::string> lines[] = {
        {"id", r.id},
        {"started", r.startedUtc},
        {"ended", r.endedUtc},
        {"station", Shown(r.station)},
        {"operator", Shown(r.operatorName)},
        {"program", EscapeControls(r.program + " " + r.version)},
        {"action", r.action},
        {"port", Shown(r.port)},
        {"radio", Shown(r.radioId)},
        {"unit", Shown(r.unit)},
        {"plan", Shown(r.planFile)},
        {"plan sha256", Shown(r.planSha256)},
        {"result", EscapeControls(Result(r))},
        {"before", r.before ? "read" : "not read"},
        {"after", r.after ? "read" : "not read"},
    };
    std::string text;
    for (const auto& [name, value] : lines)
        text += std::string(name) + ": " + value + "\n";
    return text;
}

}  // namespace orvel::cli
