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

// Whether `text`, the JSON file (or, with `csv`, the CSV table) made of `image` as `shown`, reads
// back as the bytes it came from: the whole image, or for a CSV table its channel records. When
// it does not, `error` names the first cell or setting the file cannot carry (row = channel):
// bytes its text gives back otherwise (squelch byte 1A shows as L10, which is 0A), or a cell an
// import refuses (an empty power cell in a row with other values). Frequency limits play no part:
// a frequency outside Min..Max reads back under limits that hold it.
bool ReadsBack(std::string_view text, bool csv, const MemoryImage& image, const DecodedImage& shown,
               ImportError& error);

}  // namespace orvel
