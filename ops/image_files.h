// The files a configuration is kept in, read and written the same way by both programs: the
// channel file (.dat), JSON and the CSV channel table, told apart by the name's extension.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "channel_edit.h"
#include "file_operations.h"
#include "memory_image.h"
#include "transfer.h"

namespace orvel {

enum class FileKind { Unknown, Dat, Json, Csv };

FileKind KindOf(const std::string& path);

struct ImageFileRead {
    bool ok = false;
    bool badChecksum = false;  // a channel file whose checksum does not match its bytes
    std::string error;         // "PATH: what is wrong"
};

// A whole configuration from a file: a channel file must be complete and its checksum match;
// every cell of a JSON or CSV file is checked as the edit panel checks it, against `limits`
// (`limitsFault`, Configuration::limitsFault, is named when a frequency is refused). A CSV file
// may be UTF-8 or GBK, with or without a BOM, its cells separated by commas or semicolons; it
// holds the channels only, and the rest of `image` gets its start-up values. On failure `image`
// is as it was.
ImageFileRead ReadImageFile(const std::string& path, const FrequencyLimits& limits,
                            MemoryImage& image, const std::string& limitsFault = {});

// The bytes of `image` as a file of `kind` (Unknown: a channel file). The cells of JSON and CSV
// read as the window would show them.
std::vector<std::uint8_t> ImageFileBytes(FileKind kind, const MemoryImage& image,
                                         const FrequencyLimits& limits);

// Why a JSON or CSV file of `image` would not read back as it ("channel 3, column squelch: byte 1A
// shows as "L10", which reads back as 0A"); empty when it would, and for a channel file, which
// holds the bytes themselves. A CSV file holds the channel records only.
std::string TransferFault(FileKind kind, const MemoryImage& image, const FrequencyLimits& limits);
// The same fault in parts, for the window to word in its language; false when there is none.
bool FindTransferFault(FileKind kind, const MemoryImage& image, const FrequencyLimits& limits,
                       ReadBackFault& fault);

// Writes the file of `path`'s kind through SaveFileKeepingCopy; a JSON or CSV file that would
// not read back (TransferFault) is not written, and no safety copy is taken.
SaveOutcome SaveImageFile(const std::string& path, const MemoryImage& image,
                          const FrequencyLimits& limits, bool withoutCopy = false);

}  // namespace orvel
