// A memory image as it comes from the radio or from a file, decoded and shown the ways the
// programs show it. Properties: what the decode shows can always be exported as JSON, and an
// export that would not read back is refused by its cell or setting.
#include <nlohmann/json.hpp>

#include "codec.h"
#include "fuzz_target.h"
#include "transfer.h"

namespace orvel::fuzz {

ORVEL_FUZZ_TARGET(FuzzImageDecode) {
    Input input(data, size);
    const std::uint8_t control = input.Byte();
    const DecodeSource source = control & 1 ? DecodeSource::FromRadio : DecodeSource::FromFile;
    // The settings the panel showed before: the radio path keeps some of them.
    RadioSettings before;
    before.parity = (control >> 1) % 3;
    before.txTimeLimit = static_cast<int>(control >> 3) - 1;
    MemoryImage image{};
    const std::string_view bytes = input.Rest();
    for (std::size_t i = 0; i < image.size() && i < bytes.size(); ++i)
        image[i] = static_cast<std::uint8_t>(bytes[i]);

    const DecodedImage decoded = DecodeImage(image, source, before);
    FUZZ_CHECK(decoded.checksumOk == (ImageChecksum(image) == image[layout::kChecksum]),
               "checksum verdict");
    const DecodedImage shown = DecodeAsShown(image, source, {223.0, 235.0}, before);
    const std::string json = ImageToJson(image, shown);
    FUZZ_CHECK(nlohmann::json::accept(json), json);
    // An export is written when it reads back, otherwise refused naming why; never for a reason
    // the cell by cell look cannot tell.
    if (source == DecodeSource::FromFile) {
        for (const bool csv : {false, true}) {
            ImportError error;
            const std::string text = csv ? TableToCsv(shown.table) : json;
            if (!ReadsBack(text, csv, image, shown, error)) {
                FUZZ_CHECK(error.reason.rfind("the file would not read back", 0) != 0,
                           error.Text() + "\n" + text);
            }
        }
    }
    // Re-encoding what was shown never leaves the image's layout.
    MemoryImage again = image;
    EncodeImage(shown.table, shown.settings, again);
    FUZZ_CHECK(std::equal(image.begin(), image.begin() + layout::kChannels, again.begin()),
               "the header changed");
    return 0;
}

}  // namespace orvel::fuzz
