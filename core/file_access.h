// Files by name on every system. Inside the program a path is UTF-8 text, whatever code page
// the system runs in; this is the one place where such text becomes a filesystem path and back,
// and where files are opened (the narrow C functions on Windows would read the name in the ANSI
// code page and miss or garble 桌面\一号站.dat).
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

// Text that is not UTF-8 (possible only on Windows, where names are UTF-16) gives an empty
// path, which every file operation refuses.
std::filesystem::path PathFromUtf8(std::string_view utf8);
// Empty for a name that has no UTF-8 form (an unpaired surrogate in a Windows name).
std::string Utf8FromPath(const std::filesystem::path& path);

// std::fopen for a path or a UTF-8 name (_wfopen on Windows). nullptr with errno set.
std::FILE* OpenStream(const std::filesystem::path& path, const char* mode);
std::FILE* OpenStream(const std::string& utf8Path, const char* mode);

// What a path names when it is no regular file once links are followed ("a folder", "a named
// pipe", "a device", ...), or nullptr: a regular file, nothing there, or nothing to look at
// (opening it then gives the system's reason).
const char* NotRegularFileKind(const std::string& utf8Path);

// Who may read a file a write makes. A file replaced keeps its own permissions either way; on
// Windows a new file takes its folder's, which in the user's own folders are the user's alone.
enum class Readers {
    Everyone,  // as the system's umask lets
    Owner,     // 0600 whatever the umask: records, safety copies, traces, exports
};

// Creates `folder` and its missing parents, each new one (0700 on POSIX) its owner's alone.
// False with the system's reason.
bool MakePrivateFolders(const std::filesystem::path& folder, std::string& error);

// Creates an empty file of `readers` where nothing is yet; a file already there stays as it is.
// False with the system's reason.
bool MakeNewFile(const std::string& utf8Path, Readers readers, std::string& error);

// Opens `utf8Path` to append to it, made for `readers` when it does not exist yet. nullptr with
// errno set.
std::FILE* OpenAppending(const std::string& utf8Path, Readers readers);

bool IsSymbolicLink(const std::string& utf8Path);
// What keeps a file of the program's own folder from being used as one: "a symbolic link" (a
// link there could lead the program's writes anywhere; it is never followed) or what
// NotRegularFileKind says. Empty for a regular file or nothing there.
std::string OwnFileProblem(const std::string& utf8Path);

// True when `utf8Path` may be written: nothing is there yet, or a regular file (also through a
// link). Otherwise false with "a device, not a regular file" and the like: replacing a device, a
// FIFO or a folder with a plain file, or writing into one, is never what was meant.
bool WritableTarget(const std::string& utf8Path, std::string& error);

// True when two names (UTF-8) lead to one file: the same file through links, another spelling or
// another hard link, or one name not there yet that would be made where the other is.
bool SameFile(const std::string& a, const std::string& b);

// Whether a new file's bytes must reach the disk before it takes its name. Either way a killed
// program leaves it whole or not at all; left to the cache, a power cut may leave it empty, which
// only a file whose bytes live on elsewhere (in a radio, another file) or that is a mere help
// can afford.
enum class Durability { Disk, Cache };

// Writes a file so that it is either replaced whole or left as it was: the bytes go to a new
// temporary file beside it, reach the disk, and the temporary file then takes the target's
// place (retried for a moment on Windows while another program holds the target open). A link
// on POSIX is followed, and the replaced file's permissions are kept. A write-protected target and
// one that is no regular file (WritableTarget) are refused. Returns false with the system's reason
// on failure; no temporary file remains then.
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error, Readers readers = Readers::Everyone,
                         Durability durability = Durability::Disk);
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error,
                         Readers readers = Readers::Everyone,
                         Durability durability = Durability::Disk);

// Writes a new file only where nothing is yet: the bytes reach the disk under a temporary name,
// which then takes `path` if no other file has it by then, all in one step. A name another
// program or thread took first is left alone: false with `taken` set. Otherwise false with the
// system's reason on failure; no temporary file remains then.
bool WriteNewFile(const std::string& path, const std::vector<std::uint8_t>& bytes, bool& taken,
                  std::string& error, Readers readers = Readers::Everyone,
                  Durability durability = Durability::Disk);

// How long a run waits for a folder another run holds. Anyone who may open the folder can hold
// it, for as long as they like: past this wait the holder is not waited for.
inline constexpr std::chrono::seconds kFolderLockWait{10};

// Holds a folder for this program's runs and threads, one at a time, from construction to
// destruction (a lock the system lets go should a run end without letting go). Where the system
// cannot lock the folder, nothing is held and everyone goes on.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& folder,
                        std::chrono::milliseconds wait = kFolderLockWait);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Another run held the folder for the whole wait; nothing is held then.
    bool HeldElsewhere() const { return heldElsewhere_; }

private:
    bool heldElsewhere_ = false;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

}  // namespace orvel
