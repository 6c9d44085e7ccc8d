// orvelctl plan show: one version of a plan, and what changed from the version before.
#include <nlohmann/json.hpp>

#include "diff_command.h"
#include "echo_text.h"
#include "plan_commands.h"
#include "record_view.h"
#include "transfer.h"

namespace orvel::cli {

int RunPlanShow(const QStringList& arguments, Context& c) {
    QCommandLineParser parser;
    if (int code = PrepareNamedPlanCommand(parser, ValueOption("format", "FORMAT"), arguments, c);
        code >= 0)
        return code;
    Format format;
    if (!ParseFormat(parser, true, format))
        return LibraryUsage(c, kPlanSynopsis, "--format takes text, json or csv");
    Library library;
    PlanVersion plan;
    if (int code = OpenNamedPlan(parser, library, plan, c); code >= 0)
        return code;
    const FrequencyLimits limits = Limits(library.config);
    const DecodedImage decoded = DecodeAsShown(plan.image, DecodeSource::FromFile, limits);
    if (format == Format::Csv) {
        c.out << Render(format, plan.image, decoded) << std::flush;
        return kExitOk;
    }
    std::optional<std::vector<ConfigDifference>> changes;
    if (plan.version > 1) {
        PlanVersion before;
        if (int code =
                FetchPlan(library, plan.name + "@" + std::to_string(plan.version - 1), before, c);
            code >= 0)
            return code;
        changes = CompareConfigurations(Compared(before.image, DecodeSource::FromFile, limits),
                                        Compared(plan.image, DecodeSource::FromFile, limits));
    }
    const std::pair<const char*, std::string> fields[] = {
        {"name", plan.name},       {"version", std::to_string(plan.version)},
        {"sha256", plan.sha256},   {"added_utc", plan.addedUtc},
        {"station", plan.station}, {"operator_name", plan.operatorName},
        {"note", plan.note},
    };
    if (format == Format::Json) {
        nlohmann::ordered_json shown;
        for (const auto& [name, value] : fields)
            shown[name] = value;
        shown["version"] = plan.version;
        shown["configuration"] = nlohmann::ordered_json::parse(ImageToJson(plan.image, decoded));
        shown["differences"] =
            changes ? nlohmann::ordered_json::parse(DifferencesJson(*changes))["differences"]
                    : nlohmann::ordered_json(nullptr);
        c.out << JsonText(shown) << std::flush;
        return kExitOk;
    }
    for (const auto& [name, value] : fields)
        c.out << name << ": " << (value.empty() ? "-" : EscapeControls(value)) << '\n';
    c.out << '\n' << Render(format, plan.image, decoded) << '\n';
    if (!changes) {
        c.out << "changes: none, the first version\n";
    } else {
        c.out << "changes from version " << plan.version - 1 << ":"
              << (changes->empty() ? " none" : "") << '\n';
        PrintDifferences(c.out, Format::Text, *changes);
    }
    c.out.flush();
    return kExitOk;
}

}  // namespace orvel::cli
