// Whether a radio holds what its unit should: one read judged against every version of the
// unit's plan, in the words both programs show a team lead.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "channel_edit.h"
#include "exchanges.h"
#include "image_diff.h"
#include "plan_library.h"

namespace orvel {

// ClaimedElsewhere: another run (another bench's, unit_claims.h) reads the unit; this one
// neither reads nor writes it.
enum class FleetState { InPlan, OutOfDate, Differs, Unreachable, NoPlan, NoPort, ClaimedElsewhere };
inline constexpr FleetState kFleetStates[] = {
    FleetState::InPlan, FleetState::OutOfDate, FleetState::Differs,         FleetState::Unreachable,
    FleetState::NoPlan, FleetState::NoPort,    FleetState::ClaimedElsewhere};

// "in plan", "out of date", "differs", "unreachable", "no plan", "no port", "claimed elsewhere".
std::string_view FleetStateWords(FleetState state);

struct UnitJudgement {
    FleetState state = FleetState::Differs;
    int holds = 0;  // the version the radio holds; 0 when none
    // What differs from the newest version, the radio's value as `a`: channel cells and
    // settings, as a comparison of the two shows them; a word or the checksum when nothing
    // shown does.
    std::vector<ConfigDifference> differences;
};

// `read` succeeded; `versions` are the plan's, oldest first. A version is held when the bytes
// read are its bytes (its SHA-256), or hold the words a write of it sends with a good checksum:
// the header and spare bytes are the radio's own, which no write changes.
UnitJudgement JudgeRead(const ReadOutcome& read, const std::vector<PlanVersion>& versions,
                        const FrequencyLimits& limits, const std::string& specialWord);

}  // namespace orvel
