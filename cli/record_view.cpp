#include "record_view.h"

#include <cstdio>
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
    if (r.exitClass == ExitClass::Ok)
        return r.verified ? "verified" : "ok";
    return "failed (" + Text(r.exitClass) + "): " + r.outcome;
}

}  // namespace

std::string RecordLine(const ProgrammingRecord& r) {
    return Shown(r.startedUtc) + "\t" + Shown(r.id) + "\t" + Shown(Text(r.action)) + "\t" +
           Shown(r.unit) + "\t" + Shown(r.radioId) + "\t" + Shown(r.planFile) + "\t" +
           EscapeControls(Result(r));
}

std::string JsonText(const nlohmann::ordered_json& value) {
    const std::string text =
        value.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
    // JSON leaves DEL and C1 controls (U+0080..U+009F) as they are; a terminal may obey them.
    // They only occur inside strings, where \u escapes mean the same.
    std::string shown;
    char escape[8];
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto c = static_cast<unsigned char>(text[at]);
        const auto next = at + 1 < text.size() ? static_cast<unsigned char>(text[at + 1]) : 0;
        if (c == 0x7F || (c == 0xC2 && next >= 0x80 && next <= 0x9F)) {
            std::snprintf(escape, sizeof escape, "\\u%04x", c == 0x7F ? c : next);
            shown += escape;
            at += c == 0x7F ? 0 : 1;
        } else {
            shown += text[at];
        }
    }
    return shown;
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
    return JsonText(array);
}

std::string RecordText(const ProgrammingRecord& r) {
    const std::pair<const char*, std::string> lines[] = {
        {"id", Shown(r.id)},
        {"started", Shown(r.startedUtc)},
        {"ended", Shown(r.endedUtc)},
        {"station", Shown(r.station)},
        {"operator", Shown(r.operatorName)},
        {"program", EscapeControls(r.program + " " + r.version)},
        {"action", Shown(Text(r.action))},
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
