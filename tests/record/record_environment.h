// What the record tests share: one PostgreSQL server for the whole run (started once, as
// initdb takes a second), a fresh database for each test, and records to keep.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <atomic>
#include <string>

#include "pg_server.h"
#include "programming_record.h"
#include "result.h"

namespace orvel::testing {

// A failure's words in the test's output.
inline ::testing::AssertionResult Ok(const Status& status) {
    return status ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << status.error();
}

inline constexpr const char* kBench = "bench";
inline constexpr const char* kBenchPassword = "bench-secret";
inline constexpr const char* kReader = "reader";
inline constexpr const char* kReaderPassword = "reader-secret";

// The server, or nullptr with the reason why there is none.
PgServer* Server();
const std::string& ServerMissing();

// A new database owned by the bench's user; its name.
inline std::string FreshDatabase() {
    static std::atomic<int> count{0};
    const std::string name = "orvel_" + std::to_string(QCoreApplication::applicationPid()) + "_" +
                             std::to_string(++count);
    std::string error;
    EXPECT_TRUE(Server()->Admin(
        {QString::fromStdString("CREATE DATABASE " + name + " OWNER " + kBench)}, error))
        << error;
    return name;
}

// Skips the test, saying why, where there is no server.
#define REQUIRE_SERVER()                                       \
    do {                                                       \
        if (::orvel::testing::Server() == nullptr)             \
            GTEST_SKIP() << ::orvel::testing::ServerMissing(); \
    } while (false)

inline ProgrammingRecord SampleRecord(const std::string& unit = "SN-0001") {
    ProgrammingRecord record = StartRecord("orvelctl", RecordAction::Write);
    record.station = "bench-3";
    record.operatorName = "li";
    record.port = "/dev/ttyUSB0";
    record.radioId = "ORVEL-R1";
    record.unit = unit;
    record.planFile = "plan.dat";
    MemoryImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7);
    record.planSha256 = Sha256Hex(image);
    record.outcome = "ok";
    record.exitClass = ExitClass::Ok;
    record.verified = true;
    record.after = image;
    image[10] = 0x55;
    record.before = image;
    EndRecord(record);
    return record;
}

}  // namespace orvel::testing
