// Saving a file as a technician expects: the bytes it replaces are kept among the safety copies
// first, and the file is replaced whole or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvel {

enum class SaveStatus {
    Saved,
    NoSafetyCopy,  // the file holds bytes whose copy could not be kept; nothing was written
    WriteFailed,   // the file is as it was
};

struct SaveOutcome {
    SaveStatus status = SaveStatus::WriteFailed;
    std::string error;
};

// Keeps the bytes `path` holds among the safety copies, then replaces the file atomically. When
// the copy cannot be kept nothing is written, unless `withoutCopy`; a write that fails takes
// its copy away again.
SaveOutcome SaveFileKeepingCopy(const std::string& path, const std::vector<std::uint8_t>& bytes,
                                bool withoutCopy = false);

}  // namespace orvel
