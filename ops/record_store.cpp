#include "record_store.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#ifdef Q_OS_LINUX
#include <dlfcn.h>
#endif

#include "answer_watch.h"
#include "claim_store.h"
#include "file_access.h"
#include "plan_store.h"

namespace orvel {

namespace {

// Each statement with the schema version that brought it: a database is made, or brought up to
// this program's version, by the statements of the versions it lacks, in one transaction. The
// binary type is the one word the two engines spell differently.
struct SchemaStep {
    int version;
    const char* statement;
};
const SchemaStep kSchema[] = {
    {1, "CREATE TABLE orvel_schema (version INTEGER NOT NULL)"},
    {1,
     "CREATE TABLE orvel_records ("
     " id TEXT PRIMARY KEY,"
     " started_utc TEXT NOT NULL,"
     " ended_utc TEXT NOT NULL,"
     " station TEXT NOT NULL,"
     " operator_name TEXT NOT NULL,"
     " program TEXT NOT NULL,"
     " program_version TEXT NOT NULL,"
     " action TEXT NOT NULL,"
     " port TEXT NOT NULL,"
     " radio_id TEXT,"
     " unit TEXT,"
     " plan_file TEXT,"
     " plan_sha256 TEXT,"
     " outcome TEXT NOT NULL,"
     " exit_class TEXT NOT NULL,"
     " verified INTEGER NOT NULL,"
     " before_image %BINARY%,"
     " after_image %BINARY%)"},
    {1, "CREATE INDEX orvel_records_unit ON orvel_records (unit)"},
    {1, "CREATE INDEX orvel_records_plan ON orvel_records (plan_sha256)"},
    {1, "CREATE INDEX orvel_records_started ON orvel_records (started_utc)"},
    {1, "CREATE TABLE orvel_outbox (record_id TEXT PRIMARY KEY, server TEXT NOT NULL)"},
    // The plan library: a version is never changed, so its primary key is its name and number.
    {2,
     "CREATE TABLE orvel_plans ("
     " name TEXT NOT NULL,"
     " version INTEGER NOT NULL,"
     " sha256 TEXT NOT NULL,"
     " image %BINARY% NOT NULL,"
     " note TEXT NOT NULL,"
     " station TEXT NOT NULL,"
     " operator_name TEXT NOT NULL,"
     " added_utc TEXT NOT NULL,"
     " PRIMARY KEY (name, version))"},
    {2,
     "CREATE TABLE orvel_units ("
     " unit TEXT PRIMARY KEY,"
     " plan TEXT NOT NULL,"
     " port TEXT NOT NULL,"
     " site TEXT NOT NULL,"
     " assigned_utc TEXT NOT NULL,"
     " station TEXT NOT NULL,"
     " operator_name TEXT NOT NULL)"},
    {2, "CREATE INDEX orvel_units_plan ON orvel_units (plan)"},
    {2, "CREATE INDEX orvel_units_site ON orvel_units (site)"},
    // Who reads which unit now (unit_claims.h), by the store's clock in milliseconds; a run's
    // rows stay, ended, until they expire.
    {3,
     "CREATE TABLE orvel_claims ("
     " unit TEXT PRIMARY KEY,"
     " run TEXT NOT NULL,"
     " expires_ms BIGINT NOT NULL,"
     " ended_ms BIGINT)"},
    {3, "CREATE INDEX orvel_claims_run ON orvel_claims (run)"},
};

// The locks of a server's transactions (pg_advisory_xact_lock): one for making or upgrading the
// schema, one for adding to the plan library.
constexpr int kSchemaLock = 4733268;
constexpr int kPlanLock = 4733269;

const char* const kColumns =
    "id, started_utc, ended_utc, station, operator_name, program, program_version, action, port, "
    "radio_id, unit, plan_file, plan_sha256, outcome, exit_class, verified";

std::atomic<int> connectionCount{0};

// A function of a library that Qt's SQL drivers loaded, looked up only then: linking the
// library itself would load it into every run of the programs, drivers or not, and cost
// their start. Null where the library is not loaded (another system, a driver built with a
// library of its own inside).
template <typename Function>
Function Loaded(const char* library, const char* name) {
#ifdef Q_OS_LINUX
    if (void* handle = ::dlopen(library, RTLD_LAZY | RTLD_NOLOAD)) {
        auto* function = reinterpret_cast<Function>(::dlsym(handle, name));
        ::dlclose(handle);
        return function;
    }
#else
    Q_UNUSED(library);
    Q_UNUSED(name);
#endif
    return nullptr;
}

// libpq leaves OpenSSL's state for a thread (its random generators, for the password exchange
// and TLS) to be freed when the thread ends. A QThread's wait() returns before that, so a
// program can exit while a line's thread is still ending: OpenSSL's cleanup at exit then
// forgets that thread's state, and its memory is lost (LeakSanitizer fails the run). The last
// server connection a thread closes frees that state at once; OpenSSL makes it again if the
// thread connects later. (Windows frees it as each thread ends.)
thread_local int serverConnections = 0;

void ServerConnectionClosed() {
    if (--serverConnections > 0)
        return;
    using ThreadStop = void (*)();
    if (const auto stop = Loaded<ThreadStop>("libcrypto.so.3", "OPENSSL_thread_stop"))
        stop();
}

// A commit reaches the disk in the log alone, once; a run that closes the file would also copy
// the log into it and delete it, and the next run make a new one: three more waits for the disk
// per run of one record. The log now stays beside the file for the next run, and SQLite copies
// it in when it has grown (1000 pages). Only where the driver uses the system's SQLite (as on
// Debian); elsewhere the file is closed as before.
void KeepLogOnClose(const QSqlDatabase& db) {
    constexpr int kNoCheckpointOnClose = 1006;  // SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE
    using DbConfig = int (*)(void*, int, ...);
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return;
    void* const sqlite = *static_cast<void* const*>(handle.constData());
    if (const auto config = Loaded<DbConfig>("libsqlite3.so.0", "sqlite3_db_config");
        config != nullptr && sqlite != nullptr) {
        config(sqlite, kNoCheckpointOnClose, 1, static_cast<int*>(nullptr));
    }
}

std::string Flat(QString text) {
    text = text.trimmed();
    text.replace(QStringLiteral("\r"), QString());
    text.replace(QStringLiteral("\n\t"), QStringLiteral(" "));
    text.replace('\n', QStringLiteral("; "));
    text.replace('\t', ' ');
    return text.toStdString();
}

}  // namespace

std::string Problem(const QSqlError& error) {
    const QString database = error.databaseText().trimmed();
    return Flat(database.isEmpty() ? error.driverText() : database);
}

Status RunQuery(QSqlQuery& query, const QString& sql, const QVariantList& values) {
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        return Failure{Problem(query.lastError())};
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        return Failure{Problem(query.lastError())};
    return {};
}

namespace {

QVariant OrNull(const std::string& text) {
    if (text.empty())
        return QVariant(QMetaType::fromType<QString>());
    return QString::fromStdString(text);
}

QVariant Image(const std::optional<MemoryImage>& image) {
    if (!image)
        return QVariant(QMetaType::fromType<QByteArray>());
    return QByteArray(reinterpret_cast<const char*>(image->data()),
                      static_cast<qsizetype>(image->size()));
}

std::optional<MemoryImage> ImageOf(const QVariant& value) {
    const QByteArray bytes = value.toByteArray();
    if (value.isNull() || bytes.size() != static_cast<qsizetype>(kImageSize))
        return std::nullopt;
    MemoryImage image{};
    std::memcpy(image.data(), bytes.constData(), image.size());
    return image;
}

// The conditions of a filter, without its page.
QString Where(const RecordFilter& filter, QVariantList& values) {
    QStringList conditions;
    const std::pair<const char*, const std::string*> equal[] = {
        {"unit = ?", &filter.unit},
        {"plan_file = ?", &filter.planFile},
        {"station = ?", &filter.station},
        {"started_utc >= ?", &filter.sinceUtc},
    };
    for (const auto& [condition, value] : equal) {
        if (value->empty())
            continue;
        conditions << QLatin1String(condition);
        values << QString::fromStdString(*value);
    }
    const QString plan = QString::fromStdString(filter.planSha256);
    if (plan.size() == 64) {
        conditions << QStringLiteral("plan_sha256 = ?");
        values << plan;
    } else if (!plan.isEmpty()) {
        // A start of one: hexadecimal digits need no escaping for LIKE.
        conditions << QStringLiteral("plan_sha256 LIKE ?");
        values << plan + '%';
    }
    return conditions.join(QStringLiteral(" AND "));
}

// The SQLite file or the PostgreSQL server, through one connection of Qt SQL.
class SqlStore final : public RecordStore {
public:
    SqlStore(const char* driver, std::string storeName, bool onServer)
        : connection(QStringLiteral("orvel-record-%1").arg(++connectionCount)),
          db(QSqlDatabase::addDatabase(QLatin1String(driver), connection)),
          name(std::move(storeName)),
          server(onServer) {
        if (server)
            ++serverConnections;
    }

    ~SqlStore() override {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
        if (server)
            ServerConnectionClosed();
    }

    const std::string& Name() const override { return name; }
    Status Insert(const ProgrammingRecord& record) override {
        return Bounded([&] { return Store("orvel_records", record); });
    }

    Status InsertAll(const std::vector<ProgrammingRecord>& records) override {
        return Bounded([&]() -> Status {
            if (!db.transaction())
                return Failure{Problem(db.lastError())};
            for (const ProgrammingRecord& record : records) {
                if (const Status stored = Store("orvel_records", record); !stored) {
                    db.rollback();
                    return stored;
                }
            }
            if (db.commit())
                return {};
            const Status failed = Failure{Problem(db.lastError())};
            db.rollback();
            return failed;
        });
    }

    Result<std::vector<ProgrammingRecord>> Query(const RecordFilter& filter,
                                                 bool withImages) override {
        QVariantList values;
        QString where = Where(filter, values);
        // A page goes on from the last record of the one before, whatever was added since.
        if (!filter.afterId.empty()) {
            where += QLatin1String(where.isEmpty() ? "" : " AND ") +
                     QStringLiteral("(started_utc < ? OR (started_utc = ? AND id > ?))");
            values << QString::fromStdString(filter.afterStartedUtc)
                   << QString::fromStdString(filter.afterStartedUtc)
                   << QString::fromStdString(filter.afterId);
        }
        return Bounded([&] { return Select(where, values, withImages, filter.limit); });
    }

    Result<std::size_t> Count(const RecordFilter& filter) override {
        return Bounded([&]() -> Result<std::size_t> {
            QVariantList values;
            const QString where = Where(filter, values);
            QSqlQuery query(db);
            query.prepare(QStringLiteral("SELECT COUNT(*) FROM orvel_records") +
                          (where.isEmpty() ? QString() : " WHERE " + where));
            for (const QVariant& value : values)
                query.addBindValue(value);
            if (!query.exec() || !query.next())
                return Failure{Problem(query.lastError())};
            return static_cast<std::size_t>(query.value(0).toLongLong());
        });
    }

    Result<ProgrammingRecord> Find(const std::string& id) override {
        // An id is hexadecimal digits and dashes: a prefix needs no escaping for LIKE.
        if (id.empty() || id.find_first_not_of("0123456789abcdefABCDEF-") != std::string::npos)
            return Failure{"no record has the id " + id};
        const QString given = QString::fromStdString(id).toLower();
        return Bounded([&]() -> Result<ProgrammingRecord> {
            const auto found =
                Select(QStringLiteral("id = ? OR id LIKE ?"), {given, given + '%'}, true);
            if (!found)
                return Failure{found.error()};
            for (const ProgrammingRecord& r : *found) {
                if (r.id == given.toStdString())
                    return r;
            }
            if (found->size() == 1)
                return found->front();
            return Failure{found->empty() ? "no record has the id " + id
                                          : std::to_string(found->size()) +
                                                " records have ids that start with " + id +
                                                ": give more of it"};
        });
    }

    Status InsertOwed(const ProgrammingRecord& record, const std::string& serverKey) override {
        return Transaction([&]() -> Status {
            QSqlQuery mark(db);
            mark.prepare(
                QStringLiteral("INSERT INTO orvel_outbox (record_id, server) "
                               "VALUES (?, ?) ON CONFLICT DO NOTHING"));
            mark.addBindValue(QString::fromStdString(record.id));
            mark.addBindValue(QString::fromStdString(serverKey));
            Status done = Store("orvel_records", record);
            if (done && !mark.exec())
                done = Failure{Problem(mark.lastError())};
            return done;
        });
    }

    Result<std::vector<ProgrammingRecord>> Owed(const std::string& serverKey) override {
        return Select(QStringLiteral("id IN (SELECT record_id FROM orvel_outbox WHERE server = ?)"),
                      {QString::fromStdString(serverKey)}, true);
    }

    Status Settle(const std::string& id) override {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("DELETE FROM orvel_outbox WHERE record_id = ?"));
        query.addBindValue(QString::fromStdString(id));
        if (query.exec())
            return {};
        return Failure{Problem(query.lastError())};
    }

    Result<PlanAdded> AddPlan(const PlanVersion& plan) override {
        return Bounded([&] {
            return Transaction([&]() -> Result<PlanAdded> {
                if (Status locked = Lock(kPlanLock); !locked)
                    return Failure{locked.error()};
                return plan_store::Add(db, plan);
            });
        });
    }

    Result<PlanVersion> Plan(const std::string& planName, int version) override {
        return Bounded([&] { return plan_store::Get(db, planName, version); });
    }

    Result<std::vector<PlanVersion>> PlanVersions(const std::string& planName) override {
        return Bounded([&] { return plan_store::Versions(db, planName); });
    }

    Result<std::vector<PlanSummary>> Plans() override {
        return Bounded([&] { return plan_store::Summaries(db); });
    }

    Status Assign(const std::vector<UnitAssignment>& units) override {
        return Bounded([&] { return Transaction([&] { return plan_store::Assign(db, units); }); });
    }

    Result<std::optional<UnitAssignment>> Unit(const std::string& unit) override {
        return Bounded([&] { return plan_store::Unit(db, unit); });
    }

    Result<std::vector<UnitAssignment>> Units(const std::string& site,
                                              const std::string& plan) override {
        return Bounded([&] { return plan_store::Units(db, site, plan); });
    }

    Result<std::int64_t> ClaimClock() override {
        return Bounded([&] { return claim_store::Clock(db, server); });
    }

    Result<std::vector<std::string>> Claim(const ClaimingRun& run,
                                           const std::vector<std::string>& units,
                                           int expiryMs) override {
        return Bounded([&] {
            return Transaction(
                [&] { return claim_store::Claim(db, server, run, units, expiryMs); });
        });
    }

    Status RenewClaims(const std::string& run, int expiryMs) override {
        return Bounded([&] { return claim_store::Renew(db, server, run, expiryMs); });
    }

    Status EndClaims(const std::string& run, const std::vector<std::string>& unread) override {
        return Bounded(
            [&] { return Transaction([&] { return claim_store::End(db, server, run, unread); }); });
    }

    QString connection;
    QSqlDatabase db;
    std::string name;
    bool server = false;
    std::unique_ptr<AnswerWatch> watch;  // a server's, once open

    // What a server is asked is bounded, whatever it was asked (AnswerWatch): a call the watch
    // cut fails in the watch's words.
    template <typename Call>
    auto Bounded(Call call) -> decltype(call()) {
        if (server && !watch)
            watch = std::make_unique<AnswerWatch>(db);
        std::string cut;
        auto result = [&] {
            const AnswerWatch::Call watched(watch.get(), cut);
            return call();
        }();
        if (!result.ok() && !cut.empty())
            return Failure{cut};
        return result;
    }

    Status Exec(const QString& statement) {
        QSqlQuery query(db);
        if (query.exec(statement))
            return {};
        return Failure{Problem(query.lastError())};
    }

    // The schema's version, 0 when there is none yet.
    Result<int> Version() {
        if (!db.tables().contains(QStringLiteral("orvel_schema")))
            return 0;
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT MAX(version) FROM orvel_schema")))
            return Failure{Problem(query.lastError())};
        return query.next() ? query.value(0).toInt() : 0;
    }

    // `work` in a transaction that no other program's write runs beside on a file (a server's
    // writers take a Lock for that); committed when it succeeds, rolled back when not.
    template <typename Work>
    auto Transaction(Work work) -> decltype(work()) {
        if (Status begun =
                Exec(server ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
            !begun) {
            return Failure{begun.error()};
        }
        auto done = work();
        if (done) {
            if (Status committed = Exec(QStringLiteral("COMMIT")); !committed)
                done = Failure{committed.error()};
        }
        if (!done)
            (void)Exec(QStringLiteral("ROLLBACK"));
        return done;
    }

    // A server's lock, held until the transaction ends; a file's BEGIN IMMEDIATE already is one.
    Status Lock(int key) {
        return server ? Exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(key))
                      : Status();
    }

    // Creates the schema, or brings it up to this program's version, or finds it as this
    // program knows it. One program at a time: two benches starting on an empty database, or
    // an older one, must not both change it.
    Status Prepare() {
        return Bounded([this]() -> Status {
            const Result<int> version = Version();
            if (!version || *version == kRecordSchemaVersion)
                return version.status();
            if (*version > kRecordSchemaVersion)
                return Newer(*version);
            return Transaction([this] { return CreateLocked(); });
        });
    }

    Status CreateLocked() {
        if (Status locked = Lock(kSchemaLock); !locked)
            return locked;
        const Result<int> version = Version();
        if (!version)
            return version.status();
        if (*version > kRecordSchemaVersion)
            return Newer(*version);
        if (*version == kRecordSchemaVersion)
            return {};  // another program made it meanwhile
        // The tables of an older version, and the records in them, stay as they are.
        for (const auto& [since, statement] : kSchema) {
            if (since <= *version)
                continue;
            QString text = QString::fromLatin1(statement);
            text.replace(QStringLiteral("%BINARY%"),
                         server ? QStringLiteral("BYTEA") : QStringLiteral("BLOB"));
            if (Status made = Exec(text); !made)
                return made;
        }
        return Exec(QStringLiteral("INSERT INTO orvel_schema (version) VALUES (%1)")
                        .arg(kRecordSchemaVersion));
    }

    static Failure Newer(int version) {
        return {"its records are of schema version " + std::to_string(version) +
                ", newer than this program's " + std::to_string(kRecordSchemaVersion) +
                "; it is left as it is (a newer OrvelTool keeps records there)"};
    }

    Status Store(const char* table, const ProgrammingRecord& r) {
        QSqlQuery query(db);
        // A server prepares the statement first: a dropped connection shows there.
        if (!query.prepare(QStringLiteral("INSERT INTO %1 (%2, before_image, after_image) VALUES "
                                          "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                                          "ON CONFLICT (id) DO NOTHING")
                               .arg(QLatin1String(table), QLatin1String(kColumns)))) {
            return Failure{Problem(query.lastError())};
        }
        for (const std::string& text : {r.id, r.startedUtc, r.endedUtc, r.station, r.operatorName,
                                        r.program, r.version, Text(r.action), r.port}) {
            query.addBindValue(QString::fromStdString(text));
        }
        for (const std::string* text : {&r.radioId, &r.unit, &r.planFile, &r.planSha256})
            query.addBindValue(OrNull(*text));
        query.addBindValue(QString::fromStdString(r.outcome));
        query.addBindValue(QString::fromStdString(Text(r.exitClass)));
        query.addBindValue(r.verified ? 1 : 0);
        query.addBindValue(Image(r.before));
        query.addBindValue(Image(r.after));
        if (query.exec())
            return {};
        return Failure{Problem(query.lastError())};
    }

    static ProgrammingRecord Read(const QSqlQuery& query, bool withImages) {
        ProgrammingRecord r;
        std::string action;
        std::string exitClass;
        std::string* texts[] = {&r.id,           &r.startedUtc, &r.endedUtc, &r.station,
                                &r.operatorName, &r.program,    &r.version,  &action,
                                &r.port,         &r.radioId,    &r.unit,     &r.planFile,
                                &r.planSha256,   &r.outcome,    &exitClass};
        int column = 0;
        for (std::string* text : texts)
            *text = query.value(column++).toString().toStdString();
        r.action = ActionFromText(action);
        r.exitClass = ExitClassFromText(exitClass);
        r.verified = query.value(column++).toInt() != 0;
        if (withImages) {
            r.before = ImageOf(query.value(column++));
            r.after = ImageOf(query.value(column));
        }
        return r;
    }

    Result<std::vector<ProgrammingRecord>> Select(const QString& where, const QVariantList& values,
                                                  bool withImages, std::size_t limit = 0) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        query.prepare(
            QStringLiteral("SELECT %1%2 FROM orvel_records%3 ORDER BY started_utc DESC, id%4")
                .arg(QLatin1String(kColumns),
                     withImages ? QStringLiteral(", before_image, after_image") : QString(),
                     where.isEmpty() ? QString() : " WHERE " + where,
                     limit == 0 ? QString() : QStringLiteral(" LIMIT %1").arg(limit)));
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (!query.exec())
            return Failure{Problem(query.lastError())};
        std::vector<ProgrammingRecord> records;
        while (query.next())
            records.push_back(Read(query, withImages));
        return records;
    }
};

}  // namespace

bool RecordsAvailable() {
    return QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"));
}

Result<std::unique_ptr<RecordStore>> RecordStore::OpenFile(const std::string& path, bool create,
                                                           int busyTimeoutMs) {
    const QString file = QString::fromStdString(path);
    const QFileInfo info(file);
    // SQLite would follow a link there: the tables, and the journal beside them, would land in
    // whatever file it names.
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        if (IsSymbolicLink(path + suffix))
            return Failure{path + suffix + ": a symbolic link, which the records never follow"};
    }
    if (!info.exists()) {
        if (!create)
            return Failure{path + ": no records yet (the file does not exist)"};
        // The journal files take the permissions of the file they belong to.
        std::string problem;
        if (!MakePrivateFolders(PathFromUtf8(path).parent_path(), problem) ||
            !MakeNewFile(path, Readers::Owner, problem)) {
            return Failure{path + ": " + problem};
        }
    } else if (!info.isFile()) {
        return Failure{path + ": not a file"};
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return Failure{path + ": Qt's SQLite driver is not installed (libqt6sql6-sqlite)"};
    auto store = std::make_unique<SqlStore>("QSQLITE", path, false);
    store->db.setDatabaseName(file);
    store->db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (!store->db.open())
        return Failure{path + ": " + Problem(store->db.lastError())};
    KeepLogOnClose(store->db);
    // Write-ahead logging lets programs read while one writes, and writes wait their turn.
    // SQLite waits out another program's lock for the busy timeout, except where waiting could
    // deadlock (programs starting at once on a new file, a log being recovered): there it says
    // "locked" at once, so the start is tried again within the same bound.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(busyTimeoutMs);
    Status ready;
    for (;;) {
        ready = store->Exec(QStringLiteral("PRAGMA journal_mode=WAL")).Then([&] {
            return store->Prepare();
        });
        if (ready || ready.error().find("locked") == std::string::npos ||
            std::chrono::steady_clock::now() >= giveUp) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!ready)
        return Failure{path + ": " + ready.error()};
    return std::unique_ptr<RecordStore>(std::move(store));
}

Result<std::unique_ptr<RecordStore>> RecordStore::OpenServer(const ServerAddress& address) {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return Failure{address.shown +
                       ": Qt's PostgreSQL driver is not installed (libqt6sql6-psql)"};
    auto store = std::make_unique<SqlStore>("QPSQL", address.shown, true);
    QSqlDatabase& db = store->db;
    db.setHostName(QString::fromStdString(address.host));
    db.setPort(address.port);
    db.setDatabaseName(QString::fromStdString(address.database));
    if (!address.user.empty())
        db.setUserName(QString::fromStdString(address.user));
    // Every wait is bounded: a server that does not answer must not hold up the bench.
    QString options = QString::fromStdString(address.connectOptions);
    if (!options.contains(QLatin1String("connect_timeout=")))
        options += QStringLiteral(";connect_timeout=3");
    options += QStringLiteral(";options='-c statement_timeout=%1'").arg(kServerStatementMs);
    // A server, or a path to it, that goes quiet is noticed by the client too.
    options += QStringLiteral(
        ";keepalives=1;keepalives_idle=5;keepalives_interval=2;keepalives_count=2"
        ";tcp_user_timeout=10000");
    if (!options.contains(QLatin1String("application_name=")))
        options += QStringLiteral(";application_name=orveltool");
    db.setConnectOptions(options.startsWith(';') ? options.mid(1) : options);
    if (!db.open())
        return Failure{address.shown + ": " + Problem(db.lastError())};
    if (Status ready = store->Prepare(); !ready)
        return Failure{address.shown + ": " + ready.error()};
    return std::unique_ptr<RecordStore>(std::move(store));
}

}  // namespace orvel
