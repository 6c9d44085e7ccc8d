// A real PostgreSQL server of its own in a temporary folder, on a free port of 127.0.0.1 with
// scram-sha-256 passwords, for the tests and the bench: Debian's postgresql-15 binaries,
// initdb, pg_ctl start and stop. initdb refuses to run as root, so as root the server runs
// as the unprivileged user "nobody", in a folder handed to it.
// A Windows program under wine cannot run those Linux tools: there the server is one that
// scripts/wine-record-server started (ORVEL_PG_PORT), and it stops and starts the server when
// asked through request files in a folder (ORVEL_PG_CONTROL).
#pragma once

#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>
#include <cstdlib>
#include <string>

#include "device_server.h"

namespace orvel::testing {

class PgServer {
public:
    static constexpr const char* kAdmin = "orvel_admin";
    static constexpr const char* kAdminPassword = "admin-secret";

    // Why there can be no server here; empty when there can.
    static std::string Missing() {
#ifdef _WIN32
        if (qEnvironmentVariableIntValue("ORVEL_PG_PORT") <= 0 ||
            qEnvironmentVariable("ORVEL_PG_CONTROL").isEmpty()) {
            return "no PostgreSQL server: under wine scripts/test-windows starts one "
                   "(ORVEL_PG_PORT, ORVEL_PG_CONTROL)";
        }
        return {};
#else
        if (BinDir().isEmpty()) {
            return "no PostgreSQL 15 server binaries in /usr/lib/postgresql/15/bin "
                   "(postgresql-15; ORVEL_PG_BIN names another folder)";
        }
        return {};
#endif
    }

#ifdef _WIN32
    // The server is the script's: one a test left stopped is started again for the next run.
    ~PgServer() {
        std::string error;
        if (!running_ && port_ > 0)
            Resume(error);
    }

    bool Start(std::string& error) {
        port_ = qEnvironmentVariableIntValue("ORVEL_PG_PORT");
        control_ = QDir(qEnvironmentVariable("ORVEL_PG_CONTROL"));
        running_ = true;
        const QString name = "pg-check-" + QUuid::createUuid().toString();
        {
            QSqlDatabase db = AdminConnection(name, QStringLiteral("postgres"));
            if (!db.isOpen())
                error = "the server on port " + std::to_string(port_) +
                        " does not take the administrator: " + db.lastError().text().toStdString();
            running_ = db.isOpen();
        }
        QSqlDatabase::removeDatabase(name);
        return running_;
    }

    // Starts the server again (after Pause) on the same port.
    bool Resume(std::string& error) {
        running_ = Ask("start", error);
        return running_;
    }

    // The server stops at once, as a crash or a pulled network cable would leave it.
    bool Stop(bool immediate = false) {
        if (!running_)
            return true;
        std::string error;
        running_ = !Ask(immediate ? "stop immediate" : "stop fast", error);
        return !running_;
    }

#else
    ~PgServer() {
        Stop(true);
    }

    bool Start(std::string& error) {
        bin_ = BinDir();
        if (!dir_.isValid() || !HandOver(dir_.path(), error))
            return false;
        data_ = dir_.filePath(QStringLiteral("data"));
        const QString pwfile = dir_.filePath(QStringLiteral("admin.pw"));
        {
            QFile file(pwfile);
            if (!file.open(QIODevice::WriteOnly)) {
                error = "cannot write " + pwfile.toStdString();
                return false;
            }
            file.write(kAdminPassword);
        }
        if (!HandOver(pwfile, error))
            return false;
        if (!Tool("initdb",
                  {"-D", data_, "-U", kAdmin, "--pwfile", pwfile, "-A", "scram-sha-256",
                   "--no-sync", "--no-instructions", "-E", "UTF8", "--locale", "C"},
                  error)) {
            return false;
        }
        port_ = FreePort();
        tls_ = MakeCertificate();
        return Resume(error);
    }

    // The server's certificate (for this machine's name and 127.0.0.1), or empty without TLS.
    QString Certificate() const {
        return tls_ ? dir_.filePath(QStringLiteral("server.crt")) : QString();
    }

    // Lines put before pg_hba.conf's own, read by the server at once.
    bool Allow(const QStringList& lines, std::string& error) {
        QFile hba(data_ + "/pg_hba.conf");
        if (!hba.open(QIODevice::ReadOnly)) {
            error = "cannot read " + hba.fileName().toStdString();
            return false;
        }
        const QByteArray own = hba.readAll();
        hba.close();
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            hba.write(lines.join('\n').toUtf8() + "\n" + own) < 0) {
            error = "cannot write " + hba.fileName().toStdString();
            return false;
        }
        hba.close();
        return Admin({"SELECT pg_reload_conf()"}, error);
    }

    // Starts the server again (after Pause) on the same port.
    bool Resume(std::string& error) {
        const QString options =
            QStringLiteral(
                "-p %1 -c listen_addresses=127.0.0.1 -c unix_socket_directories=%2 "
                "-c fsync=off -c max_connections=40%3")
                .arg(port_)
                .arg(dir_.path(), tls_ ? QStringLiteral(" -c ssl=on") : QString());
        running_ = Tool("pg_ctl",
                        {"-D", data_, "-o", options, "-l", dir_.filePath("server.log"), "-w", "-t",
                         "30", "start"},
                        error);
        return running_;
    }

    // The server stops at once, as a crash or a pulled network cable would leave it.
    bool Stop(bool immediate = false) {
        if (!running_)
            return true;
        std::string error;
        running_ = !Tool(
            "pg_ctl", {"-D", data_, "-m", immediate ? "immediate" : "fast", "-w", "stop"}, error);
        return !running_;
    }

#endif

    int port() const {
        return port_;
    }
    std::string Url(const std::string& user, const std::string& database = "orvel") const {
        return "postgresql://" + user + "@127.0.0.1:" + std::to_string(port_) + "/" + database;
    }

    // The administrator's connection to `database` (opened, or with its error), under `name`;
    // the caller removes it.
    QSqlDatabase AdminConnection(const QString& name, const QString& database) const {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(port_);
        db.setDatabaseName(database);
        db.setUserName(kAdmin);
        db.setPassword(kAdminPassword);
        db.open();
        return db;
    }

    // Runs statements as the administrator, in `database`.
    bool Admin(const QStringList& statements, std::string& error,
               const QString& database = QStringLiteral("postgres")) {
        const QString name = "pg-admin-" + QUuid::createUuid().toString();
        bool ok = true;
        {
            QSqlDatabase db = AdminConnection(name, database);
            ok = db.isOpen();
            if (!ok)
                error = db.lastError().text().toStdString();
            for (const QString& statement : statements) {
                QSqlQuery query(db);
                if (ok && !query.exec(statement)) {
                    error = statement.toStdString() + ": " + query.lastError().text().toStdString();
                    ok = false;
                }
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        return ok;
    }

    // A value of the first row of `select`, as text; empty on failure.
    std::string AdminValue(const QString& select, const QString& database = "orvel") {
        const QString name = "pg-admin-" + QUuid::createUuid().toString();
        std::string value;
        {
            QSqlDatabase db = AdminConnection(name, database);
            QSqlQuery query(db);
            if (db.isOpen() && query.exec(select) && query.next())
                value = query.value(0).toString().toStdString();
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        return value;
    }

private:
#ifdef _WIN32
    // Hands `what` to the script that owns the server and waits for its answer: "ok" or why not.
    bool Ask(const QString& what, std::string& error) {
        QFile::remove(control_.filePath(QStringLiteral("answer")));
        {
            QFile request(control_.filePath(QStringLiteral("request.new")));
            if (!request.open(QIODevice::WriteOnly) || request.write(what.toUtf8()) < 0) {
                error = "cannot write " + request.fileName().toStdString();
                return false;
            }
        }
        // Renamed into place, so the script never reads half a request.
        QFile::rename(control_.filePath(QStringLiteral("request.new")),
                      control_.filePath(QStringLiteral("request")));
        QFile answer(control_.filePath(QStringLiteral("answer")));
        for (QDeadlineTimer deadline(60000); !answer.exists(); QThread::msleep(20)) {
            if (deadline.hasExpired()) {
                error = "no answer to '" + what.toStdString() + "' from the server's script";
                return false;
            }
        }
        QThread::msleep(20);
        const QByteArray said = answer.open(QIODevice::ReadOnly) ? answer.readAll().trimmed() : "";
        answer.close();
        answer.remove();
        if (said != "ok")
            error = what.toStdString() + " failed: " + said.toStdString();
        return said == "ok";
    }

    QDir control_;
    int port_ = 0;
    bool running_ = false;
};
#else
    // The folder of initdb and pg_ctl (ORVEL_PG_BIN, else Debian's), or empty when missing.
    static QString BinDir() {
        QString dir = qEnvironmentVariable("ORVEL_PG_BIN");
        if (dir.isEmpty())
            dir = QStringLiteral("/usr/lib/postgresql/15/bin");
        for (const char* tool : {"initdb", "pg_ctl", "postgres"}) {
            if (!QFileInfo(dir + "/" + tool).isExecutable())
                return {};
        }
        return dir;
    }

    // As root, the unprivileged user that the server's files belong to and that runs its tools.
    static const passwd* Owner() {
        return ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
    }

    static bool HandOver(const QString& path, std::string& error) {
        const passwd* owner = Owner();
        if (::geteuid() == 0 && owner == nullptr) {
            error = "running as root, and there is no user 'nobody' to run the server";
            return false;
        }
        if (owner != nullptr &&
            ::chown(QFile::encodeName(path).constData(), owner->pw_uid, owner->pw_gid) != 0) {
            error = "cannot hand " + path.toStdString() + " to 'nobody'";
            return false;
        }
        return true;
    }

    bool Tool(const char* tool, const QStringList& arguments, std::string& error) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        const passwd* owner = Owner();
        const uid_t uid = owner != nullptr ? owner->pw_uid : 0;
        const gid_t gid = owner != nullptr ? owner->pw_gid : 0;
        process.setChildProcessModifier([owner, uid, gid] {
            if (owner != nullptr) {
                const gid_t groups[] = {gid};
                if (::setgroups(1, groups) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                    ::_exit(126);
            }
        });
        // pg_ctl start leaves the server running with this run's output: none of it.
        process.setStandardInputFile(QProcess::nullDevice());
        process.setWorkingDirectory(dir_.path());
        process.start(bin_ + "/" + tool, arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            error = std::string(tool) + " failed: " + process.readAll().toStdString();
            return false;
        }
        return true;
    }

    // A self-signed certificate in the data folder, where the server looks for it.
    bool MakeCertificate() {
        const QString host = QSysInfo::machineHostName();
        QProcess openssl;
        openssl.setProcessChannelMode(QProcess::MergedChannels);
        openssl.start(
            QStringLiteral("openssl"),
            {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=" + host,
             "-addext", "subjectAltName=DNS:" + host + ",DNS:localhost,IP:127.0.0.1", "-keyout",
             data_ + "/server.key", "-out", data_ + "/server.crt"});
        std::string error;
        return openssl.waitForFinished(60000) && openssl.exitStatus() == QProcess::NormalExit &&
               openssl.exitCode() == 0 &&
               QFile::copy(data_ + "/server.crt", dir_.filePath(QStringLiteral("server.crt"))) &&
               QFile::setPermissions(data_ + "/server.key", QFile::ReadOwner | QFile::WriteOwner) &&
               HandOver(data_ + "/server.key", error) && HandOver(data_ + "/server.crt", error);
    }

    QTemporaryDir dir_;
    QString bin_;
    QString data_;
    int port_ = 0;
    bool running_ = false;
    bool tls_ = false;
};
#endif

#ifndef _WIN32
// A server that stops answering after login, as a hung one does: the next statement on
// orvel_records of the connection named `application` waits for a lock held here, the server's
// process for that connection is stopped there (SIGSTOP: its system still acknowledges every
// packet, and no timeout of the server's own can fire), and the lock goes. The process goes on
// (SIGCONT) when this ends.
class StalledBackend {
public:
    StalledBackend(PgServer& server, const QString& database)
        : server_(server), lock_("pg-lock-" + QUuid::createUuid().toString()) {
        QSqlDatabase db = server_.AdminConnection(lock_, database);
        QSqlQuery(db).exec(QStringLiteral("BEGIN"));
        QSqlQuery(db).exec(QStringLiteral("LOCK TABLE orvel_records IN ACCESS EXCLUSIVE MODE"));
    }
    ~StalledBackend() {
        if (pid_ > 0)
            ::kill(pid_, SIGCONT);
        QSqlDatabase::database(lock_, false).close();
        QSqlDatabase::removeDatabase(lock_);
    }

    // False when no such connection waited for the lock within 30 s.
    bool Stop(const QString& application) {
        const QString waiting =
            "SELECT pid FROM pg_stat_activity WHERE wait_event_type = 'Lock' AND "
            "application_name = '" +
            application + "'";
        for (QDeadlineTimer deadline(30000); pid_ <= 0 && !deadline.hasExpired();
             QThread::msleep(50)) {
            pid_ = std::atoi(server_.AdminValue(waiting, QStringLiteral("postgres")).c_str());
        }
        if (pid_ <= 0 || ::kill(pid_, SIGSTOP) != 0)
            return false;
        QSqlQuery(QSqlDatabase::database(lock_, false)).exec(QStringLiteral("COMMIT"));
        return true;
    }

private:
    PgServer& server_;
    QString lock_;
    pid_t pid_ = 0;
};
#endif

}  // namespace orvel::testing
