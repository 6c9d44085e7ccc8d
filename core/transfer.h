// The configuration as JSON and as a CSV channel table, for scripts and spreadsheets. Output
// shows every cell as the channel list would; input is checked cell by cell with the edit
// panel's rules (cell_rules.h).
#pragma once

#include <string>
#include <string_view>

#include "cell_rules.h"
#include "codec.h"
#include "memory_image.h"

namespace orvel {

// Header, checksums and spare bytes come from `image`, cells and settings from `decoded`.
std::string ImageToJson(const MemoryImage& image, const DecodedImage& decoded);
std::string TableToCsv(const ChannelTable& table);

// Build an image from a document: header and spare bytes from the JSON; for CSV the start-up
// header and settings with zero spare bytes. Frequencies are stored as the panel stores them.
// The JSON's checksum entry is for reading only: an edited file would never match it, and the
// image gets a fresh one anyway.
bool ImageFromJson(std::string_view text, const FrequencyLimits& limits, MemoryImage& image,
                   ImportError& error);
bool ImageFromCsv(std::string_view text, const FrequencyLimits& limits, MemoryImage& image,
                  ImportError& error);

}  // namespace orvel
