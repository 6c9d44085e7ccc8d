#include "programming_record.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QStringDecoder>
#include <QSysInfo>
#include <QTime>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>
#include <QtGlobal>
#include <algorithm>
#include <array>
#include <filesystem>
#include <iterator>
#include <set>
#include <vector>

#if defined(Q_OS_UNIX)
#include <pwd.h>
#include <unistd.h>
#endif

#include "orvel_version.h"

namespace orvel {

namespace {

template <typename Enum, std::size_t N>
Enum FromText(const std::string_view (&words)[N], std::string_view text, Enum otherwise) {
    const auto found = std::find(std::begin(words), std::end(words), text);
    return found == std::end(words) ? otherwise : Enum(found - std::begin(words));
}

}  // namespace

RecordAction ActionFromText(std::string_view text) {
    return FromText(kActionWords, text, RecordAction::Write);
}

ExitClass ExitClassFromText(std::string_view text) {
    return FromText(kClassWords, text, ExitClass::Data);
}

ProgrammingRecord StartRecord(std::string_view program, RecordAction action) {
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

constexpr std::array kWeakSslModes{"disable", "allow", "prefer"};
constexpr std::array kEncryptingSslModes{"require", "verify-ca", "verify-full"};

template <std::size_t N>
bool OneOf(const QString& value, const std::array<const char*, N>& names) {
    return std::any_of(names.begin(), names.end(),
                       [&](const char* name) { return value == QLatin1String(name); });
}

// Traffic to it never leaves the machine: the loopback, or a local socket's folder.
bool IsLocalHost(const std::string& host) {
    if (host == "localhost" || host == "::1" || host.starts_with('/'))
        return true;
    const QStringList parts = QString::fromStdString(host).split('.');
    bool numbers = parts.size() == 4;
    for (const QString& part : parts) {
        bool ok = false;
        numbers = numbers && part.toUInt(&ok) <= 255 && ok;
    }
    return numbers && parts.front().toUInt() == 127;
}

// libpq's own places for the root certificate that verify-full checks the server against.
bool RootCertificateConfigured() {
    if (!qEnvironmentVariableIsEmpty("PGSSLROOTCERT"))
        return true;
#ifdef Q_OS_WIN
    const QString folder = qEnvironmentVariable("APPDATA") + QStringLiteral("/postgresql");
#else
    const QString folder = qEnvironmentVariable("HOME") + QStringLiteral("/.postgresql");
#endif
    return QFileInfo(folder + QStringLiteral("/root.crt")).isFile();
}

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

Result<ServerAddress> ParseRecordUrl(std::string_view text) {
    // A stray byte would reach the server as U+FFFD: a name or option it was never given.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString given = utf8.decode(QByteArrayView(text.data(), qsizetype(text.size())));
    if (utf8.hasError())
        return Failure{"is not UTF-8 text"};
    const QUrl url(given, QUrl::StrictMode);
    if (!url.isValid() ||
        (url.scheme() != QLatin1String("postgresql") && url.scheme() != QLatin1String("postgres")))
        return Failure{"takes postgresql://USER@HOST:PORT/DATABASE"};
    // Whatever follows the user's name is a password, which the INI and the command line must
    // not carry: anyone who reads them, or a process list, would see it.
    const QString authority = url.authority(QUrl::FullyEncoded);
    if (authority.contains('@') && authority.left(authority.lastIndexOf('@')).contains(':'))
        return Failure{
            "a password in the URL is not taken: give it in ~/.pgpass, PGPASSFILE or "
            "PGPASSWORD"};
    ServerAddress address;
    address.host = url.host(QUrl::FullyDecoded).toStdString();
    if (address.host.empty())
        return Failure{"names no host: postgresql://USER@HOST:PORT/DATABASE"};
    address.port = url.port(5432);
    if (address.port < 1 || address.port > 65535)
        return Failure{"a port goes from 1 to 65535"};
    address.database = url.path(QUrl::FullyDecoded).mid(1).toStdString();
    if (address.database.empty() || address.database.find('/') != std::string::npos)
        return Failure{"names no database: postgresql://USER@HOST:PORT/DATABASE"};
    address.user = url.userName(QUrl::FullyDecoded).toStdString();
    QStringList keys;
    QString sslMode;
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        const std::string name = key.toStdString();
        if (!OneOf(key, kUrlOptions))
            return Failure{"does not take the option " + name};
        // Which of two would libpq take? Neither: the user says which.
        if (keys.contains(key))
            return Failure{"gives " + name + " twice"};
        keys << key;
        if (name == "sslmode") {
            if (!OneOf(value, kSslModes))
                return Failure{
                    "sslmode takes disable, allow, prefer, require, verify-ca or verify-full"};
            sslMode = value;
        }
        if (value.contains(';'))
            return Failure{"the value of " + name + " holds a ';'"};
        if (!address.connectOptions.empty())
            address.connectOptions += ';';
        address.connectOptions += name + "=" + Quoted(value);
    }
    if (!IsLocalHost(address.host)) {
        if (OneOf(sslMode, kWeakSslModes)) {
            address.unencrypted = sslMode.toStdString();
        } else if (sslMode.isEmpty() &&
                   !OneOf(qEnvironmentVariable("PGSSLMODE"), kEncryptingSslModes)) {
            // A weak mode must be written in the URL, where whoever reads the INI sees it.
            const bool verify =
                keys.contains(QLatin1String("sslrootcert")) || RootCertificateConfigured();
            address.connectOptions += std::string(address.connectOptions.empty() ? "" : ";") +
                                      "sslmode=" + Quoted(verify ? "verify-full" : "require");
        }
    }
    address.shown = given.toStdString();
    return address;
}

std::string UnencryptedWarning(const ServerAddress& address) {
    if (address.unencrypted.empty())
        return {};
    return "the records to " + address.host +
           " travel unencrypted (sslmode=" + address.unencrypted + " in the URL)";
}

std::string ServerKey(const ServerAddress& address) {
    return "postgresql://" + (address.user.empty() ? std::string() : address.user + "@") +
           address.host + ":" + std::to_string(address.port) + "/" + address.database;
}

}  // namespace orvel
