#include "backup_store.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <tuple>
#include <vector>

#include "channel_file.h"
#include "file_access.h"
#include "number_text.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kStampSize = 15;  // YYYYMMDD-HHMMSS
// Names taken by others before this run's claim gets one; each taken name is counted past.
constexpr int kClaimAttempts = 100;

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string TimeStamp(std::time_t time) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &time);
#else
    localtime_r(&time, &local);
#endif
    char buffer[32];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y%m%d-%H%M%S", &local);
    return std::string(buffer, n);
}

// A copy this store named for pruning: its time stamp, the number that told apart copies of the
// same second (1 for the first), and whether it holds a replaced file's bytes.
struct Copy {
    std::string stamp;
    long long sequence;
    fs::path path;
    bool replacedFile = false;
};

// The copies this store wrote, one a line: the name, a tab, and the time the copy was last
// written, in the file clock's ticks. Only a copy listed here, and unchanged since, is ever
// pruned: a user's file that happens to be named like a copy, or a copy the user saved work
// into, stays.
constexpr std::string_view kListName = ".copies";

using CopyList = std::vector<std::pair<std::string, long long>>;

long long WriteTicks(const fs::path& path) {
    std::error_code ec;
    const auto time = fs::last_write_time(path, ec);
    return ec ? -1 : static_cast<long long>(time.time_since_epoch().count());
}

// A name of a file in the folder itself: a list written elsewhere or by hand must not reach
// a file outside it.
bool PlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\:") == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

CopyList ReadList(const fs::path& folder) {
    CopyList list;
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(Utf8FromPath(folder / PathFromUtf8(kListName)), bytes, error))
        return list;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t tab = line.rfind('\t');
        if (tab == std::string_view::npos || !PlainName(line.substr(0, tab)))
            continue;
        const std::string_view ticks = line.substr(tab + 1);
        long long value = 0;
        const auto [last, fault] =
            std::from_chars(ticks.data(), ticks.data() + ticks.size(), value);
        if (fault != std::errc() || last != ticks.data() + ticks.size())
            continue;
        list.emplace_back(std::string(line.substr(0, tab)), value);
    }
    return list;
}

// Keeps only the entries whose copy is still there as this store wrote it.
void WriteList(const fs::path& folder, const CopyList& list) {
    std::string text;
    for (const auto& [name, ticks] : list) {
        if (WriteTicks(folder / PathFromUtf8(name)) == ticks)
            text += name + "\t" + std::to_string(ticks) + "\n";
    }
    std::string error;
    // A copy the list lost is only never pruned.
    WriteFileAtomically(Utf8FromPath(folder / PathFromUtf8(kListName)), text, error, Readers::Owner,
                        Durability::Cache);
}

constexpr std::string_view kExtensions[] = {".dat", ".json", ".csv"};

bool KnownExtension(std::string_view extension) {
    for (std::string_view known : kExtensions) {
        if (extension == known)
            return true;
    }
    return false;
}

std::optional<Copy> AsPrunableCopy(const fs::path& path) {
    const std::string name = Utf8FromPath(path.filename());
    const std::string extension = Utf8FromPath(path.extension());
    if (!KnownExtension(extension))
        return std::nullopt;
    std::string_view rest(name);
    rest.remove_suffix(extension.size());
    if (rest.size() <= kStampSize + 1)
        return std::nullopt;
    const std::string_view stamp = rest.substr(0, kStampSize);
    if (!AllDigits(stamp.substr(0, 8)) || stamp[8] != '-' || !AllDigits(stamp.substr(9)) ||
        rest[kStampSize] != '-') {
        return std::nullopt;
    }
    rest.remove_prefix(kStampSize + 1);
    long long sequence = 1;
    if (const std::size_t dash = rest.rfind('-'); dash != std::string_view::npos) {
        if (!AllDigits(rest.substr(dash + 1)))
            return std::nullopt;
        sequence = ReadInteger(rest.substr(dash + 1));
        rest = rest.substr(0, dash);
    }
    if (rest != "read" && rest != "write" && rest != "before" && rest != "file")
        return std::nullopt;
    return Copy{std::string(stamp), sequence, path, rest == "file"};
}

// Plain name order would put "-10" before "-2" and "-2" before the first copy of a second. The
// copy just written is spared whatever its name says, as a clock set back would make it look old.
// Copies of replaced files and copies of the radio rotate apart: a hundred writes must not eat
// the copy of the file a save replaced.
void Prune(const fs::path& folder, const CopyList& list, const fs::path& justWritten, int keep) {
    const std::optional<Copy> written = AsPrunableCopy(justWritten);
    std::vector<Copy> copies;
    for (const auto& [name, ticks] : list) {
        const fs::path path = folder / PathFromUtf8(name);
        std::error_code typeError;
        if (path == justWritten || !fs::is_regular_file(fs::symlink_status(path, typeError)))
            continue;
        if (WriteTicks(path) != ticks)
            continue;  // changed since: the user's now
        auto copy = AsPrunableCopy(path);
        if (copy && written && copy->replacedFile == written->replacedFile)
            copies.push_back(std::move(*copy));
    }
    // A copy of another kind is not one of the `keep`.
    const auto others = static_cast<std::size_t>(keep - (written ? 1 : 0));
    if (copies.size() <= others)
        return;
    std::sort(copies.begin(), copies.end(), [](const Copy& a, const Copy& b) {
        return std::tie(a.stamp, a.sequence, a.path) < std::tie(b.stamp, b.sequence, b.path);
    });
    const std::size_t excess = copies.size() - others;
    for (std::size_t i = 0; i < excess; ++i) {
        std::error_code ec;  // a copy that will not go is tried again next time
        if (fs::remove(copies[i].path, ec) || !ec)
            continue;
        // Windows refuses to delete a file marked read-only, as a copy taken off a CD or
        // out of an archive often is; the mark guards nothing the store needs kept.
        fs::permissions(copies[i].path, fs::perms::owner_write, fs::perm_options::add, ec);
        if (!ec)
            fs::remove(copies[i].path, ec);
    }
}

// Counts past the highest counter of the second in use: a gap left by pruning must not be
// filled, or the newest copy would sort as the oldest of its second. It counts past `taken`, the
// counter of a name found taken, too: a folder that may be written but not listed shows no name.
// The first copy of a second has counter 1 and no suffix.
long long FreeCounter(const fs::path& folder, const std::string& base, std::string_view extension,
                      long long taken) {
    long long last = taken;
    std::error_code ec;
    const std::size_t tail = extension.size();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = Utf8FromPath(it->path().filename());
        if (name == base + std::string(extension)) {
            last = std::max(last, 1LL);
        } else if (name.size() > base.size() + 1 + tail && name.starts_with(base + "-") &&
                   name.ends_with(extension)) {
            const std::string_view counter = std::string_view(name).substr(
                base.size() + 1, name.size() - base.size() - 1 - tail);
            if (AllDigits(counter))
                last = std::max(last, ReadInteger(counter));
        }
    }
    return last + 1;
}

fs::path CopyName(const fs::path& folder, const std::string& base, std::string_view extension,
                  long long counter) {
    const std::string suffix(extension);
    return folder / PathFromUtf8(counter == 1 ? base + suffix
                                              : base + "-" + std::to_string(counter) + suffix);
}

// The same kind gives the same name on every system: what Windows cannot hold in a name
// becomes '_'.
std::string NameSafe(std::string_view kind) {
    std::string name(kind);
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
            c = '_';
    }
    return name;
}

}  // namespace

std::string SaveBackup(const std::string& folder, const MemoryImage& image, std::string_view kind,
                       std::string& error, int keep, std::optional<std::time_t> now,
                       bool* folderHeld, Durability durability) {
    return SaveBackupBytes(folder, ChannelFileBytes(image), kind, ".dat", error, keep, now,
                           folderHeld, durability);
}

std::string SaveBackupBytes(const std::string& folder, const std::vector<std::uint8_t>& bytes,
                            std::string_view kind, std::string_view extension, std::string& error,
                            int keep, std::optional<std::time_t> now, bool* folderHeld,
                            Durability durability) {
    if (!KnownExtension(extension)) {
        error = "invalid backup extension";
        return {};
    }
    if (kind.empty() || kind.find_first_of("/\\") != std::string_view::npos ||
        kind.find('\0') != std::string_view::npos) {
        error = "invalid backup kind";
        return {};
    }
    const fs::path directory = PathFromUtf8(folder);
    if (!MakePrivateFolders(directory, error))
        return {};

    const std::string base = TimeStamp(now.value_or(std::time(nullptr))) + "-" + NameSafe(kind);
    // Runs that save copies at once take turns at the names and the list; a name is still
    // claimed only while free, for a program that does not take its turn.
    const FolderLock turn(directory);
    if (turn.HeldElsewhere()) {
        error = folder + " is held by another program (waited " +
                std::to_string(kFolderLockWait.count()) + " s)";
        if (folderHeld != nullptr)
            *folderHeld = true;
        return {};
    }
    const std::string listPath = Utf8FromPath(directory / PathFromUtf8(kListName));
    if (const std::string problem = OwnFileProblem(listPath); !problem.empty()) {
        error = listPath + " is " + problem + ", not the list of the copies; it is left as it is";
        return {};
    }
    fs::path target;
    long long counter = 0;
    for (int attempt = 0;; ++attempt) {
        counter = FreeCounter(directory, base, extension, counter);
        target = CopyName(directory, base, extension, counter);
        bool taken = false;
        if (WriteNewFile(Utf8FromPath(target), bytes, taken, error, Readers::Owner, durability))
            break;
        if (!taken)
            return {};
        if (attempt == kClaimAttempts) {
            error = "backup name in use: " + Utf8FromPath(target);
            return {};
        }
    }
    const std::string written = Utf8FromPath(target);
    CopyList list = ReadList(directory);
    list.emplace_back(Utf8FromPath(target.filename()), WriteTicks(target));
    Prune(directory, list, target, std::max(keep, 1));
    WriteList(directory, list);
    return written;
}

void DiscardBackup(const std::string& copyPath) {
    std::error_code ec;
    fs::remove(PathFromUtf8(copyPath), ec);
}

}  // namespace orvel
