// A JSON configuration as orvelctl's show, convert and write read it. Properties: a refusal
// says why; an accepted file gives an image whose own export is accepted again, unchanged.
#include "codec.h"
#include "fuzz_target.h"
#include "limits.h"
#include "transfer.h"

namespace orvel::fuzz {

ORVEL_FUZZ_TARGET(FuzzJsonImport) {
    Input input(data, size);
    const FrequencyLimits& limits = LimitsOf(input.Byte());
    const std::string_view text = input.Rest();
    MemoryImage image{};
    ImportError error;
    if (!ImageFromJson(text, limits, image, error)) {
        FUZZ_CHECK(!error.reason.empty(), "a refusal without a reason");
        return 0;
    }
    FUZZ_CHECK(ImageChecksum(image) == image[layout::kChecksum], "a stale checksum");
    const std::string exported =
        ImageToJson(image, DecodeAsShown(image, DecodeSource::FromFile, limits));
    MemoryImage again{};
    FUZZ_CHECK(ImageFromJson(exported, limits, again, error),
               "its own export is refused: " + error.Text() + "\n" + exported);
    FUZZ_CHECK(again == image, "the export imports as another image\n" + exported);
    return 0;
}

}  // namespace orvel::fuzz
