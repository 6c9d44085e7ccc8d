// Where programming records are kept: a SQLite file on the bench, or a PostgreSQL database
// that several benches share, through Qt SQL with one schema for both. A store is used only by
// the thread that opened it (Qt SQL's rule for a connection).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "programming_record.h"

namespace orvel {

// The schema this program writes; a database of a newer one is refused and left as it is.
inline constexpr int kRecordSchemaVersion = 1;
// How long a write waits while another program holds the SQLite file.
inline constexpr int kRecordBusyTimeoutMs = 5000;

// False in a build without Qt SQL: it keeps no records, and Open* say so.
bool RecordsAvailable();

class RecordStore {
public:
    // The SQLite file, created with its folder when missing (unless `create` is false: then a
    // missing file is an error that says so).
    static std::unique_ptr<RecordStore> OpenFile(const std::string& path, std::string& error,
                                                 bool create = true,
                                                 int busyTimeoutMs = kRecordBusyTimeoutMs);
    // The server; its password only as libpq finds it (~/.pgpass, PGPASSFILE, PGPASSWORD).
    static std::unique_ptr<RecordStore> OpenServer(const ServerAddress& address,
                                                   std::string& error);
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // The file's path or the server's URL, for messages.
    const std::string& Name() const;

    // Stores the record; one of the same id already there stays as it is.
    bool Insert(const ProgrammingRecord& record, std::string& error);
    // Newest first; without the images unless asked for.
    bool Query(const RecordFilter& filter, std::vector<ProgrammingRecord>& records,
               std::string& error, bool withImages = false);
    // How many records the filter picks, without its page.
    bool Count(const RecordFilter& filter, std::size_t& count, std::string& error);
    // The record whose id is `id`, or the only one whose id starts with it.
    bool Find(const std::string& id, ProgrammingRecord& record, std::string& error);

    // The outbox of a local file: a record owed to the server `server` (ServerKey) is stored
    // with its mark in one step, and the mark goes once the server has it.
    bool InsertOwed(const ProgrammingRecord& record, const std::string& server, std::string& error);
    bool Owed(const std::string& server, std::vector<ProgrammingRecord>& records,
              std::string& error);
    bool Settle(const std::string& id, std::string& error);

    struct Impl;

private:
    explicit RecordStore(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace orvel
