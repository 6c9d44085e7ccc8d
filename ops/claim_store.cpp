#include "claim_store.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <algorithm>

#include "plan_store.h"

namespace orvel::claim_store {
namespace {

// Milliseconds since 1970 by the store's clock, not the bench's: benches' clocks disagree.
QString Now(bool server) {
    return server ? QStringLiteral("CAST(EXTRACT(EPOCH FROM CLOCK_TIMESTAMP()) * 1000 AS BIGINT)")
                  : QStringLiteral("CAST((JULIANDAY('NOW') - 2440587.5) * 86400000 AS INTEGER)");
}

// "?, ?, ?" for the values of an IN list.
QString Marks(std::size_t count) {
    QStringList marks;
    for (std::size_t i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(QStringLiteral(", "));
}

QVariantList Texts(const std::vector<std::string>& texts) {
    QVariantList values;
    for (const std::string& text : texts)
        values << QString::fromStdString(text);
    return values;
}

}  // namespace

Result<std::int64_t> Clock(QSqlDatabase& db, bool server) {
    QSqlQuery query(db);
    if (Status run = RunQuery(query, QStringLiteral("SELECT ") + Now(server), {}); !run)
        return Failure{run.error()};
    if (!query.next())
        return Failure{Problem(query.lastError())};
    return query.value(0).toLongLong();
}

Result<std::vector<std::string>> Claim(QSqlDatabase& db, bool server, const ClaimingRun& run,
                                       const std::vector<std::string>& units, int expiryMs) {
    std::vector<std::string> asked = units;
    // Always in one order: two servers' transactions inserting the same units then wait for
    // each other one way only, never in a circle.
    std::sort(asked.begin(), asked.end());
    asked.erase(std::unique(asked.begin(), asked.end()), asked.end());
    if (asked.empty())
        return asked;
    const QString id = QString::fromStdString(run.id);
    QSqlQuery insert(db);
    if (!insert.prepare(QStringLiteral("INSERT INTO orvel_claims (unit, run, expires_ms) VALUES "
                                       "(?, ?, %1 + ?) ON CONFLICT (unit) DO NOTHING")
                            .arg(Now(server)))) {
        return Failure{Problem(insert.lastError())};
    }
    for (const std::string& unit : asked) {
        insert.addBindValue(QString::fromStdString(unit));
        insert.addBindValue(id);
        insert.addBindValue(expiryMs);
        if (!insert.exec())
            return Failure{Problem(insert.lastError())};
    }
    // The rows the run may have: on a server each locked as it is taken, and a row another
    // run's transaction holds locked is that run's, without waiting for it.
    QSqlQuery free(db);
    if (Status found =
            RunQuery(free,
                     QStringLiteral("SELECT unit FROM orvel_claims WHERE unit IN (%1) AND "
                                    "(run = ? OR expires_ms < %2 OR ended_ms <= ?)%3")
                         .arg(Marks(asked.size()), Now(server),
                              server ? QStringLiteral(" FOR UPDATE SKIP LOCKED") : QString()),
                     Texts(asked) << id << qlonglong(run.startedMs));
        !found) {
        return Failure{found.error()};
    }
    std::vector<std::string> claimed;
    while (free.next())
        claimed.push_back(free.value(0).toString().toStdString());
    if (claimed.empty())
        return claimed;
    QSqlQuery take(db);
    if (Status taken =
            RunQuery(take,
                     QStringLiteral("UPDATE orvel_claims SET run = ?, expires_ms = %1 + ?, "
                                    "ended_ms = NULL WHERE unit IN (%2)")
                         .arg(Now(server), Marks(claimed.size())),
                     QVariantList{id, expiryMs} << Texts(claimed));
        !taken) {
        return Failure{taken.error()};
    }
    return claimed;
}

Status Renew(QSqlDatabase& db, bool server, const std::string& run, int expiryMs) {
    QSqlQuery query(db);
    return RunQuery(query,
                    QStringLiteral("UPDATE orvel_claims SET expires_ms = %1 + ? WHERE run = ? AND "
                                   "ended_ms IS NULL")
                        .arg(Now(server)),
                    {expiryMs, QString::fromStdString(run)});
}

Status End(QSqlDatabase& db, bool server, const std::string& run,
           const std::vector<std::string>& unread) {
    const QString id = QString::fromStdString(run);
    QSqlQuery query(db);
    if (!unread.empty()) {
        if (Status freed =
                RunQuery(query,
                         QStringLiteral("DELETE FROM orvel_claims WHERE run = ? AND unit "
                                        "IN (%1)")
                             .arg(Marks(unread.size())),
                         QVariantList{id} << Texts(unread));
            !freed) {
            return freed;
        }
    }
    return RunQuery(
        query,
        QStringLiteral("UPDATE orvel_claims SET ended_ms = %1 WHERE run = ? AND ended_ms "
                       "IS NULL")
            .arg(Now(server)),
        {id});
}

}  // namespace orvel::claim_store
