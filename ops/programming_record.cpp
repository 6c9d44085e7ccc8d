#include "programming_record.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDateTime>
#include <QSysInfo>
#include <QTime>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>
#include <QtGlobal>
#include <array>
#include <filesystem>
#include <set>
#include <vector>

#if defined(Q_OS_UNIX)
#include <pwd.h>
#include <unistd.h>
#endif

#include "orvel_version.h"

namespace orvel {

ProgrammingRecord StartRecord(std::string_view program, std::string_view action) {
    ProgrammingRecord record;
    record.id = NewRecordId();
    record.startedUtc = UtcNow();
    record.program = program;
    record.version = kVersion;
    record.action = action;
    return record;
}

void EndRecord(ProgrammingRecord& record) {
    record.endedUtc = UtcNow();
}

std::string NewRecordId() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
}

std::string UtcNow() {
    return QDateTime::currentDateTimeUtc()
        .toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'"))
        .toStdString();
}

std::string UtcFromDate(std::string_view text) {
    const QString given = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QDate date = QDate::fromString(given.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        return {};
    QString rest = given.mid(10);
    QTime time(0, 0);
    if (!rest.isEmpty()) {
        if (!rest.startsWith('T') && !rest.startsWith(' '))
            return {};
        rest = rest.mid(1);
        if (rest.endsWith('Z'))
            rest.chop(1);
        time = QTime::fromString(
            rest, rest.size() == 5 ? QStringLiteral("HH:mm") : QStringLiteral("HH:mm:ss"));
        if (!time.isValid())
            return {};
    }
    return (date.toString(QStringLiteral("yyyy-MM-dd")) + 'T' +
            time.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(".000Z"))
        .toStdString();
}

std::string Sha256Hex(const MemoryImage& image) {
    const QByteArray bytes(reinterpret_cast<const char*>(image.data()),
                           static_cast<qsizetype>(image.size()));
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

bool IsSha256Text(std::string_view text) {
    if (text.size() != 64)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

void FilterByPlan(RecordFilter& filter, std::string_view plan) {
    constexpr std::size_t kShortestStart = 8;
    const bool hex = plan.size() >= kShortestStart && plan.size() <= 64 &&
                     plan.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
    filter.planSha256.clear();
    filter.planFile.clear();
    if (hex)
        filter.planSha256 = QString::fromLatin1(plan.data(), static_cast<qsizetype>(plan.size()))
                                .toLower()
                                .toStdString();
    else if (!plan.empty())
        // A plan's record names its file without the folder.
        filter.planFile = std::filesystem::path(plan).filename().string();
}

std::size_t PlansStartingWith(const RecordFilter& filter,
                              const std::vector<ProgrammingRecord>& records) {
    if (filter.planSha256.empty() || filter.planSha256.size() == 64)
        return 0;
    std::set<std::string> plans;
    for (const ProgrammingRecord& record : records)
        plans.insert(record.planSha256);
    return plans.size();
}

std::string DefaultStation() {
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? std::string("unknown") : host.toStdString();
}

std::string DefaultOperator() {
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return name.toStdString();
    }
#if defined(Q_OS_UNIX)
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_name != nullptr) {
        return found->pw_name;
    }
#endif
    return "unknown";
}

namespace {

// libpq's connection keywords a record URL may carry; every other is refused rather than
// silently dropped.
constexpr std::array kUrlOptions{"sslmode", "sslrootcert",     "sslcert",         "sslkey",
                                 "sslcrl",  "connect_timeout", "application_name"};
constexpr std::array kSslModes{"disable", "allow", "prefer", "require", "verify-ca", "verify-full"};

// A value in libpq's key='value' form.
std::string Quoted(const QString& value) {
    std::string text = "'";
    for (const char c : value.toStdString()) {
        if (c == '\\' || c == '\'')
            text += '\\';
        text += c;
    }
    return text + "'";
}

}  // namespace

std::string ParseRecordUrl(std::string_view text, ServerAddress& address) {
    const QString given = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QUrl url(given, QUrl::StrictMode);
    if (!url.isValid() ||
        (url.scheme() != QLatin1String("postgresql") && url.scheme() != QLatin1String("postgres")))
        return "takes postgresql://USER@HOST:PORT/DATABASE";
    // Whatever follows the user's name is a password, which the INI and the command line must
    // not carry: anyone who reads them, or a process list, would see it.
    const QString authority = url.authority(QUrl::FullyEncoded);
    if (authority.contains('@') && authority.left(authority.lastIndexOf('@')).contains(':'))
        return "a password in the URL is not taken: give it in ~/.pgpass, PGPASSFILE or "
               "PGPASSWORD";
    address = ServerAddress{};
    address.host = url.host(QUrl::FullyDecoded).toStdString();
    if (address.host.empty())
        return "names no host: postgresql://USER@HOST:PORT/DATABASE";
    address.port = url.port(5432);
    if (address.port < 1 || address.port > 65535)
        return "a port goes from 1 to 65535";
    address.database = url.path(QUrl::FullyDecoded).mid(1).toStdString();
    if (address.database.empty() || address.database.find('/') != std::string::npos)
        return "names no database: postgresql://USER@HOST:PORT/DATABASE";
    address.user = url.userName(QUrl::FullyDecoded).toStdString();
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        const std::string name = key.toStdString();
        bool known = false;
        for (const char* option : kUrlOptions)
            known = known || name == option;
        if (!known)
            return "does not take the option " + name;
        if (name == "sslmode") {
            bool mode = false;
            for (const char* ssl : kSslModes)
                mode = mode || value == QLatin1String(ssl);
            if (!mode)
                return "sslmode takes disable, allow, prefer, require, verify-ca or verify-full";
        }
        if (value.contains(';'))
            return "the value of " + name + " holds a ';'";
        if (!address.connectOptions.empty())
            address.connectOptions += ';';
        address.connectOptions += name + "=" + Quoted(value);
    }
    address.shown = given.toStdString();
    return {};
}

std::string ServerKey(const ServerAddress& address) {
    return "postgresql://" + (address.user.empty() ? std::string() : address.user + "@") +
           address.host + ":" + std::to_string(address.port) + "/" + address.database;
}

}  // namespace orvel
