#include "plan_library.h"

#include <charconv>

#include "echo_text.h"

namespace orvel {

std::string PlanLabel(const PlanVersion& plan) {
    return plan.name + "@" + std::to_string(plan.version);
}

Result<PlanReference> ParsePlanReference(const std::string& text) {
    const std::size_t at = text.rfind('@');
    PlanReference reference{text.substr(0, at), 0};
    if (at != std::string::npos) {
        const std::string number = text.substr(at + 1);
        const char* const end = number.data() + number.size();
        const auto [stop, fault] = std::from_chars(number.data(), end, reference.version);
        if (number.empty() || stop != end || fault != std::errc() || reference.version < 1) {
            return Failure{"\"" + EchoText(text) +
                           "\" is no plan: give NAME or NAME@VERSION (a version is 1, 2, ...)"};
        }
    }
    if (const Status named = CheckPlanName(reference.name); !named)
        return Failure{named.error()};
    return reference;
}

Status CheckPlanName(const std::string& name) {
    if (name.empty())
        return Failure{"a name is empty"};
    // The same bounds as any label that ends up in the records.
    if (const std::string fault = LabelFaultText(name); !fault.empty())
        return Failure{"the name \"" + EchoText(name) + "\" " + fault};
    return {};
}

}  // namespace orvel
