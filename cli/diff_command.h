// orvelctl diff: what differs between two channel files, or between a file and the radio.
#pragma once

#include <QStringList>

#include <ostream>
#include <vector>

#include "command_support.h"
#include "image_diff.h"

namespace orvel::cli {

int RunDiff(const QStringList& arguments, Context& c);

// A configuration as diff compares it: decoded as shown under `limits`.
ComparedConfiguration Compared(const MemoryImage& image, DecodeSource source,
                               const FrequencyLimits& limits);
// The differences as diff prints them: a line each, or the JSON object.
void PrintDifferences(std::ostream& out, Format format,
                      const std::vector<ConfigDifference>& differences);

}  // namespace orvel::cli
