// The claims' statements, on the record store's connection: the store (record_store.cpp)
// bounds every call and begins the transactions these run in.
#pragma once

#include <QSqlDatabase>
#include <cstdint>
#include <string>
#include <vector>

#include "record_store.h"

namespace orvel::claim_store {

// `server`: PostgreSQL, else SQLite; each has its own words for the clock and the locks.
Result<std::int64_t> Clock(QSqlDatabase& db, bool server);
// Within a transaction; on a file one that no other program writes beside (BEGIN IMMEDIATE).
Result<std::vector<std::string>> Claim(QSqlDatabase& db, bool server, const ClaimingRun& run,
                                       const std::vector<std::string>& units, int expiryMs);
Status Renew(QSqlDatabase& db, bool server, const std::string& run, int expiryMs);
// Within a transaction.
Status End(QSqlDatabase& db, bool server, const std::string& run,
           const std::vector<std::string>& unread);

}  // namespace orvel::claim_store
