// The configuration as a table for a terminal.
#pragma once

#include <string>

#include "codec.h"
#include "memory_image.h"

namespace orvel::cli {

// Header and checksum, the 16 channels as the channel list shows them, then the settings in
// the words of the printed report.
std::string TextView(const MemoryImage& image, const DecodedImage& decoded);

}  // namespace orvel::cli
