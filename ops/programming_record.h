// The programming record: one row per read or write of a radio, saying which radio got which
// plan, when, where, by whom and how it went, so a bench (or many) can answer for it later.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "memory_image.h"
#include "result.h"

namespace orvel {

// What a record is of and how it ended as a class of exit codes, kept, printed and exported as
// these texts (the one place they meet, in the enums' order); a text no record of this program
// holds reads as a write, or as a data failure: the record is shown rather than lost.
enum class RecordAction { Read, Write };
enum class ExitClass { Ok, Communication, Data, Port };
inline constexpr std::string_view kActionWords[] = {"read", "write"};
inline constexpr std::string_view kClassWords[] = {"ok", "communication", "data", "port"};
inline std::string Text(RecordAction action) {
    return std::string(kActionWords[int(action)]);
}
inline std::string Text(ExitClass exitClass) {
    return std::string(kClassWords[int(exitClass)]);
}
RecordAction ActionFromText(std::string_view text);
ExitClass ExitClassFromText(std::string_view text);

struct ProgrammingRecord {
    std::string id;          // a UUID, so that records of several benches merge without clashes
    std::string startedUtc;  // 2026-12-07T13:45:01.123Z
    std::string endedUtc;
    std::string station;
    std::string operatorName;
    std::string program;  // orvelctl, orveltool
    std::string version;
    RecordAction action = RecordAction::Read;
    std::string port;        // as shown
    std::string radioId;     // the radio's eight identification characters; empty when not asked
    std::string unit;        // the label the operator typed or scanned; empty when none
    std::string planFile;    // the file's name (no folder); empty when none
    std::string planSha256;  // of the 260 bytes written, or read; empty when none were
    std::string outcome;     // "ok", or the failure in the words the log uses
    ExitClass exitClass = ExitClass::Ok;
    bool verified = false;              // the read-back after the write matched it
    std::optional<MemoryImage> before;  // the radio's bytes read before a write
    std::optional<MemoryImage> after;   // read after the write (its verify), or by a read
};

// A fresh record: its id, its start time, the program and its version.
ProgrammingRecord StartRecord(std::string_view program, RecordAction action);
// The end time; the caller has filled in the outcome.
void EndRecord(ProgrammingRecord& record);

std::string NewRecordId();
// Now in UTC, to the millisecond, in the form that sorts as text.
std::string UtcNow();
// "2026-12-07" or "2026-12-07T13:45[:01][Z]" as the start of that moment in the stored form;
// empty when the text is neither.
std::string UtcFromDate(std::string_view text);
std::string Sha256Hex(const MemoryImage& image);
// A plan given as its SHA-256: 64 hexadecimal digits (either case).
bool IsSha256Text(std::string_view text);

// The station and operator when the INI names none: the host name and the system user.
std::string DefaultStation();
std::string DefaultOperator();

// The shared database, from INI Record= or --record.
struct ServerAddress {
    std::string host;
    int port = 5432;
    std::string database;
    std::string user;  // empty: libpq's own default (PGUSER, the system user)
    // Passed on to libpq as given: sslmode, sslrootcert, connect_timeout ...
    std::string connectOptions;
    std::string shown;  // the URL as the user gave it (it never holds a password)
    // The URL's own sslmode (disable, allow, prefer) lets records to a host off this machine
    // travel unencrypted; every run says so once.
    std::string unencrypted;
};

// postgresql://[user@]host[:port]/database[?sslmode=...]. The reason when the text is no such
// URL, when it holds a password, which only PostgreSQL's own means may supply, or a key twice.
// A host off this machine without an sslmode (in the URL or a PGSSLMODE that encrypts) gets
// sslmode=require, or verify-full where a root certificate is configured: anyone on the path
// could otherwise talk libpq's default down to plain text.
Result<ServerAddress> ParseRecordUrl(std::string_view url);
// "the records to HOST travel unencrypted (sslmode=MODE in the URL)", or empty.
std::string UnencryptedWarning(const ServerAddress& address);

// The server as the outbox names it: postgresql://user@host:port/database, whatever options
// the URL had, so a record owed stays owed when only sslmode changes.
std::string ServerKey(const ServerAddress& address);

// What `record list` asks for; an empty member does not filter.
struct RecordFilter {
    std::string unit;
    std::string planFile;
    std::string planSha256;  // the whole SHA-256 or its start, in lower case
    std::string station;
    std::string sinceUtc;
    // A page: at most `limit` records (0: all), those listed after the record that started at
    // `afterStartedUtc` with the id `afterId` (none: from the newest).
    std::size_t limit = 0;
    std::string afterStartedUtc;
    std::string afterId;
};

// A plan as the user names it: a SHA-256 or a start of one of at least 8 hexadecimal digits
// (either case), as the record dialog shows it; anything else is a file name, without its folder.
void FilterByPlan(RecordFilter& filter, std::string_view plan);
// How many plans a start of a SHA-256 picked out among `records` (more than one: it is not
// unique); 0 when the filter names no start of one.
std::size_t PlansStartingWith(const RecordFilter& filter,
                              const std::vector<ProgrammingRecord>& records);

}  // namespace orvel
