// Safety copies of the radio's configuration, taken automatically around every read and write so
// that a slip can be undone from a channel file.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_access.h"
#include "memory_image.h"

namespace orvel {

// How many read, write and before copies are kept.
inline constexpr int kKeepCopies = 200;

// Writes `image` as a channel file named YYYYMMDD-HHMMSS-<kind>.dat (local time of `now`, the
// clock when absent; in `kind`, control characters and <>:"|?* become '_') into `folder` (UTF-8),
// creating it with its parents; the folders it makes and the copies are their owner's alone. A
// name already taken gets -2, -3 ... before ".dat". Then the oldest read, write and before copies
// of the folder beyond `keep` are deleted, read-only or not; the copy just written always stays.
// Only copies this store wrote, listed by plain name in the folder's ".copies" and unchanged
// since, are ever deleted: a file merely named like one, a copy the user saved into, or anything
// outside the folder stays. A ".copies" that is a symbolic link (or no regular file) is never
// followed: nothing is written then. Runs take turns at the folder; when another holds it for
// kFolderLockWait, nothing is written and `folderHeld`, when given, is set. Returns the path
// written (UTF-8), or empty with `error` set. With Durability::Cache the copy is not waited for
// to reach the disk (file_access.h).
std::string SaveBackup(const std::string& folder, const MemoryImage& image, std::string_view kind,
                       std::string& error, int keep = kKeepCopies,
                       std::optional<std::time_t> now = std::nullopt, bool* folderHeld = nullptr,
                       Durability durability = Durability::Disk);

// The same for bytes kept exactly as given, such as a file about to be replaced, named
// YYYYMMDD-HHMMSS-<kind><extension>. `extension` is ".dat", ".json" or ".csv". Copies of kind
// "file" (replaced files) of every extension have a rotation of their own, apart from the read
// and write copies.
std::string SaveBackupBytes(const std::string& folder, const std::vector<std::uint8_t>& bytes,
                            std::string_view kind, std::string_view extension, std::string& error,
                            int keep = kKeepCopies, std::optional<std::time_t> now = std::nullopt,
                            bool* folderHeld = nullptr, Durability durability = Durability::Disk);

// How many copies of replaced files are kept.
inline constexpr int kKeepReplacedFiles = 50;

// Deletes a copy just made for a save that then failed: it keeps nothing the user lost.
void DiscardBackup(const std::string& copyPath);

}  // namespace orvel
