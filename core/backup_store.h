// Safety copies of the radio's configuration, taken automatically around every read and write so
// that a slip can be undone from a channel file.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "memory_image.h"

namespace orvel {

// Writes `image` as a channel file named YYYYMMDD-HHMMSS-<kind>.dat (local time of `now`, the
// clock when absent; in `kind`, control characters and <>:"|?* become '_') into `folder` (UTF-8),
// creating it with its parents. A name already taken gets -2, -3 ... before ".dat". Then the
// oldest read, write and replaced-file copies of the folder beyond `keep` are deleted, read-only
// or not; the copy just written always stays, and files this function did not name are never
// touched. Returns the path written (UTF-8), or empty with `error` set.
std::string SaveBackup(const std::string& folder, const MemoryImage& image, std::string_view kind,
                       std::string& error, int keep = 200,
                       std::optional<std::time_t> now = std::nullopt);

// The same for bytes kept exactly as given, such as a file about to be replaced, named
// YYYYMMDD-HHMMSS-<kind><extension>. `extension` is ".dat", ".json" or ".csv"; copies of every
// kind and extension share one rotation.
std::string SaveBackupBytes(const std::string& folder, const std::vector<std::uint8_t>& bytes,
                            std::string_view kind, std::string_view extension, std::string& error,
                            int keep = 200, std::optional<std::time_t> now = std::nullopt);

}  // namespace orvel
