// Reading and writing a radio as a technician does it: every image read and every image about
// to be written is kept among the safety copies, so no exchange can lose a configuration.
#pragma once

#include "exchanges.h"
#include "memory_image.h"

namespace orvel {

// The read exchange; a complete image is kept among the safety copies and the read's closing
// line (correct, or correct with a bad checksum) is logged. Nothing is kept after a failure.
ReadOutcome ReadRadioKeepingCopy(BytePort& port, const ExchangeHooks& hooks,
                                 const std::function<void()>& beforeImageRequest = {});

// The write exchange. On an open port the image it writes (`base`, whose header and spare
// words the radio keeps, with the request coded into it) is kept among the safety copies first.
WriteOutcome WriteRadioKeepingCopy(BytePort& port, const MemoryImage& base,
                                   const WriteRequest& request, const ExchangeHooks& hooks);

}  // namespace orvel
