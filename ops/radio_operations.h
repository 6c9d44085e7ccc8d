// Reading and writing a radio as a technician does it: every image read and every image about
// to be written is kept among the safety copies, so no exchange can lose a configuration.
#pragma once

#include <string>

#include "channel_edit.h"
#include "exchanges.h"
#include "memory_image.h"

namespace orvel {

// The read exchange; a complete image is kept among the safety copies and the read's closing
// line (correct, or correct with a bad checksum) is logged. Nothing is kept after a failure.
ReadOutcome ReadRadioKeepingCopy(BytePort& port, const ExchangeHooks& hooks,
                                 const std::function<void()>& beforeImageRequest = {});

// The read a write may start with, so the record and the safety copies keep what the radio
// held before it (...-before.dat; a write's own copy is what it is about to write). Logged as
// a read is. When another program holds the folder of the copies, `folderHeld` says so (see
// KeepBackup) and the radio must not be written.
ReadOutcome ReadBeforeWrite(BytePort& port, const ExchangeHooks& hooks, std::string& folderHeld);

// What a write of `image` as a file sends: its channels and settings as they are shown.
WriteRequest FileWriteRequest(const MemoryImage& image, const FrequencyLimits& limits,
                              const std::string& specialWord);

// `base` (whose header and spare words the radio keeps) with the request coded into it: the
// 260 bytes a write stands for.
MemoryImage WrittenImage(const MemoryImage& base, const WriteRequest& request);

// The write exchange. On an open port the image it writes (`base`, whose header and spare
// words the radio keeps, with the request coded into it) is kept among the safety copies first;
// when another program holds their folder, nothing is sent and `folderHeld` says so.
WriteOutcome WriteRadioKeepingCopy(BytePort& port, const MemoryImage& base,
                                   const WriteRequest& request, const ExchangeHooks& hooks,
                                   std::string& folderHeld);

}  // namespace orvel
