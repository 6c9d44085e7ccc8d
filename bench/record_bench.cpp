// What the programming record costs: a record per radio on a line that keeps its connection,
// a run that opens the store for its one record, a production line of in-process radios with
// and without its records, against the SQLite file and a PostgreSQL server on 127.0.0.1; and
// a query by unit among 100 000 records; the plan library's add and a unit's plan among
// 100 000 units and 10 000 plan versions; and the bookkeeping of a fleet status of 10 000 units.
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "cell_rules.h"
#include "fleet_records.h"
#include "pg_server.h"
#include "port_session.h"
#include "radio_operations.h"
#include "record_keeper.h"
#include "record_store.h"
#include "write_and_verify.h"

using namespace orvel;

namespace {

constexpr int kRadios = 200;
constexpr int kRuns = 20;
constexpr int kManyRecords = 100000;
constexpr int kManyUnits = 100000;
constexpr int kFilledPlans = 999;  // names, of 10 versions each: with those added, 10 000 versions
constexpr int kLineRadios = 1000;

double Milliseconds(const std::function<void()>& work, int times) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i)
        work();
    const std::chrono::duration<double, std::milli> spent =
        std::chrono::steady_clock::now() - start;
    return spent.count() / times;
}

bool Report(const char* name, double ms, double target) {
    std::printf("%-44s %8.2f ms  target %6.1f ms  ratio %5.2f\n", name, ms, target, ms / target);
    return ms <= target;
}

ProgrammingRecord Sample(int n) {
    ProgrammingRecord record = StartRecord("orvel_bench", RecordAction::Write);
    record.station = "bench";
    record.operatorName = "bench";
    record.port = "/dev/ttyUSB0";
    record.radioId = "ORVEL-R1";
    record.unit = "U-" + std::to_string(n);
    record.planFile = "plan.dat";
    MemoryImage image{};
    record.planSha256 = Sha256Hex(image);
    record.outcome = "ok";
    record.exitClass = ExitClass::Ok;
    record.verified = true;
    record.before = image;
    record.after = image;
    EndRecord(record);
    return record;
}

// `select` over the numbers 0 to count - 1 as i, for one INSERT of many rows.
QString Numbered(int count, const QString& select) {
    return QStringLiteral(
               "%1 FROM (WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
               "WHERE i < %2) SELECT i FROM n) AS numbers")
        .arg(select)
        .arg(count - 1);
}

// 100 000 records, each of its own unit, and as many units, each assigned one of 999 plans of
// 10 versions (their bytes `zeros`, which no lookup takes): one statement each.
bool Fill(const std::string& connection, const char* zeros) {
    QSqlQuery query(QSqlDatabase::database(QString::fromStdString(connection)));
    return query.exec(
               "INSERT INTO orvel_plans (name, version, sha256, image, note, station, "
               "operator_name, added_utc) " +
               Numbered(kFilledPlans * 10,
                        QStringLiteral("SELECT 'P-' || CAST(i % %1 AS TEXT), i / %1 + 1, "
                                       "'x', %2, '', 'bench', 'bench', "
                                       "'2026-01-01T00:00:00.000Z'")
                            .arg(kFilledPlans)
                            .arg(QLatin1String(zeros)))) &&
           query.exec(
               "INSERT INTO orvel_units (unit, plan, port, site, assigned_utc, station, "
               "operator_name) " +
               Numbered(kManyUnits,
                        QStringLiteral("SELECT 'SN-' || CAST(i AS TEXT), 'P-' || CAST(i % "
                                       "%1 AS TEXT), '', 'site-' || CAST(i % 50 AS TEXT), "
                                       "'2026-01-01T00:00:00.000Z', 'bench', 'bench'")
                            .arg(kFilledPlans))) &&
           query.exec(
               "INSERT INTO orvel_records (id, started_utc, ended_utc, station, operator_name, "
               "program, program_version, action, port, radio_id, unit, plan_file, plan_sha256, "
               "outcome, exit_class, verified) " +
               Numbered(kManyRecords,
                        QStringLiteral(
                            "SELECT 'fill-' || CAST(i AS TEXT), '2026-01-01T00:00:00.000Z', "
                            "'2026-01-01T00:00:01.000Z', 'bench', 'bench', 'orvel_bench', '1.0', "
                            "'write', '/dev/ttyUSB0', 'ORVEL-R1', 'SN-' || CAST(i AS TEXT), "
                            "'plan.dat', 'x', 'ok', 'ok', 1")));
}

// Per radio of a production line of in-process radios, each written and verified as fast as
// the virtual radio answers (no pauses between frames, so the record's share is at its
// largest); with `keeper`, each radio's record made and kept as the line keeps it.
double LineRadio(RecordKeeper* keeper, std::string& said, bool& ok) {
    const MemoryImage plan = StartupImage();
    const DecodedImage decoded = DecodeAsShown(plan, DecodeSource::FromFile, {223.0, 235.0});
    const WriteRequest request{decoded.table, decoded.settings, {}};
    ExchangeHooks hooks;
    hooks.pause = [](int) {};
    int n = 0;
    return Milliseconds(
        [&] {
            PortSession session;
            session.AttachVirtualRadio("virtual radio");
            ok &= session.port.OpenDevice("virtual radio") == 1;
            ProgrammingRecord record;
            if (keeper != nullptr)
                record = StartRecord("orvel_bench", RecordAction::Write);
            const WriteCheckOutcome outcome =
                WriteAndVerify(session.port, plan, request, true, hooks);
            ok &= outcome.verdict == WriteVerdict::Verified;
            if (keeper == nullptr)
                return;
            record.station = "bench";
            record.operatorName = "bench";
            record.port = "virtual radio";
            record.unit = "L-" + std::to_string(n++);
            record.planFile = "plan.dat";
            record.planSha256 = Sha256Hex(WrittenImage(plan, request));
            record.radioId = outcome.verify->readBack.identity;
            record.after = outcome.verify->readBack.image;
            record.verified = true;
            record.outcome = "ok";
            record.exitClass = ExitClass::Ok;
            EndRecord(record);
            said += keeper->Keep(record);
        },
        kLineRadios);
}

bool Measure(const char* engine, const RecordPlace& place, double target,
             const std::function<bool()>& fill) {
    bool ok = true;
    {
        std::string said;
        const double bare = LineRadio(nullptr, said, ok);
        RecordKeeper line(place);
        const double kept = LineRadio(&line, said, ok);
        std::printf("%-44s %8.2f ms  without the record %6.2f ms  record's share %4.1f %%\n",
                    (std::string("line of 1000 radios, ") + engine + ", per radio").c_str(), kept,
                    bare, 100 * (kept - bare) / kept);
        ok &= Report((std::string("record per radio, ") + engine + " (line of 1000)").c_str(),
                     kept - bare, target);
        if (!said.empty() || !ok) {
            std::fprintf(stderr, "%s: the line failed %s\n", engine, said.substr(0, 300).c_str());
            ok = false;
        }
    }
    RecordKeeper line(place);
    int n = 0;
    std::string said;
    line.Keep(Sample(n++));  // the schema and the connection, once
    const double perRadio = Milliseconds([&] { said += line.Keep(Sample(n++)); }, kRadios);
    ok &= Report((std::string("record per radio, ") + engine + " (a line)").c_str(), perRadio,
                 target);
    const double perRun = Milliseconds(
        [&] {
            RecordKeeper run(place);
            said += run.Keep(Sample(n++));
        },
        kRuns);
    ok &= Report((std::string("record of one run, ") + engine + " (opened for it)").c_str(), perRun,
                 4 * target);
    if (!said.empty()) {
        std::fprintf(stderr, "%s: %s\n", engine, said.substr(0, 300).c_str());
        ok = false;
    }
    if (!fill()) {
        std::fprintf(stderr, "%s: the %d records were not made\n", engine, kManyRecords);
        return false;
    }
    auto store = OpenRecordsForReading(place);
    if (!store) {
        std::fprintf(stderr, "%s: %s\n", engine, store.error().c_str());
        return false;
    }
    RecordFilter filter;
    filter.unit = "SN-54321";
    std::size_t found = 0;
    const double query = Milliseconds(
        [&] {
            const auto records = (*store)->Query(filter);
            found = records ? records->size() : 0;
        },
        kRuns);
    ok &= found == 1;
    ok &= Report((std::string("query by unit among 100 000, ") + engine).c_str(), query, 50);

    PlanVersion plan;
    plan.name = "Site12";
    int added = 0;
    const double add = Milliseconds(
        [&] {
            plan.image[0] = static_cast<std::uint8_t>(added);
            const auto version = (*store)->AddPlan(plan);
            added += version && version->added ? 1 : 0;
        },
        kRuns);
    ok &= added == kRuns;
    ok &= Report((std::string("add a plan among 10 000 versions, ") + engine).c_str(), add, 10);
    UnitAssignment unit;
    unit.unit = "SN-54321";
    unit.plan = plan.name;
    ok &= (*store)->Assign({unit}).ok();
    int fetched = 0;
    const double lookup = Milliseconds(
        [&] {
            const auto assigned = (*store)->Unit(unit.unit);
            if (assigned && *assigned)
                fetched += (*store)->Plan((*assigned)->plan).ok() ? 1 : 0;
        },
        kRuns);
    ok &= fetched == kRuns;
    ok &= Report((std::string("a unit's plan among 100 000 units, ") + engine).c_str(), lookup, 10);
    if (added != kRuns || fetched != kRuns)
        std::fprintf(stderr, "%s: the plan library failed\n", engine);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bool ok = true;
    QTemporaryDir dir;
    // The line's safety copies stay out of the user's folders.
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
    const std::string file = dir.filePath(QStringLiteral("records.sqlite")).toStdString();
    ok &= Measure("SQLite", {file, {}}, 5, [&] {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "fill");
        db.setDatabaseName(QString::fromStdString(file));
        const bool filled = db.open() && Fill("fill", "zeroblob(260)");
        db.close();
        return filled;
    });

    testing::PgServer server;
    std::string error;
    if (const std::string missing = testing::PgServer::Missing(); !missing.empty()) {
        std::printf("PostgreSQL: skipped, %s\n", missing.c_str());
        return ok ? 0 : 1;
    }
    if (!server.Start(error) || !server.Admin({"CREATE ROLE bench LOGIN PASSWORD 'bench'",
                                               "CREATE DATABASE orvel OWNER bench"},
                                              error)) {
        std::fprintf(stderr, "PostgreSQL: %s\n", error.c_str());
        return 1;
    }
    qputenv("PGPASSWORD", "bench");
    ServerAddress address;
    (void)ParseRecordUrl(server.Url("bench")).Into(address);
    const RecordPlace postgres{dir.filePath("outbox.sqlite").toStdString(), address};
    ok &= Measure("PostgreSQL", postgres, 10, [&] {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), "pgfill");
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(server.port());
        db.setDatabaseName(QStringLiteral("orvel"));
        db.setUserName(QStringLiteral("bench"));
        const bool filled =
            db.open() && Fill("pgfill", "decode(repeat('00', 260), 'hex')") &&
            QSqlQuery(db).exec(QStringLiteral("ANALYZE orvel_records, orvel_plans, orvel_units"));
        db.close();
        return filled;
    });
    ok &= bench::BenchFleetRecords(postgres, "PostgreSQL");
    return ok ? 0 : 1;
}
