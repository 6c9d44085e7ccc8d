#include "record_view.h"

#include <nlohmann/json.hpp>
#include <utility>

#include "echo_text.h"
#include "record_columns.h"

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

}  // namespace

std::string RecordLine(const ProgrammingRecord& r) {
    return r.startedUtc + "\t" + r.id + "\t" + r.action + "\t" + Shown(r.unit) + "\t" +
           Shown(r.radioId) + "\t" + Shown(r.planFile) + "\t" + EscapeControls(Result(r));
}

std::string RecordsJson(const std::vector<ProgrammingRecord>& records) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const ProgrammingRecord& r : records) {
        nlohmann::ordered_json object;
        for (const auto& [name, value] : RecordColumns(r)) {
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
