// What each radio should hold: plans (named configurations, each change a new version that is
// never altered) and units (a radio's label, assigned a plan by name, so it should hold that
// name's newest version). Kept in the records' store, on either engine.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "memory_image.h"
#include "result.h"

namespace orvel {

struct PlanVersion {
    std::string name;
    int version = 0;     // 1, 2, ...
    std::string sha256;  // of `image`, checked whenever the row is taken from the store
    MemoryImage image{};
    std::string note;
    std::string station;
    std::string operatorName;
    std::string addedUtc;
};

struct PlanSummary {
    std::string name;
    int newest = 0;
    std::string newestSha256;
    std::string addedUtc;      // of the newest version
    std::size_t assigned = 0;  // units assigned the plan
    std::size_t holding = 0;   // of those, units whose latest verified write is the newest
};

struct UnitAssignment {
    std::string unit;
    std::string plan;  // a plan's name
    std::string port;  // where the unit is reached, or empty
    std::string site;
    std::string assignedUtc;
    std::string station;
    std::string operatorName;
};

// An assignment as given; its time, station and operator are the store's.
inline UnitAssignment Assignment(std::string unit, std::string plan = {}, std::string port = {},
                                 std::string site = {}) {
    UnitAssignment assignment;
    assignment.unit = std::move(unit);
    assignment.plan = std::move(plan);
    assignment.port = std::move(port);
    assignment.site = std::move(site);
    return assignment;
}

// What `plan add` did: the version the bytes are now, and whether it is new.
struct PlanAdded {
    int version = 0;
    bool added = false;  // false: the newest version already held these bytes
};

// A plan as `NAME` (its newest version) or `NAME@VERSION`; the reason when it is neither.
struct PlanReference {
    std::string name;
    int version = 0;  // 0: the newest
};
Result<PlanReference> ParsePlanReference(const std::string& text);
// NAME@VERSION, as records and lines name a plan.
std::string PlanLabel(const PlanVersion& plan);
// A plan's or unit's name: 1 to 200 characters, none of them a control character.
Status CheckPlanName(const std::string& name);

}  // namespace orvel
