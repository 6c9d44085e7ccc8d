// The plan library's and the units' statements, on the record store's connection: the store
// (record_store.cpp) bounds every call and begins the transactions these run in.
#pragma once

#include <QSqlDatabase>
#include <QVariant>
#include <optional>
#include <string>
#include <vector>

#include "plan_library.h"
#include "result.h"

class QSqlError;
class QSqlQuery;

namespace orvel {

// An engine's error as one line of the user's message.
std::string Problem(const QSqlError& error);

// `sql` with `values` bound, run forward only; the engine's words when it fails.
Status RunQuery(QSqlQuery& query, const QString& sql, const QVariantList& values);

namespace plan_store {

// Within a transaction that no other bench's AddPlan can run beside.
Result<PlanAdded> Add(QSqlDatabase& db, const PlanVersion& plan);
Result<PlanVersion> Get(QSqlDatabase& db, const std::string& name, int version);
Result<std::vector<PlanVersion>> Versions(QSqlDatabase& db, const std::string& name);
Result<std::vector<PlanSummary>> Summaries(QSqlDatabase& db);

// Within a transaction: a refusal leaves its rollback to the caller.
Status Assign(QSqlDatabase& db, const std::vector<UnitAssignment>& units);
Result<std::optional<UnitAssignment>> Unit(QSqlDatabase& db, const std::string& unit);
Result<std::vector<UnitAssignment>> Units(QSqlDatabase& db, const std::string& site,
                                          const std::string& plan);

}  // namespace plan_store
}  // namespace orvel
