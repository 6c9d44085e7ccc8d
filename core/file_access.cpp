#include "file_access.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cwctype>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvel {
namespace {

namespace fs = std::filesystem;

std::string SystemText(int code) {
    return std::strerror(code);
}

#ifdef _WIN32

// The system's own message would come in the language and code page of the installation, not
// in UTF-8; the C library's short English texts read the same everywhere.
std::string WindowsErrorText(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_DRIVE:
            return SystemText(ENOENT);
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return SystemText(EACCES);
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return "the file is in use by another program";
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return SystemText(ENOSPC);
        case ERROR_NOT_SAME_DEVICE:
            return SystemText(EXDEV);
        case ERROR_FILENAME_EXCED_RANGE:
            return SystemText(ENAMETOOLONG);
        default:
            return SystemText(EIO) + " (Windows error " + std::to_string(code) + ")";
    }
}

// A new file takes the permissions of its folder: the user's own folders are the user's alone.
int CreateExclusive(const fs::path& path, Readers) {
    return ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
}

long WriteSome(int fd, const std::uint8_t* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}

bool SyncToDisk(int fd) {
    return ::_commit(fd) == 0;
}

bool CloseFile(int fd) {
    return ::_close(fd) == 0;
}

// A read-only mark is the user's way to keep a file as it is; a folder is no file to replace.
bool Refused(const fs::path& target, std::string& error) {
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;  // nothing there yet
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        error = SystemText(EISDIR);
        return true;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        error = SystemText(EACCES);
        return true;
    }
    return false;
}

// An editor, a virus scanner or the search indexer that holds the target open without delete
// sharing makes the replace fail for as long as it keeps it; most let go within a moment.
bool Replace(const fs::path& temporary, const fs::path& target, std::string& error) {
    constexpr int kAttempts = 40;
    constexpr auto kPause = std::chrono::milliseconds(50);
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExW(temporary.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD code = ::GetLastError();
        const bool held = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION ||
                          code == ERROR_ACCESS_DENIED;
        if (!held || attempt == kAttempts) {
            // Read-only targets were refused before; what denies the replace now is mostly
            // a program that keeps the file open.
            error = code == ERROR_ACCESS_DENIED
                        ? SystemText(EACCES) + " (the file may be in use by another program)"
                        : WindowsErrorText(code);
            return false;
        }
        std::this_thread::sleep_for(kPause);
    }
}

enum class Claim { Done, Taken, Failed };

Claim ClaimName(const fs::path& temporary, const fs::path& target, std::string& error) {
    if (::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
        return Claim::Done;
    const DWORD code = ::GetLastError();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)
        return Claim::Taken;
    error = WindowsErrorText(code);
    return Claim::Failed;
}

#else

int CreateExclusive(const fs::path& path, Readers readers) {
    const bool owner = readers == Readers::Owner;
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, owner ? 0600 : 0666);
    // The umask can only take rights away from 0600: the owner keeps them whatever it says.
    if (fd >= 0 && owner)
        ::fchmod(fd, 0600);
    return fd;
}

long WriteSome(int fd, const std::uint8_t* data, std::size_t size) {
    return static_cast<long>(::write(fd, data, size));
}

bool SyncToDisk(int fd) {
    return ::fsync(fd) == 0;
}

bool CloseFile(int fd) {
    return ::close(fd) == 0;
}

// A write-protected file stays as it is, as opening it for writing would be refused.
bool Refused(const fs::path& target, std::string& error) {
    std::error_code ec;
    if (!fs::exists(target, ec))
        return false;
    std::FILE* probe = OpenStream(target, "r+b");
    if (probe == nullptr) {
        error = SystemText(errno);
        return true;
    }
    std::fclose(probe);
    return false;
}

bool Replace(const fs::path& temporary, const fs::path& target, std::string& error) {
    std::error_code ec;
    // Keep the permissions of the file being replaced.
    if (auto status = fs::status(target, ec); !ec && fs::exists(status))
        fs::permissions(temporary, status.permissions(), ec);
    fs::rename(temporary, target, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    return true;
}

enum class Claim { Done, Taken, Failed };

// A hard link takes the name only while it is free. Where the file system has no hard links,
// an empty file made exclusively holds the name until the bytes replace it.
Claim ClaimName(const fs::path& temporary, const fs::path& target, std::string& error) {
    if (::link(temporary.c_str(), target.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return Claim::Done;
    }
    if (errno == EEXIST)
        return Claim::Taken;
    if (errno != EPERM && errno != ENOTSUP && errno != ENOSYS && errno != EMLINK) {
        error = SystemText(errno);
        return Claim::Failed;
    }
    const int placeholder = CreateExclusive(target, Readers::Owner);
    if (placeholder < 0) {
        if (errno == EEXIST)
            return Claim::Taken;
        error = SystemText(errno);
        return Claim::Failed;
    }
    ::close(placeholder);
    if (::rename(temporary.c_str(), target.c_str()) == 0)
        return Claim::Done;
    error = SystemText(errno);
    ::unlink(target.c_str());
    return Claim::Failed;
}

#endif

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const long n = WriteSome(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The bytes in a new file beside `target`, on the disk; its path, or empty with the reason.
fs::path WriteTemporary(const fs::path& target, const std::vector<std::uint8_t>& bytes,
                        Readers readers, std::string& error,
                        Durability durability = Durability::Disk) {
    std::random_device random;
    const fs::path temporary =
        target.parent_path() / PathFromUtf8("." + Utf8FromPath(target.filename()) + ".tmp" +
                                            std::to_string(random() % 1000000));
    const int fd = CreateExclusive(temporary, readers);
    if (fd < 0) {
        error = SystemText(errno);
        return {};
    }
    bool ok = WriteAll(fd, bytes.data(), bytes.size());
    // The replace must not reach the disk before the bytes do.
    ok = ok && (durability == Durability::Cache || SyncToDisk(fd));
    if (!ok)
        error = SystemText(errno);
    if (!CloseFile(fd) && ok) {
        ok = false;
        error = SystemText(errno);
    }
    if (!ok) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return {};
    }
    return temporary;
}

}  // namespace

const char* NotRegularFileKind(const std::string& utf8Path) {
    std::error_code ec;
    switch (fs::status(PathFromUtf8(utf8Path), ec).type()) {
        case fs::file_type::directory:
            return "a folder";
        case fs::file_type::fifo:
            return "a named pipe";
        case fs::file_type::character:
        case fs::file_type::block:
            return "a device";
        case fs::file_type::socket:
            return "a socket";
        case fs::file_type::unknown:
            return ec ? nullptr : "a special file";
        default:
            return nullptr;
    }
}

bool SameFile(const std::string& a, const std::string& b) {
    const fs::path first = PathFromUtf8(a);
    const fs::path second = PathFromUtf8(b);
    if (first.empty() || second.empty())
        return false;
    std::error_code ec;
    if (fs::equivalent(first, second, ec) && !ec)
        return true;
    std::error_code firstError;
    std::error_code secondError;
    const fs::path one = fs::weakly_canonical(fs::absolute(first, firstError), firstError);
    const fs::path other = fs::weakly_canonical(fs::absolute(second, secondError), secondError);
    return !firstError && !secondError && one == other;
}

bool WritableTarget(const std::string& utf8Path, std::string& error) {
    if (const char* kind = NotRegularFileKind(utf8Path)) {
        error = std::string(kind) + ", not a regular file";
        return false;
    }
    return true;
}

fs::path PathFromUtf8(std::string_view utf8) {
    try {
        return fs::path(std::u8string(utf8.begin(), utf8.end()));
    } catch (const std::exception&) {
        return {};
    }
}

std::string Utf8FromPath(const fs::path& path) {
    try {
        const std::u8string text = path.u8string();
        return std::string(text.begin(), text.end());
    } catch (const std::exception&) {
        return {};
    }
}

std::FILE* OpenStream(const fs::path& path, const char* mode) {
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    return ::_wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

std::FILE* OpenStream(const std::string& utf8Path, const char* mode) {
    const fs::path path = PathFromUtf8(utf8Path);
    if (path.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    return OpenStream(path, mode);
}

bool MakePrivateFolders(const fs::path& folder, std::string& error) {
    std::error_code ec;
#ifdef _WIN32
    fs::create_directories(folder, ec);
    if (ec)
        error = ec.message();
    return !ec;
#else
    if (folder.empty() || fs::is_directory(folder, ec))
        return true;
    const fs::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder && !MakePrivateFolders(parent, error))
        return false;
    if (::mkdir(folder.c_str(), 0700) == 0) {
        ::chmod(folder.c_str(), 0700);  // whatever the umask says
        return true;
    }
    if (errno == EEXIST && fs::is_directory(folder, ec))
        return true;  // another run made it meanwhile
    error = SystemText(errno);
    return false;
#endif
}

bool MakeNewFile(const std::string& utf8Path, Readers readers, std::string& error) {
    const fs::path path = PathFromUtf8(utf8Path);
    const int fd = path.empty() ? -1 : CreateExclusive(path, readers);
    if (fd >= 0 && CloseFile(fd))
        return true;
    if (fd < 0 && errno == EEXIST)
        return true;
    error = SystemText(path.empty() ? ENOENT : errno);
    return false;
}

std::FILE* OpenAppending(const std::string& utf8Path, Readers readers) {
#ifdef _WIN32
    static_cast<void>(readers);
    return OpenStream(utf8Path, "a");
#else
    const fs::path path = PathFromUtf8(utf8Path);
    if (path.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    int fd = CreateExclusive(path, readers);
    if (fd < 0 && errno == EEXIST)
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "a");
    if (file == nullptr) {
        const int code = errno;
        ::close(fd);
        errno = code;
    }
    return file;
#endif
}

bool IsSymbolicLink(const std::string& utf8Path) {
    std::error_code ec;
    return fs::is_symlink(fs::symlink_status(PathFromUtf8(utf8Path), ec));
}

std::string OwnFileProblem(const std::string& utf8Path) {
    if (IsSymbolicLink(utf8Path))
        return "a symbolic link";
    const char* kind = NotRegularFileKind(utf8Path);
    return kind != nullptr ? kind : "";
}

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error, Readers readers, Durability durability) {
    fs::path target = PathFromUtf8(path);
    if (target.empty()) {
        error = SystemText(ENOENT);
        return false;
    }
#ifndef _WIN32
    // A link keeps pointing at the file it names: the file is replaced, not the link.
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        if (fs::path resolved = fs::weakly_canonical(target, ec); !ec)
            target = resolved;
    }
#endif
    // Looked at before anything is opened: opening a FIFO may block for ever.
    if (!WritableTarget(Utf8FromPath(target), error) || Refused(target, error))
        return false;

    const fs::path temporary = WriteTemporary(target, bytes, readers, error, durability);
    if (temporary.empty())
        return false;
    const bool ok = Replace(temporary, target, error);
    if (!ok) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
    }
    return ok;
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error,
                         Readers readers, Durability durability) {
    return WriteFileAtomically(path, std::vector<std::uint8_t>(text.begin(), text.end()), error,
                               readers, durability);
}

bool WriteNewFile(const std::string& path, const std::vector<std::uint8_t>& bytes, bool& taken,
                  std::string& error, Readers readers, Durability durability) {
    taken = false;
    const fs::path target = PathFromUtf8(path);
    if (target.empty()) {
        error = SystemText(ENOENT);
        return false;
    }
    const fs::path temporary = WriteTemporary(target, bytes, readers, error, durability);
    if (temporary.empty())
        return false;
    const Claim claim = ClaimName(temporary, target, error);
    if (claim != Claim::Done) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
    }
    taken = claim == Claim::Taken;
    return claim == Claim::Done;
}

#ifdef _WIN32

// A named mutex per folder: a folder cannot be locked like a file there. The system lets go of
// it when the run that held it ends.
FolderLock::FolderLock(const fs::path& folder, std::chrono::milliseconds wait) {
    std::error_code ec;
    std::wstring name = fs::absolute(folder, ec).native();
    for (wchar_t& c : name) {
        c = static_cast<wchar_t>(std::towlower(c));
        if (c == L'\\')
            c = L'/';
    }
    name = L"Local\\OrvelTool:" + name.substr(0, 200);
    handle_ = ::CreateMutexW(nullptr, FALSE, name.c_str());
    if (handle_ != nullptr) {
        const DWORD result = ::WaitForSingleObject(handle_, static_cast<DWORD>(wait.count()));
        if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) {
            heldElsewhere_ = result == WAIT_TIMEOUT;
            ::CloseHandle(handle_);
            handle_ = nullptr;
        }
    }
}

FolderLock::~FolderLock() {
    if (handle_ != nullptr) {
        ::ReleaseMutex(handle_);
        ::CloseHandle(handle_);
    }
}

#else

FolderLock::FolderLock(const fs::path& folder, std::chrono::milliseconds wait) {
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    // A run holds the folder for the moment a copy takes; the turn is asked for again and again
    // rather than waited for, so the wait can end.
    constexpr auto kRetry = std::chrono::milliseconds(10);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int code = errno;
        if (code == EINTR)
            continue;
        const bool held = code == EWOULDBLOCK;
        if (held && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(kRetry);
            continue;
        }
        heldElsewhere_ = held;
        ::close(fd_);
        fd_ = -1;
        return;
    }
}

FolderLock::~FolderLock() {
    if (fd_ >= 0)
        ::close(fd_);  // lets go of the lock
}

#endif

}  // namespace orvel
