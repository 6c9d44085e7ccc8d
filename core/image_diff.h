// What differs between two configurations: the decoded cells and settings first, then the bytes
// nothing decodes (header and spare words), so a technician sees every change a write would make.
#pragma once

#include <string>
#include <vector>

#include "codec.h"
#include "memory_image.h"

namespace orvel {

struct ConfigDifference {
    std::string where;  // "channel N", "settings", "header", "spareA" or "spareB"
    std::string field;  // a channel column or settings key; the image byte number for spares;
                        // empty for the header
    std::string a;      // cell text, setting value, header hex or one byte as two hex digits
    std::string b;
};

// One side of a comparison: the image supplies header and spare bytes, the table and settings
// the values a technician sees.
struct ComparedConfiguration {
    MemoryImage image{};
    ChannelTable table;
    RadioSettings settings;
};

// Channels in order with their columns rx..squelch, then the settings in panel order, the
// header, spare A and spare B byte by byte.
std::vector<ConfigDifference> CompareConfigurations(const ComparedConfiguration& a,
                                                    const ComparedConfiguration& b);

// "channel 3 rx: 226.000 -> 226.500", "header: 330681 -> 330682", "spareA: byte 131 05 -> 07";
// an empty cell shows as (empty).
std::string DifferenceLine(const ConfigDifference& difference);
// {"equal": ..., "differences": [{"where": ..., "field": ..., "a": ..., "b": ...}, ...]}
std::string DifferencesJson(const std::vector<ConfigDifference>& differences);

}  // namespace orvel
