// The edit panel's rules, for cells that come from a file instead of the panel: a row is
// checked cell by cell as the panel checks it and stored as its confirm button stores it, so
// nothing reaches an image that the window would have refused. Beyond the panel's items, the
// power and squelch cells a decode shows for codes a radio may hold (P6, P7, L10 to L15) are
// taken back as those codes: an exported file reads back as the image it came from.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "channel_edit.h"
#include "codec.h"
#include "memory_image.h"
#include "radio_fields.h"

namespace orvel {

// Where an import stopped. `row` is the channel number 1..16 (0 outside the table); `column`
// the CSV column or JSON key, empty when the fault concerns a whole row or the whole file.
struct ImportError {
    int row = 0;
    std::string column;
    std::string reason;

    // "row 3, column rx: ...", "row 3: ...", "settings.parity: ..." or the bare reason.
    std::string Text() const;
};

// Column names of the CSV table and keys of a JSON channel entry.
inline constexpr std::array<std::string_view, kTableColumns> kTransferColumns = [] {
    std::array<std::string_view, kTableColumns> keys{};
    for (std::size_t c = 0; c < keys.size(); ++c)
        keys[c] = kChannelFields[c].key;
    return keys;
}();

// A decode followed by what the window does after one: channel 1 into a fresh panel and the
// silent confirm. The cells then equal what the channel list shows.
DecodedImage DecodeAsShown(const MemoryImage& image, DecodeSource source,
                           const FrequencyLimits& limits, const RadioSettings& before = {});

// The first faulty cell of one row, checked as the edit panel checks it; a row must be empty
// or complete. Power P6 and P7 and squelch L10 to L15 pass as well (see above).
bool CheckRow(const ChannelRow& row, int channelNo, const FrequencyLimits& limits,
              ImportError& error);

// What the confirm button writes: frequencies reprinted, the other cells as chosen.
void StoreRow(ChannelRow row, int channelNo, ChannelTable& table);

// Sets `error`; always false, so a reader can return it.
bool Fail(ImportError& error, int row, std::string column, std::string reason);
// A cell as an error message shows it: in quotes, control characters escaped.
std::string Quoted(std::string_view text);

}  // namespace orvel
