// The configuration as JSON and as a CSV channel table, for scripts and spreadsheets. Output
// shows every cell as the channel list would; input is checked cell by cell with the edit
// panel's rules, so nothing reaches an image that the window would have refused.
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

// Header, checksums and spare bytes come from `image`, cells and settings from `decoded`.
std::string ImageToJson(const MemoryImage& image, const DecodedImage& decoded);
std::string TableToCsv(const ChannelTable& table);

// The first faulty cell of one row, checked as the edit panel checks it; a row must be empty
// or complete.
bool CheckRow(const ChannelRow& row, int channelNo, const FrequencyLimits& limits,
              ImportError& error);

// Build an image from a document: header and spare bytes from the JSON; for CSV the start-up
// header and settings with zero spare bytes. Frequencies are stored as the panel stores them.
// The JSON's checksum entry is for reading only: an edited file would never match it, and the
// image gets a fresh one anyway.
bool ImageFromJson(std::string_view text, const FrequencyLimits& limits, MemoryImage& image,
                   ImportError& error);
bool ImageFromCsv(std::string_view text, const FrequencyLimits& limits, MemoryImage& image,
                  ImportError& error);

}  // namespace orvel
