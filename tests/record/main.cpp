#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <memory>

#include "record_environment.h"

namespace orvel::testing {
namespace {

std::unique_ptr<PgServer> server;
std::string missing;

class ServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        missing = PgServer::Missing();
        if (!missing.empty())
            return;
        server = std::make_unique<PgServer>();
        std::string error;
        // Binaries that are there but do not start a server are a failure, not a skip.
        ASSERT_TRUE(server->Start(error)) << error;
        ASSERT_TRUE(server->Admin(
            {QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(kBench, kBenchPassword),
             QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(kReader, kReaderPassword)},
            error))
            << error;
    }
    void TearDown() override { server.reset(); }
};

}  // namespace

PgServer* Server() {
    return server.get();
}

const std::string& ServerMissing() {
    return missing;
}

}  // namespace orvel::testing

// Every program this run starts keeps its records and copies in a scratch home, never the real one.
int main(int argc, char** argv) {
    QTemporaryDir home;
    const QByteArray path = home.path().toLocal8Bit();
    qputenv("HOME", path);
    qputenv("XDG_DATA_HOME", path + "/data");
    qputenv("XDG_CONFIG_HOME", path + "/config");
    qunsetenv("PGPASSWORD");
    qunsetenv("PGPASSFILE");
    qunsetenv("PGUSER");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("OrvelTool"));
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new orvel::testing::ServerEnvironment);
    return RUN_ALL_TESTS();
}
