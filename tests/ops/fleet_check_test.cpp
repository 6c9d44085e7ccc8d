// A radio read judged against its unit's plan: the version it holds, or what differs from the
// newest, the radio's value first.
#include <gtest/gtest.h>

#include <functional>

#include "cell_rules.h"
#include "codec.h"
#include "fleet_check.h"
#include "programming_record.h"

namespace orvel {
namespace {

constexpr FrequencyLimits kLimits{223, 235};

// The startup image with channel 1's rx as given.
MemoryImage WithRx(const char* rx) {
    MemoryImage image = StartupImage();
    DecodedImage decoded = DecodeAsShown(image, DecodeSource::FromFile, kLimits);
    decoded.table[0][1] = rx;
    EncodeImage(decoded.table, decoded.settings, image);
    return image;
}

TEST(FleetCheck, AReadHoldsAVersionByItsBytesOrItsWordsElseSaysWhatDiffers) {
    std::vector<PlanVersion> versions(2);
    for (int i = 0; i < 2; ++i) {
        versions[i].name = "Site12";
        versions[i].version = i + 1;
        versions[i].image = WithRx(i == 0 ? "224.000" : "230.125");
        versions[i].sha256 = Sha256Hex(versions[i].image);
    }
    using Change = std::function<void(MemoryImage&)>;
    const auto none = [](MemoryImage&) {};
    // The header is the radio's own and outside the checksum; a write never sends it.
    const auto header = [](MemoryImage& image) { image[layout::kHeader] ^= 0x01; };
    const struct {
        const char* radio;
        Change change;
        FleetState state;
        int holds;
        std::string difference;
    } cases[] = {
        {"230.125", none, FleetState::InPlan, 2, ""},
        {"230.125", header, FleetState::InPlan, 2, ""},
        {"224.000", none, FleetState::OutOfDate, 1, ""},
        {"224.000", header, FleetState::OutOfDate, 1, ""},
        {"231.000", none, FleetState::Differs, 0, "channel 1 rx: 231.000 -> 230.125"},
        {"231.000", header, FleetState::Differs, 0, "channel 1 rx: 231.000 -> 230.125"},
        {"230.125", [](MemoryImage& image) { image[layout::kChecksum] ^= 0xFF; },
         FleetState::Differs, 0, "image checksum: "},
    };
    for (const auto& c : cases) {
        ReadOutcome read;
        read.status = ReadStatus::Ok;
        read.image = WithRx(c.radio);
        c.change(read.image);
        read.checksumOk = ImageChecksum(read.image) == read.image[layout::kChecksum];
        const UnitJudgement judged = JudgeRead(read, versions, kLimits, "");
        EXPECT_EQ(FleetStateWords(judged.state), FleetStateWords(c.state)) << c.radio;
        EXPECT_EQ(judged.holds, c.holds) << c.radio;
        const std::string first =
            judged.differences.empty() ? "" : DifferenceLine(judged.differences.front());
        EXPECT_TRUE(first.starts_with(c.difference)) << first;
        EXPECT_EQ(judged.differences.size(), c.difference.empty() ? 0u : 1u) << first;
    }
}

}  // namespace
}  // namespace orvel
