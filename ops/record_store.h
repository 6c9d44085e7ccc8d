// Where programming records are kept: a SQLite file on the bench, or a PostgreSQL database
// that several benches share, through Qt SQL with one schema for both. A store is used only by
// the thread that opened it (Qt SQL's rule for a connection).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plan_library.h"
#include "programming_record.h"
#include "result.h"

namespace orvel {

// The schema this program writes; a database of a newer one is refused and left as it is.
inline constexpr int kRecordSchemaVersion = 3;
// How long a write waits while another program holds the SQLite file.
inline constexpr int kRecordBusyTimeoutMs = 5000;

// False in a build without Qt SQL: it keeps no records, and Open* say so.
bool RecordsAvailable();

// A run that claims units (unit_claims.h): its id, and when it started by the store's clock.
struct ClaimingRun {
    std::string id;
    std::int64_t startedMs = 0;
};

class RecordStore {
public:
    // The SQLite file, created with its folder when missing (unless `create` is false: then a
    // missing file is an error that says so).
    static Result<std::unique_ptr<RecordStore>> OpenFile(const std::string& path,
                                                         bool create = true,
                                                         int busyTimeoutMs = kRecordBusyTimeoutMs);
    // The server; its password only as libpq finds it (~/.pgpass, PGPASSFILE, PGPASSWORD).
    static Result<std::unique_ptr<RecordStore>> OpenServer(const ServerAddress& address);
    virtual ~RecordStore() = default;

    // The file's path or the server's URL, for messages.
    virtual const std::string& Name() const = 0;

    // Stores the record; one of the same id already there stays as it is.
    virtual Status Insert(const ProgrammingRecord& record) = 0;
    // All of them or none, as one commit: a file's commit waits for its disk, once.
    virtual Status InsertAll(const std::vector<ProgrammingRecord>& records) {
        for (const ProgrammingRecord& record : records) {
            if (const Status inserted = Insert(record); !inserted)
                return inserted;
        }
        return {};
    }
    // Newest first; without the images unless asked for.
    virtual Result<std::vector<ProgrammingRecord>> Query(const RecordFilter& filter,
                                                         bool withImages = false) = 0;
    // How many records the filter picks, without its page.
    virtual Result<std::size_t> Count(const RecordFilter& filter) = 0;
    // The record whose id is `id`, or the only one whose id starts with it.
    virtual Result<ProgrammingRecord> Find(const std::string& id) = 0;

    // The outbox of a local file: a record owed to the server `server` (ServerKey) is stored
    // with its mark in one step, and the mark goes once the server has it.
    virtual Status InsertOwed(const ProgrammingRecord& record, const std::string& server) = 0;
    virtual Result<std::vector<ProgrammingRecord>> Owed(const std::string& server) = 0;
    virtual Status Settle(const std::string& id) = 0;

    // The plan library. `plan`'s name, image, note, station and operator are stored as the
    // name's next version (its number, SHA-256 and time are the store's), unless the newest
    // version holds the same bytes. Two benches adding at once get distinct versions.
    virtual Result<PlanAdded> AddPlan(const PlanVersion& plan) = 0;
    // One version (0: the newest); a row whose bytes do not match their SHA-256 is refused.
    virtual Result<PlanVersion> Plan(const std::string& name, int version = 0) = 0;
    // Every version of a name, oldest first, each checked as Plan() checks it.
    virtual Result<std::vector<PlanVersion>> PlanVersions(const std::string& name) = 0;
    virtual Result<std::vector<PlanSummary>> Plans() = 0;

    // All or nothing: one assignment naming a plan the library does not have refuses them all.
    // A unit assigned again takes the new assignment; its time is the store's.
    virtual Status Assign(const std::vector<UnitAssignment>& units) = 0;
    virtual Result<std::optional<UnitAssignment>> Unit(const std::string& unit) = 0;
    // Sorted by unit; an empty site or plan does not filter.
    virtual Result<std::vector<UnitAssignment>> Units(const std::string& site,
                                                      const std::string& plan) = 0;

    // Claims on units, so that runs on several benches at once split a fleet (unit_claims.h).
    // The store's clock, in milliseconds since 1970: every bench's claims are timed by it alone.
    virtual Result<std::int64_t> ClaimClock() = 0;
    // Those of `units` the run holds now, each for `expiryMs`: units no run holds, units whose
    // claim expired or whose run ended before this one started, and the run's own. Two runs
    // claiming at once never both get a unit.
    virtual Result<std::vector<std::string>> Claim(const ClaimingRun& run,
                                                   const std::vector<std::string>& units,
                                                   int expiryMs) = 0;
    // The run's claims hold for `expiryMs` from now.
    virtual Status RenewClaims(const std::string& run, int expiryMs) = 0;
    // The run is over: `unread` are free again; the others stay its own, marked ended, until
    // they expire, so a run that was under way meanwhile does not read them again.
    virtual Status EndClaims(const std::string& run, const std::vector<std::string>& unread) = 0;
};

}  // namespace orvel
