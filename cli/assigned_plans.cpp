#include "assigned_plans.h"

#include "command_support.h"
#include "echo_text.h"
#include "radio_operations.h"

namespace orvel::cli {

AssignedPlans::AssignedPlans(RecordPlace place, Configuration config)
    : place_(std::move(place)), config_(std::move(config)) {}
AssignedPlans::~AssignedPlans() = default;

int AssignedPlans::For(const std::string& unit, PlanToWrite& plan, std::string& reason) {
    if (const auto kept = units_.find(unit); kept != units_.end()) {
        plan = kept->second;
        return -1;
    }
    const int code = Look(unit, plan, reason);
    if (code < 0)
        units_.emplace(unit, plan);
    else
        reason = "unit " + EchoText(unit) + ": " + reason + "; nothing is written";
    return code;
}

void AssignedPlans::Fetch(const std::vector<std::string>& units) {
    PlanToWrite plan;
    std::string reason;
    for (const std::string& unit : units) {
        if (For(unit, plan, reason) == kExitLink)
            break;
    }
    Close();
}

int AssignedPlans::Look(const std::string& unit, PlanToWrite& plan, std::string& reason) {
    const auto unreachable = [&](const std::string& why) {
        // A connection that failed is made afresh for the next unit.
        store_.reset();
        reason = "cannot get the plan: " + why;
        return place_.server ? int(kExitLink) : int(kExitData);
    };
    if (!store_) {
        auto opened = place_.server ? RecordStore::OpenServer(*place_.server)
                                    : RecordStore::OpenFile(place_.localFile, false);
        if (const Status status = opened.Into(store_); !status)
            return unreachable(status.error());
    }
    std::optional<UnitAssignment> assignment;
    if (const Status found = store_->Unit(unit).Into(assignment); !found)
        return unreachable(store_->Name() + ": " + found.error());
    if (!assignment) {
        reason = "no plan is assigned to it";
        return kExitData;
    }
    auto known = plans_.find(assignment->plan);
    if (known == plans_.end()) {
        PlanVersion version;
        if (const Status got = store_->Plan(assignment->plan).Into(version); !got) {
            reason = "cannot get the plan: " + store_->Name() + ": " + got.error();
            return kExitData;
        }
        known = plans_.emplace(assignment->plan, std::move(version)).first;
    }
    return PlanToWriteOf(known->second, config_, plan, reason);
}

int PlanToWriteOf(const PlanVersion& version, const Configuration& config, PlanToWrite& plan,
                  std::string& reason) {
    return PlanWriteOf(version, config, plan, reason) ? -1 : kExitData;
}

}  // namespace orvel::cli
