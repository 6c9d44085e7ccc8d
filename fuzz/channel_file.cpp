// A channel file as the window's Open, orvelctl and orvelsim load it. Properties: the first
// 260 bytes are the image, masked; saving it gives those bytes back.
#include <algorithm>
#include <vector>

#include "channel_file.h"
#include "codec.h"
#include "fuzz_target.h"
#include "transfer.h"

namespace orvel::fuzz {

ORVEL_FUZZ_TARGET(FuzzChannelFile) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    const ChannelFileContent content = ImageFromChannelFile(bytes);
    FUZZ_CHECK(content.complete == (size >= kImageSize), "completeness");
    const std::vector<std::uint8_t> saved = ChannelFileBytes(content.image);
    const std::size_t kept = std::min(size, kImageSize);
    FUZZ_CHECK(std::equal(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(kept), data),
               "saving the loaded image changes its bytes");
    if (!content.complete)
        return 0;
    const DecodedImage decoded = DecodeImage(content.image, DecodeSource::FromFile);
    if (!decoded.checksumOk) {
        for (int r = 0; r < kChannelCount; ++r) {
            for (int c = kColRx; c < kTableColumns; ++c) {
                FUZZ_CHECK(
                    decoded.table[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)].empty(),
                    "a file failing its checksum showed a cell");
            }
        }
        return 0;
    }
    ImageToJson(content.image, DecodeAsShown(content.image, DecodeSource::FromFile, {}));
    return 0;
}

}  // namespace orvel::fuzz
