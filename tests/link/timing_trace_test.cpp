// The prompt timing changes when the tool looks at the line, never what goes over it: a write
// and its check read give the same trace, log and progress in either timing.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <csignal>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app_paths.h"
#include "byte_trace.h"
#include "codec.h"
#include "link_fixture.h"
#include "verify_write.h"

namespace orvel::testing {
namespace {

struct LineRecord {
    std::vector<std::string> trace;  // "TX CC 01 ...", "RX 33 06 00", without time stamps
    std::vector<std::string> log;
    std::vector<int> progress;
};

class TimingTraceTest : public LinkTest {
protected:
    LineRecord WriteAndVerify(PollTiming timing, const QString& tracePath) {
        log.clear();
        progress.clear();
        {
            ByteTrace trace;
            std::string error;
            EXPECT_TRUE(trace.Open(tracePath.toStdString(), error)) << error;
            port.SetTrace(&trace);
            ExchangeHooks hooks = Hooks();
            hooks.timing = timing;
            WriteRequest request;
            request.table = EmptyChannelTable();
            request.table[2] = {ChannelLabel(3), "226.500", "230.000", "P2", "4800", "开", "L3"};
            request.specialWord = "12 34 56";
            EXPECT_EQ(WriteRadio(port, request, hooks).status, WriteStatus::Ok);
            EXPECT_EQ(VerifyWrite(port, request, hooks).status, VerifyStatus::Match);
            trace.Flush();
            port.SetTrace(nullptr);
        }
        return {TraceLines(tracePath.toStdString()), log, progress};
    }
};

TEST_F(TimingTraceTest, AWriteSendsAndTakesTheSameBytesInEitherTiming) {
    QTemporaryDir folder;
    qputenv("XDG_DATA_HOME", folder.filePath("data").toUtf8());
    StartRadio();
    // Real 20 ms pauses for the classic rhythm, as a radio on the line would see it.
    fastPause = false;
    const LineRecord classic = WriteAndVerify(PollTiming::Classic, folder.filePath("classic.txt"));
    const LineRecord prompt = WriteAndVerify(PollTiming::Prompt, folder.filePath("prompt.txt"));
    ASSERT_GT(classic.trace.size(), 67u * 2);
    EXPECT_EQ(classic.trace.front().rfind("TX CC 01 00 00 00 00 00 01", 0), 0u)
        << classic.trace.front();
    EXPECT_EQ(prompt.trace, classic.trace);
    EXPECT_EQ(prompt.log, classic.log);
    EXPECT_EQ(prompt.progress, classic.progress);
    EXPECT_EQ(classic.log.back(), "校验正确\r\n");
}

TEST_F(TimingTraceTest, VerifyNamesTheFirstWordTheRadioDidNotKeep) {
    QTemporaryDir folder;
    qputenv("XDG_DATA_HOME", folder.filePath("data").toUtf8());
    StartRadio(sim::RadioBehaviour{.ignoreWrites = true});
    // Windows keeps every run's copies in the user's one folder: only new names count.
    // A second copy in one second is named "-read-2".
    const QStringList readCopies{"*-read.dat", "*-read-*.dat"};
    const QStringList earlierReads = QDir(BackupFolder()).entryList(readCopies);
    WriteRequest request;
    request.table = EmptyChannelTable();
    request.settings = DecodeImage(radio->Image(), DecodeSource::FromRadio).settings;
    // Channel 1 stays as the radio holds it, so the first difference is channel 2's first word.
    request.table[0] = DecodeImage(radio->Image(), DecodeSource::FromRadio).table[0];
    ASSERT_EQ(WriteRadio(port, request, Hooks()).status, WriteStatus::Ok);
    const VerifyOutcome outcome = VerifyWrite(port, request, Hooks());
    EXPECT_EQ(outcome.status, VerifyStatus::Mismatch);
    ASSERT_TRUE(outcome.difference.has_value());
    EXPECT_EQ(outcome.difference->word, 4);
    EXPECT_EQ(log.back(), "校验错误：字 0x04\r\n");
    // The read-back is kept like every read.
    QStringList newReads = QDir(BackupFolder()).entryList(readCopies);
    for (const QString& name : earlierReads)
        newReads.removeAll(name);
    EXPECT_EQ(newReads.size(), 1) << newReads.join(' ').toStdString();

    radio->SetBehaviour(sim::RadioBehaviour{.silent = true});
    log.clear();
    EXPECT_EQ(VerifyWrite(port, request, Hooks()).status, VerifyStatus::ReadFailed);
    EXPECT_EQ(log, std::vector<std::string>{FormatLine(lines::kVerifyReading)});
}

TEST(ByteTraceFile, AFullDiskIsReportedOnceAndTheTraceStops) {
#ifdef _WIN32
    ORVEL_POSIX_ONLY("a full disk is played with RLIMIT_FSIZE and SIGXFSZ");
#else
    QTemporaryDir folder;
    const std::string path = folder.filePath("trace.txt").toStdString();
    ByteTrace trace;
    std::string error;
    ASSERT_TRUE(trace.Open(path, error)) << error;
    std::vector<std::string> reports;
    trace.OnWriteFailure([&](const std::string& reason) { reports.push_back(reason); });
    // A file size limit stands in for a full disk: writing past it fails with EFBIG.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    for (int frame = 0; frame < 10; ++frame) {
        for (std::uint8_t b : MakeFrame(CmdWriteWord, static_cast<std::uint8_t>(frame)))
            trace.Sent(b);
        trace.Received(0x33);
    }
    trace.Flush();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports.front(), path + ": " + std::strerror(EFBIG));
    EXPECT_FALSE(trace.IsOpen());
#endif
}

TEST(ByteTraceFile, OnlyARegularFileIsATrace) {
#ifdef _WIN32
    ORVEL_POSIX_ONLY("folders and named pipes in the file system's own places are POSIX");
#else
    QTemporaryDir folder;
    ByteTrace trace;
    std::string error;
    EXPECT_FALSE(trace.Open(folder.path().toStdString(), error));
    EXPECT_EQ(error, folder.path().toStdString() + ": a folder, not a regular file");
    const std::string fifo = folder.filePath("fifo").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(trace.Open(fifo, error));  // once blocked for ever, waiting for a reader
    EXPECT_EQ(error, fifo + ": a named pipe, not a regular file");
    EXPECT_FALSE(trace.IsOpen());
#endif
}

}  // namespace
}  // namespace orvel::testing
