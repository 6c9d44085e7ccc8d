#include "fleet_check.h"

#include <cstdint>
#include <cstdio>
#include <span>

#include "cell_rules.h"
#include "codec.h"
#include "memory_image.h"
#include "programming_record.h"
#include "radio_operations.h"
#include "verify_write.h"
#include "write_check.h"

namespace orvel {
namespace {

std::string HexWord(std::span<const std::uint8_t, 2> bytes) {
    char text[5];
    std::snprintf(text, sizeof text, "%02X%02X", bytes[0], bytes[1]);
    return text;
}

bool Holds(const ReadOutcome& read, const std::string& sha256, const WriteRequest& request) {
    return Sha256Hex(read.image) == sha256 || HoldsWritten(read, request);
}

// Channels and settings only: the rest of the bytes no write sends.
std::vector<ConfigDifference> Differences(const ReadOutcome& read, const PlanVersion& plan,
                                          const WriteRequest& request,
                                          const FrequencyLimits& limits) {
    const DecodedImage radio = DecodeAsShown(read.image, DecodeSource::FromRadio, limits);
    const DecodedImage planned = DecodeAsShown(plan.image, DecodeSource::FromFile, limits);
    std::vector<ConfigDifference> differences = CompareConfigurations(
        {read.image, radio.table, radio.settings}, {plan.image, planned.table, planned.settings});
    std::erase_if(differences, [](const ConfigDifference& d) {
        return d.where == "header" || d.where == "spareA" || d.where == "spareB";
    });
    if (!differences.empty())
        return differences;
    // Bits no cell shows, or a checksum the radio got wrong.
    if (const auto word = FirstWrittenDifference(WriteFrames(request), read.image)) {
        char where[8];
        std::snprintf(where, sizeof where, "0x%02X", word->word);
        return {{"word", where, HexWord(word->readBack), HexWord(word->written)}};
    }
    char held[3];
    char computed[3];
    std::snprintf(held, sizeof held, "%02X", read.image[layout::kChecksum]);
    std::snprintf(computed, sizeof computed, "%02X", ImageChecksum(read.image));
    return {{"image", "checksum", held, computed}};
}

}  // namespace

std::string_view FleetStateWords(FleetState state) {
    switch (state) {
        case FleetState::InPlan:
            return "in plan";
        case FleetState::OutOfDate:
            return "out of date";
        case FleetState::Differs:
            return "differs";
        case FleetState::Unreachable:
            return "unreachable";
        case FleetState::NoPlan:
            return "no plan";
        case FleetState::NoPort:
            return "no port";
        case FleetState::ClaimedElsewhere:
            return "claimed elsewhere";
    }
    return {};
}

UnitJudgement JudgeRead(const ReadOutcome& read, const std::vector<PlanVersion>& versions,
                        const FrequencyLimits& limits, const std::string& specialWord) {
    UnitJudgement judgement;
    if (versions.empty())
        return judgement;
    const PlanVersion& newest = versions.back();
    const WriteRequest request = FileWriteRequest(newest.image, limits, specialWord);
    if (Holds(read, newest.sha256, request)) {
        judgement.state = FleetState::InPlan;
        judgement.holds = newest.version;
        return judgement;
    }
    for (auto it = versions.rbegin() + 1; it != versions.rend(); ++it) {
        if (Holds(read, it->sha256, FileWriteRequest(it->image, limits, specialWord))) {
            judgement.state = FleetState::OutOfDate;
            judgement.holds = it->version;
            return judgement;
        }
    }
    judgement.differences = Differences(read, newest, request, limits);
    return judgement;
}

}  // namespace orvel
