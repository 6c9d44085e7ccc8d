// A real PostgreSQL server of its own in a temporary folder, on a free port of 127.0.0.1 with
// scram-sha-256 passwords, for the tests and the bench: Debian's postgresql-15 binaries,
// initdb, pg_ctl start and stop. initdb refuses to run as root, so as root the server runs
// as the unprivileged user "nobody", in a folder handed to it.
#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <string>

#include "device_server.h"

namespace orvel::testing {

class PgServer {
public:
    static constexpr const char* kAdmin = "orvel_admin";
    static constexpr const char* kAdminPassword = "admin-secret";

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
    static std::string MissingReason() {
        return "no PostgreSQL 15 server binaries in /usr/lib/postgresql/15/bin (postgresql-15; "
               "ORVEL_PG_BIN names another folder)";
    }

    ~PgServer() { Stop(true); }

    bool Start(std::string& error) {
        bin_ = BinDir();
        if (bin_.isEmpty()) {
            error = MissingReason();
            return false;
        }
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
        return Resume(error);
    }

    // Starts the server again (after Pause) on the same port.
    bool Resume(std::string& error) {
        const QString options =
            QStringLiteral(
                "-p %1 -c listen_addresses=127.0.0.1 -c unix_socket_directories=%2 "
                "-c fsync=off -c max_connections=40")
                .arg(port_)
                .arg(dir_.path());
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

    int port() const { return port_; }
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
    // As root, the unprivileged user that the server's files belong to and that runs its tools.
    static const passwd* Owner() { return ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr; }

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

    QTemporaryDir dir_;
    QString bin_;
    QString data_;
    int port_ = 0;
    bool running_ = false;
};

}  // namespace orvel::testing
