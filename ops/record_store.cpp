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
#include <cstring>

#ifdef Q_OS_LINUX
#include <dlfcn.h>
#endif

#include "answer_watch.h"
#include "file_access.h"

namespace orvel {

namespace {

// The binary type is the one word the two engines spell differently.
const char* const kCreateSchema[] = {
    "CREATE TABLE orvel_schema (version INTEGER NOT NULL)",
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
    " after_image %BINARY%)",
    "CREATE INDEX orvel_records_unit ON orvel_records (unit)",
    "CREATE INDEX orvel_records_plan ON orvel_records (plan_sha256)",
    "CREATE INDEX orvel_records_started ON orvel_records (started_utc)",
    "CREATE TABLE orvel_outbox (record_id TEXT PRIMARY KEY, server TEXT NOT NULL)",
};

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

std::string Problem(const QSqlError& error) {
    const QString database = error.databaseText().trimmed();
    return Flat(database.isEmpty() ? error.driverText() : database);
}

QVariant Text(const std::string& text) {
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

}  // namespace

struct RecordStore::Impl {
    QString connection;
    QSqlDatabase db;
    std::string name;
    bool server = false;
    std::unique_ptr<AnswerWatch> watch;  // a server's, once open

    ~Impl() {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
        if (server)
            ServerConnectionClosed();
    }

    // What a server is asked is bounded, whatever it was asked (AnswerWatch).
    AnswerWatch::Call Bounded(std::string& error) {
        if (server && !watch)
            watch = std::make_unique<AnswerWatch>(db);
        return {watch.get(), error};
    }

    bool Exec(const QString& statement, std::string& error) {
        QSqlQuery query(db);
        if (query.exec(statement))
            return true;
        error = Problem(query.lastError());
        return false;
    }

    // The schema's version, 0 when there is none yet.
    bool Version(int& version, std::string& error) {
        version = 0;
        if (!db.tables().contains(QStringLiteral("orvel_schema")))
            return true;
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT MAX(version) FROM orvel_schema"))) {
            error = Problem(query.lastError());
            return false;
        }
        version = query.next() ? query.value(0).toInt() : 0;
        return true;
    }

    // Creates the schema, or finds it as this program knows it. One program at a time:
    // two benches starting on an empty database must not both create it.
    bool Prepare(std::string& error) {
        const auto bounded = Bounded(error);
        int version = 0;
        if (!Version(version, error))
            return false;
        if (version == kRecordSchemaVersion)
            return true;
        if (version > kRecordSchemaVersion)
            return Newer(version, error);
        if (!Exec(server ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"), error))
            return false;
        const bool done = CreateLocked(error);
        std::string ignored;
        if (!done || !Exec(QStringLiteral("COMMIT"), error)) {
            Exec(QStringLiteral("ROLLBACK"), ignored);
            return false;
        }
        return true;
    }

    bool CreateLocked(std::string& error) {
        // The lock of a server is held until the transaction ends.
        if (server && !Exec(QStringLiteral("SELECT pg_advisory_xact_lock(4733268)"), error))
            return false;
        int version = 0;
        if (!Version(version, error))
            return false;
        if (version > kRecordSchemaVersion)
            return Newer(version, error);
        if (version == kRecordSchemaVersion)
            return true;  // another program made it meanwhile
        // Version 1 is the first: nothing older to upgrade from yet.
        for (const char* statement : kCreateSchema) {
            QString text = QString::fromLatin1(statement);
            text.replace(QStringLiteral("%BINARY%"),
                         server ? QStringLiteral("BYTEA") : QStringLiteral("BLOB"));
            if (!Exec(text, error))
                return false;
        }
        return Exec(QStringLiteral("INSERT INTO orvel_schema (version) VALUES (%1)")
                        .arg(kRecordSchemaVersion),
                    error);
    }

    bool Newer(int version, std::string& error) const {
        error = "its records are of schema version " + std::to_string(version) +
                ", newer than this program's " + std::to_string(kRecordSchemaVersion) +
                "; it is left as it is (a newer OrvelTool keeps records there)";
        return false;
    }

    bool Store(const char* table, const ProgrammingRecord& r, std::string& error) {
        QSqlQuery query(db);
        // A server prepares the statement first: a dropped connection shows there.
        if (!query.prepare(QStringLiteral("INSERT INTO %1 (%2, before_image, after_image) VALUES "
                                          "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                                          "ON CONFLICT (id) DO NOTHING")
                               .arg(QLatin1String(table), QLatin1String(kColumns)))) {
            error = Problem(query.lastError());
            return false;
        }
        for (const std::string* text :
             {&r.id, &r.startedUtc, &r.endedUtc, &r.station, &r.operatorName, &r.program,
              &r.version, &r.action, &r.port}) {
            query.addBindValue(QString::fromStdString(*text));
        }
        for (const std::string* text : {&r.radioId, &r.unit, &r.planFile, &r.planSha256})
            query.addBindValue(Text(*text));
        query.addBindValue(QString::fromStdString(r.outcome));
        query.addBindValue(QString::fromStdString(r.exitClass));
        query.addBindValue(r.verified ? 1 : 0);
        query.addBindValue(Image(r.before));
        query.addBindValue(Image(r.after));
        if (query.exec())
            return true;
        error = Problem(query.lastError());
        return false;
    }

    static ProgrammingRecord Read(const QSqlQuery& query, bool withImages) {
        ProgrammingRecord r;
        std::string* texts[] = {&r.id,           &r.startedUtc, &r.endedUtc, &r.station,
                                &r.operatorName, &r.program,    &r.version,  &r.action,
                                &r.port,         &r.radioId,    &r.unit,     &r.planFile,
                                &r.planSha256,   &r.outcome,    &r.exitClass};
        int column = 0;
        for (std::string* text : texts)
            *text = query.value(column++).toString().toStdString();
        r.verified = query.value(column++).toInt() != 0;
        if (withImages) {
            r.before = ImageOf(query.value(column++));
            r.after = ImageOf(query.value(column));
        }
        return r;
    }

    bool Select(const QString& where, const QVariantList& values, bool withImages,
                std::vector<ProgrammingRecord>& records, std::string& error,
                std::size_t limit = 0) {
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
        if (!query.exec()) {
            error = Problem(query.lastError());
            return false;
        }
        records.clear();
        while (query.next())
            records.push_back(Read(query, withImages));
        return true;
    }
};

bool RecordsAvailable() {
    return QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"));
}

RecordStore::RecordStore(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RecordStore::~RecordStore() = default;

namespace {

std::unique_ptr<RecordStore::Impl> NewImpl(const char* driver) {
    auto impl = std::make_unique<RecordStore::Impl>();
    impl->connection = QStringLiteral("orvel-record-%1").arg(++connectionCount);
    impl->db = QSqlDatabase::addDatabase(QLatin1String(driver), impl->connection);
    return impl;
}

}  // namespace

std::unique_ptr<RecordStore> RecordStore::OpenFile(const std::string& path, std::string& error,
                                                   bool create, int busyTimeoutMs) {
    const QString file = QString::fromStdString(path);
    const QFileInfo info(file);
    // SQLite would follow a link there: the tables, and the journal beside them, would land in
    // whatever file it names.
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        if (IsSymbolicLink(path + suffix)) {
            error = path + suffix + ": a symbolic link, which the records never follow";
            return nullptr;
        }
    }
    if (!info.exists()) {
        if (!create) {
            error = path + ": no records yet (the file does not exist)";
            return nullptr;
        }
        // The journal files take the permissions of the file they belong to.
        std::string problem;
        if (!MakePrivateFolders(PathFromUtf8(path).parent_path(), problem) ||
            !MakeNewFile(path, Readers::Owner, problem)) {
            error = path + ": " + problem;
            return nullptr;
        }
    } else if (!info.isFile()) {
        error = path + ": not a file";
        return nullptr;
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        error = path + ": Qt's SQLite driver is not installed (libqt6sql6-sqlite)";
        return nullptr;
    }
    auto impl = NewImpl("QSQLITE");
    impl->name = path;
    impl->db.setDatabaseName(file);
    impl->db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    std::string problem;
    // Write-ahead logging lets programs read while one writes, and writes wait their turn.
    bool ok = impl->db.open();
    if (!ok)
        problem = Problem(impl->db.lastError());
    else
        KeepLogOnClose(impl->db);
    ok = ok && impl->Exec(QStringLiteral("PRAGMA journal_mode=WAL"), problem) &&
         impl->Prepare(problem);
    if (!ok) {
        error = path + ": " + problem;
        return nullptr;
    }
    return std::unique_ptr<RecordStore>(new RecordStore(std::move(impl)));
}

std::unique_ptr<RecordStore> RecordStore::OpenServer(const ServerAddress& address,
                                                     std::string& error) {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        error = address.shown + ": Qt's PostgreSQL driver is not installed (libqt6sql6-psql)";
        return nullptr;
    }
    auto impl = NewImpl("QPSQL");
    impl->name = address.shown;
    impl->server = true;
    ++serverConnections;
    impl->db.setHostName(QString::fromStdString(address.host));
    impl->db.setPort(address.port);
    impl->db.setDatabaseName(QString::fromStdString(address.database));
    if (!address.user.empty())
        impl->db.setUserName(QString::fromStdString(address.user));
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
    impl->db.setConnectOptions(options.startsWith(';') ? options.mid(1) : options);
    std::string problem;
    if (!impl->db.open()) {
        error = address.shown + ": " + Problem(impl->db.lastError());
        return nullptr;
    }
    if (!impl->Prepare(problem)) {
        error = address.shown + ": " + problem;
        return nullptr;
    }
    return std::unique_ptr<RecordStore>(new RecordStore(std::move(impl)));
}

const std::string& RecordStore::Name() const {
    return impl_->name;
}

bool RecordStore::Insert(const ProgrammingRecord& record, std::string& error) {
    const auto bounded = impl_->Bounded(error);
    return impl_->Store("orvel_records", record, error);
}

bool RecordStore::Query(const RecordFilter& filter, std::vector<ProgrammingRecord>& records,
                        std::string& error, bool withImages) {
    const auto bounded = impl_->Bounded(error);
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
    return impl_->Select(where, values, withImages, records, error, filter.limit);
}

bool RecordStore::Count(const RecordFilter& filter, std::size_t& count, std::string& error) {
    const auto bounded = impl_->Bounded(error);
    QVariantList values;
    const QString where = Where(filter, values);
    QSqlQuery query(impl_->db);
    query.prepare(QStringLiteral("SELECT COUNT(*) FROM orvel_records") +
                  (where.isEmpty() ? QString() : " WHERE " + where));
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec() || !query.next()) {
        error = Problem(query.lastError());
        return false;
    }
    count = static_cast<std::size_t>(query.value(0).toLongLong());
    return true;
}

bool RecordStore::Find(const std::string& id, ProgrammingRecord& record, std::string& error) {
    const auto bounded = impl_->Bounded(error);
    std::vector<ProgrammingRecord> found;
    // An id is hexadecimal digits and dashes: a prefix needs no escaping for LIKE.
    if (id.empty() || id.find_first_not_of("0123456789abcdefABCDEF-") != std::string::npos) {
        error = "no record has the id " + id;
        return false;
    }
    const QString given = QString::fromStdString(id).toLower();
    if (!impl_->Select(QStringLiteral("id = ? OR id LIKE ?"), {given, given + '%'}, true, found,
                       error)) {
        return false;
    }
    for (const ProgrammingRecord& r : found) {
        if (r.id == given.toStdString()) {
            record = r;
            return true;
        }
    }
    if (found.size() == 1) {
        record = found.front();
        return true;
    }
    error = found.empty() ? "no record has the id " + id
                          : std::to_string(found.size()) + " records have ids that start with " +
                                id + ": give more of it";
    return false;
}

bool RecordStore::InsertOwed(const ProgrammingRecord& record, const std::string& server,
                             std::string& error) {
    std::string ignored;
    if (!impl_->Exec(QStringLiteral("BEGIN IMMEDIATE"), error))
        return false;
    QSqlQuery mark(impl_->db);
    mark.prepare(QStringLiteral(
        "INSERT INTO orvel_outbox (record_id, server) VALUES (?, ?) ON CONFLICT DO NOTHING"));
    mark.addBindValue(QString::fromStdString(record.id));
    mark.addBindValue(QString::fromStdString(server));
    if (!impl_->Store("orvel_records", record, error) || !mark.exec() ||
        !impl_->Exec(QStringLiteral("COMMIT"), error)) {
        if (error.empty())
            error = Problem(mark.lastError());
        impl_->Exec(QStringLiteral("ROLLBACK"), ignored);
        return false;
    }
    return true;
}

bool RecordStore::Owed(const std::string& server, std::vector<ProgrammingRecord>& records,
                       std::string& error) {
    return impl_->Select(
        QStringLiteral("id IN (SELECT record_id FROM orvel_outbox WHERE server = ?)"),
        {QString::fromStdString(server)}, true, records, error);
}

bool RecordStore::Settle(const std::string& id, std::string& error) {
    QSqlQuery query(impl_->db);
    query.prepare(QStringLiteral("DELETE FROM orvel_outbox WHERE record_id = ?"));
    query.addBindValue(QString::fromStdString(id));
    if (query.exec())
        return true;
    error = Problem(query.lastError());
    return false;
}

}  // namespace orvel
