// The record's own texts: the shared database's URL as the user writes it, dates as `record
// list --since` takes them, and the plan's SHA-256.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "programming_record.h"

namespace orvel {
namespace {

TEST(RecordUrl, NamesTheServerAndRefusesAPasswordOrAnythingElse) {
    ServerAddress a;
    ASSERT_EQ(ParseRecordUrl("postgresql://bench@db.example:6543/orvel?sslmode=verify-full")
                  .Into(a)
                  .error(),
              "");
    EXPECT_EQ(a.host, "db.example");
    EXPECT_EQ(a.port, 6543);
    EXPECT_EQ(a.user, "bench");
    EXPECT_EQ(a.database, "orvel");
    EXPECT_EQ(a.connectOptions, "sslmode='verify-full'");
    EXPECT_EQ(UnencryptedWarning(a), "");
    EXPECT_EQ(ServerKey(a), "postgresql://bench@db.example:6543/orvel");
    ASSERT_EQ(ParseRecordUrl("postgres://10.0.0.9/records").Into(a).error(), "");
    EXPECT_EQ(a.port, 5432);
    EXPECT_EQ(a.user, "");

    const struct {
        const char* url;
        const char* problem;
    } refused[] = {
        {"postgresql://bench:s3cret@db/orvel", "a password in the URL is not taken"},
        {"postgresql://bench:@db/orvel", "a password in the URL is not taken"},
        {"mysql://bench@db/orvel", "takes postgresql://"},
        {"records.sqlite", "takes postgresql://"},
        {"postgresql://bench@db/", "names no database"},
        {"postgresql://bench@db:0/orvel", "a port goes from 1 to 65535"},
        {"postgresql://bench@db/orvel?sslmode=sometimes", "sslmode takes"},
        {"postgresql://bench@db/orvel?password=x", "does not take the option password"},
        {"postgresql://bench@db/orvel?sslrootcert=a;b", "holds a ';'"},
        {"postgresql://db/orvel?sslmode=verify-full&sslmode=disable", "gives sslmode twice"},
        {"postgresql://[::1]/orvel?application_name=a\xE3"
         "b",
         "is not UTF-8 text"},
    };
    for (const auto& c : refused) {
        const std::string problem = ParseRecordUrl(c.url).error();
        EXPECT_NE(problem.find(c.problem), std::string::npos) << c.url << ": " << problem;
        EXPECT_EQ(problem.find("s3cret"), std::string::npos);
    }
}

TEST(RecordUrl, AnOptionValueIsQuotedForLibpq) {
    ServerAddress a;
    ASSERT_EQ(ParseRecordUrl("postgresql://h/d?sslrootcert=/my%20certs/it's.pem").Into(a).error(),
              "");
    EXPECT_EQ(a.connectOptions, "sslrootcert='/my certs/it\\'s.pem';sslmode='verify-full'");
}

TEST(RecordUrl, AServerOffThisMachineIsReachedEncryptedUnlessTheUrlSaysOtherwise) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
#ifdef _WIN32
    const char* const kHome = "APPDATA";
    const QString kRoot = "postgresql";
#else
    const char* const kHome = "HOME";
    const QString kRoot = ".postgresql";
#endif
    const QByteArray oldHome = qgetenv(kHome);
    qputenv(kHome, QFile::encodeName(home.path()));
    const struct {
        const char* url;
        const char* pgSslMode;
        bool rootCertificate;
        const char* options;
        const char* warning;
    } cases[] = {
        {"postgresql://db/o", "", false, "sslmode='require'", ""},
        {"postgresql://db/o", "", true, "sslmode='verify-full'", ""},
        {"postgresql://db/o?sslrootcert=/c.pem", "", false,
         "sslrootcert='/c.pem';sslmode='verify-full'", ""},
        {"postgresql://db/o", "disable", false, "sslmode='require'", ""},
        {"postgresql://db/o", "verify-ca", false, "", ""},
        {"postgresql://127.9.9.9.example/o", "", false, "sslmode='require'", ""},
        {"postgresql://127.0.0.db/o", "", false, "sslmode='require'", ""},
        {"postgresql://10.0.0.1/o", "", false, "sslmode='require'", ""},
        {"postgresql://db/o?sslmode=prefer", "", true, "sslmode='prefer'",
         "the records to db travel unencrypted (sslmode=prefer in the URL)"},
        {"postgresql://127.0.0.1/o", "", true, "", ""},
        {"postgresql://[::1]/o", "", false, "", ""},
        {"postgresql://localhost/o?sslmode=disable", "", false, "sslmode='disable'", ""},
    };
    for (const auto& c : cases) {
        qputenv("PGSSLMODE", c.pgSslMode);
        QDir(home.path()).mkpath(kRoot);
        QFile root(home.path() + "/" + kRoot + "/root.crt");
        if (c.rootCertificate)
            ASSERT_TRUE(root.open(QIODevice::WriteOnly));
        else
            root.remove();
        root.close();
        ServerAddress a;
        ASSERT_EQ(ParseRecordUrl(c.url).Into(a).error(), "") << c.url;
        EXPECT_EQ(a.connectOptions, c.options) << c.url << " PGSSLMODE=" << c.pgSslMode;
        EXPECT_EQ(UnencryptedWarning(a), c.warning) << c.url;
    }
    qunsetenv("PGSSLMODE");
    // libpq's other place for the root certificate.
    qputenv("PGSSLROOTCERT", "/c.pem");
    ServerAddress a;
    EXPECT_EQ(ParseRecordUrl("postgresql://db/o").Into(a).error(), "");
    EXPECT_EQ(a.connectOptions, "sslmode='verify-full'");
    qunsetenv("PGSSLROOTCERT");
    qputenv(kHome, oldHome);
}

TEST(RecordDates, SinceTakesADayOrAMinuteInUtc) {
    EXPECT_EQ(UtcFromDate("2026-12-07"), "2026-12-07T00:00:00.000Z");
    EXPECT_EQ(UtcFromDate("2026-12-07T13:45"), "2026-12-07T13:45:00.000Z");
    EXPECT_EQ(UtcFromDate("2026-12-07T13:45:09Z"), "2026-12-07T13:45:09.000Z");
    for (const char* bad :
         {"", "yesterday", "2026-13-01", "2026-02-30", "2026-12-07X", "2026-12-07T25:00"})
        EXPECT_EQ(UtcFromDate(bad), "") << bad;
    const std::string now = UtcNow();
    EXPECT_EQ(now.size(), 24u);
    EXPECT_EQ(now.back(), 'Z');
    EXPECT_LT(UtcFromDate("2000-01-01"), now) << "the stored form sorts as text";
}

TEST(RecordPlan, TheHashIsSha256OfThe260Bytes) {
    EXPECT_EQ(Sha256Hex(MemoryImage{}),
              "9c0095c04ef53d9df41602f3783c90ef3c3e27cc9d0b38262d23930db6313f5a");
    EXPECT_TRUE(IsSha256Text("9C0095C04EF53D9DF41602F3783C90EF3C3E27CC9D0B38262D23930DB6313F5A"));
    EXPECT_FALSE(IsSha256Text("9c0095c0"));
    EXPECT_NE(NewRecordId(), NewRecordId());
    EXPECT_EQ(NewRecordId().size(), 36u);
}

}  // namespace
}  // namespace orvel
