// Keeping a programming record where the bench wants it, and never losing one: the shared
// server when one is named, else (or when it cannot be reached or refuses) the local file,
// whose outbox sends the record on once the server is back. No record stops a radio.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "programming_record.h"
#include "record_store.h"

namespace orvel {

struct RecordPlace {
    std::string localFile;  // records.sqlite beside the safety copies; also the outbox
    std::optional<ServerAddress> server;
};

// What became of one record beyond its arrival, for each program to say in its own words.
struct KeepOutcome {
    enum class Kind {
        Kept,        // where it was meant to go; nothing to say
        OutboxSent,  // kept, and `sent` records that waited in the outbox went with it
        Waiting,     // in the outbox until the server takes it
        Nowhere,
    };
    Kind kind = Kind::Kept;
    std::string recordId;
    int sent = 0;
    // The server was not tried: it was not reached a moment ago.
    bool serverResting = false;
    // The store's own words, after its name; empty when it was not the cause.
    std::string serverError;
    std::string localError;
};

// One per thread, kept for as long as the thread writes radios: a production line talks to
// the server over one connection.
class RecordKeeper {
public:
    explicit RecordKeeper(RecordPlace place);
    ~RecordKeeper();

    // Empty when the record is where it was meant to go (and nothing else needs saying);
    // otherwise the one line for the log: kept in the outbox and why, or kept nowhere and why.
    std::string Keep(const ProgrammingRecord& record);
    KeepOutcome Store(const ProgrammingRecord& record);
    // Keep of each, in one commit when they go to the local file alone; the lines of those
    // that have something to say.
    std::vector<std::string> KeepAll(const std::vector<ProgrammingRecord>& records);
    // The line of Keep, in orvelctl's words.
    std::string Describe(const KeepOutcome& outcome) const;

    struct SyncOutcome {
        int sent = 0;
        int left = 0;       // still owed
        std::string error;  // why the rest could not go
    };
    // Sends what the outbox owes the server, each record once.
    SyncOutcome Sync();

    const RecordPlace& Place() const { return place_; }

private:
    bool OnServer(const ProgrammingRecord& record, KeepOutcome& outcome);
    Status Local(bool create);
    Status Server();

    RecordPlace place_;
    std::unique_ptr<RecordStore> server_;
    std::unique_ptr<RecordStore> local_;
    bool outboxSent_ = false;
    // After a failed connection the server is left alone a while, so a line of radios does
    // not wait for its timeout at every radio.
    std::optional<std::chrono::steady_clock::time_point> retryAfter_;
};

// The store `record list` and `record show` read: the server when one is named, else the local
// file (created only when `createFile`: a plan added to a bench's own library).
Result<std::unique_ptr<RecordStore>> OpenRecordsForReading(const RecordPlace& place,
                                                           bool createFile = false);

}  // namespace orvel
