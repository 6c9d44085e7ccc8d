#include "plan_store.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <cstring>
#include <set>

#include "echo_text.h"
#include "programming_record.h"

namespace orvel::plan_store {
namespace {

const char* const kPlanColumns =
    "name, version, sha256, image, note, station, operator_name, added_utc";
const char* const kUnitColumns = "unit, plan, port, site, assigned_utc, station, operator_name";

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string String(const QVariant& value) {
    return value.toString().toStdString();
}

QByteArray Bytes(const MemoryImage& image) {
    return QByteArray(reinterpret_cast<const char*>(image.data()),
                      static_cast<qsizetype>(image.size()));
}

std::string NoPlan(const std::string& name) {
    return "no plan is named " + EchoText(name);
}

// The row as it was stored, or why it must not be used: bytes that are not an image, or not
// the ones their SHA-256 was taken of (a row changed behind the library's back).
Result<PlanVersion> ReadPlan(const QSqlQuery& query) {
    PlanVersion plan;
    plan.name = String(query.value(0));
    plan.version = query.value(1).toInt();
    plan.sha256 = String(query.value(2));
    const QByteArray bytes = query.value(3).toByteArray();
    const std::string which =
        "plan " + EchoText(plan.name) + " version " + std::to_string(plan.version) + ": ";
    if (bytes.size() != static_cast<qsizetype>(kImageSize)) {
        return Failure{which + "its bytes are " + std::to_string(bytes.size()) + " long, not " +
                       std::to_string(kImageSize) + "; it is not used"};
    }
    std::memcpy(plan.image.data(), bytes.constData(), plan.image.size());
    if (Sha256Hex(plan.image) != plan.sha256)
        return Failure{which + "its bytes do not match their SHA-256; it is not used"};
    std::string* const texts[] = {&plan.note, &plan.station, &plan.operatorName, &plan.addedUtc};
    int column = 4;
    for (std::string* text : texts)
        *text = String(query.value(column++));
    return plan;
}

Result<bool> Known(QSqlDatabase& db, const std::string& name) {
    QSqlQuery query(db);
    if (Status run = RunQuery(
            query, QStringLiteral("SELECT 1 FROM orvel_plans WHERE name = ? LIMIT 1"), {Q(name)});
        !run) {
        return Failure{run.error()};
    }
    return query.next();
}

UnitAssignment ReadUnit(const QSqlQuery& query) {
    UnitAssignment unit;
    std::string* const texts[] = {&unit.unit,        &unit.plan,    &unit.port,        &unit.site,
                                  &unit.assignedUtc, &unit.station, &unit.operatorName};
    int column = 0;
    for (std::string* text : texts)
        *text = String(query.value(column++));
    return unit;
}

}  // namespace

Result<PlanAdded> Add(QSqlDatabase& db, const PlanVersion& plan) {
    if (Status named = CheckPlanName(plan.name); !named)
        return Failure{"the plan's name: " + named.error()};
    const std::string sha256 = Sha256Hex(plan.image);
    QSqlQuery newest(db);
    if (Status run = RunQuery(newest,
                              QStringLiteral("SELECT version, sha256, image FROM orvel_plans WHERE "
                                             "name = ? ORDER BY version DESC LIMIT 1"),
                              {Q(plan.name)});
        !run) {
        return Failure{run.error()};
    }
    int version = 0;
    if (newest.next()) {
        version = newest.value(0).toInt();
        // The bytes themselves too: a newest row changed behind the library's back is no
        // reason to refuse the right bytes, which then become the newest.
        if (String(newest.value(1)) == sha256 && newest.value(2).toByteArray() == Bytes(plan.image))
            return PlanAdded{version, false};
    }
    QSqlQuery insert(db);
    if (Status run =
            RunQuery(insert,
                     QStringLiteral("INSERT INTO orvel_plans (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
                         .arg(QLatin1String(kPlanColumns)),
                     {Q(plan.name), version + 1, Q(sha256), Bytes(plan.image), Q(plan.note),
                      Q(plan.station), Q(plan.operatorName), Q(UtcNow())});
        !run) {
        return Failure{run.error()};
    }
    return PlanAdded{version + 1, true};
}

Result<PlanVersion> Get(QSqlDatabase& db, const std::string& name, int version) {
    QSqlQuery query(db);
    QString sql = QStringLiteral("SELECT %1 FROM orvel_plans WHERE name = ?")
                      .arg(QLatin1String(kPlanColumns));
    QVariantList values{Q(name)};
    if (version == 0) {
        sql += QStringLiteral(" ORDER BY version DESC LIMIT 1");
    } else {
        sql += QStringLiteral(" AND version = ?");
        values << version;
    }
    if (Status run = RunQuery(query, sql, values); !run)
        return Failure{run.error()};
    if (query.next())
        return ReadPlan(query);
    if (version == 0)
        return Failure{NoPlan(name)};
    const Result<bool> known = Known(db, name);
    if (!known)
        return Failure{known.error()};
    if (!*known)
        return Failure{NoPlan(name)};
    return Failure{"plan " + EchoText(name) + " has no version " + std::to_string(version)};
}

Result<std::vector<PlanVersion>> Versions(QSqlDatabase& db, const std::string& name) {
    QSqlQuery query(db);
    if (Status run =
            RunQuery(query,
                     QStringLiteral("SELECT %1 FROM orvel_plans WHERE name = ? ORDER BY version")
                         .arg(QLatin1String(kPlanColumns)),
                     {Q(name)});
        !run) {
        return Failure{run.error()};
    }
    std::vector<PlanVersion> versions;
    while (query.next()) {
        Result<PlanVersion> plan = ReadPlan(query);
        if (!plan)
            return Failure{plan.error()};
        versions.push_back(std::move(*plan));
    }
    if (versions.empty())
        return Failure{NoPlan(name)};
    return versions;
}

Result<std::vector<PlanSummary>> Summaries(QSqlDatabase& db) {
    // A unit holds its plan when its latest verified write wrote the newest version's bytes.
    QSqlQuery query(db);
    if (Status run = RunQuery(
            query,
            QStringLiteral(
                "SELECT p.name, p.version, p.sha256, p.added_utc,"
                " (SELECT COUNT(*) FROM orvel_units u WHERE u.plan = p.name),"
                " (SELECT COUNT(*) FROM orvel_units u WHERE u.plan = p.name AND p.sha256 ="
                "  (SELECT r.plan_sha256 FROM orvel_records r WHERE r.unit = u.unit"
                "   AND r.action = ? AND r.verified = 1 AND r.exit_class = ?"
                "   ORDER BY r.started_utc DESC, r.id LIMIT 1))"
                " FROM orvel_plans p"
                " WHERE p.version = (SELECT MAX(version) FROM orvel_plans WHERE name = p.name)"),
            {Q(Text(RecordAction::Write)), Q(Text(ExitClass::Ok))});
        !run) {
        return Failure{run.error()};
    }
    std::vector<PlanSummary> plans;
    while (query.next()) {
        plans.push_back({String(query.value(0)), query.value(1).toInt(), String(query.value(2)),
                         String(query.value(3)),
                         static_cast<std::size_t>(query.value(4).toLongLong()),
                         static_cast<std::size_t>(query.value(5).toLongLong())});
    }
    // In the order of their bytes on either engine, whatever the server's collation.
    std::sort(plans.begin(), plans.end(),
              [](const PlanSummary& a, const PlanSummary& b) { return a.name < b.name; });
    return plans;
}

Status Assign(QSqlDatabase& db, const std::vector<UnitAssignment>& units) {
    for (const UnitAssignment& unit : units) {
        if (Status named = CheckPlanName(unit.unit); !named)
            return Failure{"a unit's name: " + named.error() + "; no unit was assigned"};
    }
    std::set<std::string> known;
    for (const UnitAssignment& unit : units) {
        if (known.count(unit.plan) != 0)
            continue;
        const Result<bool> found = Known(db, unit.plan);
        if (!found)
            return found.status();
        if (!*found) {
            return Failure{"unit " + EchoText(unit.unit) + ": " + NoPlan(unit.plan) +
                           "; no unit was assigned"};
        }
        known.insert(unit.plan);
    }
    QSqlQuery upsert(db);
    if (!upsert.prepare(QStringLiteral("INSERT INTO orvel_units (%1) VALUES (?, ?, ?, ?, ?, ?, ?) "
                                       "ON CONFLICT (unit) DO UPDATE SET plan = excluded.plan, "
                                       "port = excluded.port, site = excluded.site, "
                                       "assigned_utc = excluded.assigned_utc, "
                                       "station = excluded.station, "
                                       "operator_name = excluded.operator_name")
                            .arg(QLatin1String(kUnitColumns)))) {
        return Failure{Problem(upsert.lastError())};
    }
    const QString now = Q(UtcNow());
    for (const UnitAssignment& unit : units) {
        for (const std::string* text : {&unit.unit, &unit.plan, &unit.port, &unit.site})
            upsert.addBindValue(Q(*text));
        upsert.addBindValue(now);
        upsert.addBindValue(Q(unit.station));
        upsert.addBindValue(Q(unit.operatorName));
        if (!upsert.exec())
            return Failure{Problem(upsert.lastError())};
    }
    return {};
}

Result<std::optional<UnitAssignment>> Unit(QSqlDatabase& db, const std::string& unit) {
    QSqlQuery query(db);
    if (Status run = RunQuery(query,
                              QStringLiteral("SELECT %1 FROM orvel_units WHERE unit = ?")
                                  .arg(QLatin1String(kUnitColumns)),
                              {Q(unit)});
        !run) {
        return Failure{run.error()};
    }
    if (!query.next())
        return std::optional<UnitAssignment>();
    return std::optional<UnitAssignment>(ReadUnit(query));
}

Result<std::vector<UnitAssignment>> Units(QSqlDatabase& db, const std::string& site,
                                          const std::string& plan) {
    QStringList conditions;
    QVariantList values;
    for (const auto& [condition, value] : {std::pair{"site = ?", &site}, {"plan = ?", &plan}}) {
        if (value->empty())
            continue;
        conditions << QLatin1String(condition);
        values << Q(*value);
    }
    QSqlQuery query(db);
    if (Status run = RunQuery(
            query,
            QStringLiteral("SELECT %1 FROM orvel_units%2")
                .arg(QLatin1String(kUnitColumns),
                     conditions.isEmpty() ? QString()
                                          : " WHERE " + conditions.join(QStringLiteral(" AND "))),
            values);
        !run) {
        return Failure{run.error()};
    }
    std::vector<UnitAssignment> units;
    while (query.next())
        units.push_back(ReadUnit(query));
    std::sort(units.begin(), units.end(),
              [](const UnitAssignment& a, const UnitAssignment& b) { return a.unit < b.unit; });
    return units;
}

}  // namespace orvel::plan_store
