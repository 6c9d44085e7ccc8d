// The write and its check as both programs run it, against the radio in this process: what the
// radio gets, the log lines, the verdict and the words orvelctl prints for it.
#include <gtest/gtest.h>

// GCC 12 for Windows takes the radio behaviours of the case table below for uninitialised
// strings; they are not.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <QDir>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "app_paths.h"
#include "codec.h"
#include "in_process_radio.h"
#include "outcome.h"
#include "port.h"
#include "radio_operations.h"
#include "write_and_verify.h"

namespace orvel {
namespace {

struct Case {
    const char* name;
    sim::RadioBehaviour behaviour;
    bool verify;
    WriteVerdict verdict;
    std::size_t framesAtWritten;  // frames the radio had when the write was over
    std::string description;
    std::vector<std::string> logTail;
    const char* recorded;  // the record's exit class, and " verified" where it says so
};

TEST(WriteAndVerify, OneSequenceGivesTheVerdictTheLogAndTheWords) {
    QTemporaryDir folder;
    qputenv("XDG_DATA_HOME", folder.filePath("data").toUtf8());
    const std::vector<Case> cases = {
        {"plain write", {}, false, WriteVerdict::Written, 66, "", {"***正确写入数据***\r\n"}, "ok"},
        {"checked",
         {},
         true,
         WriteVerdict::Verified,
         66,
         "",
         {"***正确写入数据***\r\n", "校验：读回数据…\r\n", "校验正确\r\n"},
         "ok verified"},
        {"words not kept",
         {.ignoreWrites = true},
         true,
         WriteVerdict::Mismatch,
         66,
         "verify: word 0x0C (channel 4) reads back 22 52, written 23 01",
         {"校验：读回数据…\r\n", "校验错误：字 0x0C\r\n"},
         "data"},
        {"read-back checksum",
         {.badChecksum = true},
         true,
         WriteVerdict::BadChecksum,
         66,
         "verify: the image read back fails its checksum",
         {"数据校验错\r\n", "校验错误：数据校验错\r\n"},
         "data"},
        {"read-back cut",
         {.cutImage = 100},
         true,
         WriteVerdict::ReadBackFailed,
         66,
         "verify: received 100 of 260 bytes",
         {"校验：读回数据…\r\n", "接收数据超时\r\n"},
         "communication"},
        {"refused frame",
         {.nakWriteFrame = 5},
         true,
         WriteVerdict::WriteFailed,
         5,
         "the radio did not accept frame 5 of 66 (channel words)",
         {"写入数据[% 0] 失败\r\n"},
         "communication"},
        {"silent radio",
         {.silent = true},
         true,
         WriteVerdict::WriteFailed,
         1,
         "no answer to frame 1 of 66 (channel words)",
         {"写入数据[% 0] 失败\r\n", "接收数据超时\r\n"},
         "communication"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::InProcessRadio radio(sim::RadioEngine::DefaultImage(), c.behaviour);
        Port port;
        port.AttachDevice("radio", &radio);
        ASSERT_EQ(port.OpenDevice("radio"), 1);
        std::vector<std::string> log;
        ExchangeHooks hooks;
        hooks.line = [&log](const Message& line) { log.push_back(FormatLine(line)); };
        hooks.pause = [](int) {};
        // The radio's own channels but the fourth, whose first word is 0x0C.
        WriteRequest request;
        request.table = DecodeImage(radio.Engine().Image(), DecodeSource::FromRadio).table;
        request.table[3][kColRx] = "230.125";
        std::size_t framesAtWritten = 0;
        int writtenCalls = 0;
        const WriteCheckOutcome outcome =
            WriteAndVerify(port, MemoryImage{}, request, c.verify, hooks, [&] {
                framesAtWritten = radio.Engine().Frames().size();
                ++writtenCalls;
            });
        EXPECT_EQ(outcome.verdict, c.verdict);
        EXPECT_EQ(outcome.Succeeded(), c.description.empty());
        EXPECT_EQ(DescribeWriteOutcome(outcome, request), c.description);
        ProgrammingRecord record;
        RecordWrite(record, outcome, request, port);
        EXPECT_EQ(Text(record.exitClass) + (record.verified ? " verified" : ""), c.recorded);
        EXPECT_EQ(writtenCalls, 1);
        EXPECT_EQ(framesAtWritten, c.framesAtWritten);
        // A failed write is not read back; a check adds the identify and the image request.
        const bool readBack = c.verify && c.verdict != WriteVerdict::WriteFailed;
        EXPECT_EQ(radio.Engine().Frames().size(), framesAtWritten + (readBack ? 2 : 0));
        ASSERT_GE(log.size(), c.logTail.size());
        EXPECT_EQ(std::vector<std::string>(
                      log.end() - static_cast<std::ptrdiff_t>(c.logTail.size()), log.end()),
                  c.logTail);
        // The read-back's progress lines stay out of the log.
        const auto verifyAt = std::find(log.begin(), log.end(), "校验：读回数据…\r\n");
        for (auto line = verifyAt; line != log.end(); ++line)
            EXPECT_EQ(line->find("接收数据[%"), std::string::npos) << *line;
        // Every image about to be written is kept, whatever became of the write.
        EXPECT_FALSE(QDir(BackupFolder()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
    }
}

// The log lines are what orvelctl prints and the window shows translated: byte for byte as
// they always were, numbers in place.
TEST(WriteAndVerify, TheLogOfAReadAndOfACheckedWriteIsWordForWord) {
    QTemporaryDir folder;
    qputenv("XDG_DATA_HOME", folder.filePath("data").toUtf8());
    sim::InProcessRadio radio;
    Port port;
    port.AttachDevice("radio", &radio);
    ASSERT_EQ(port.OpenDevice("radio"), 1);
    std::vector<std::string> log;
    ExchangeHooks hooks;
    hooks.line = [&log](const Message& line) { log.push_back(FormatLine(line)); };
    hooks.pause = [](int) {};
    std::vector<std::string> expected;
    for (int percent = 10; percent <= 90; percent += 10)
        expected.push_back("接收数据[% " + std::to_string(percent) + "]\r\n");
    expected.push_back("接收数据[% 100]\r\n");
    expected.push_back(" ***正确接收数据***\r\n");
    EXPECT_EQ(ReadRadioKeepingCopy(port, hooks).status, ReadStatus::Ok);
    EXPECT_EQ(log, expected);

    log.clear();
    expected.clear();
    for (int percent = 10; percent <= 90; percent += 10)
        expected.push_back("写入数据[% " + std::to_string(percent) + "] 成功\r\n");
    expected.push_back("写入数据[% 100] 成功\r\n");
    expected.push_back("***正确写入数据***\r\n");
    expected.push_back("校验：读回数据…\r\n");
    expected.push_back("校验正确\r\n");
    WriteRequest request;
    request.table = EmptyChannelTable();
    EXPECT_EQ(WriteAndVerify(port, MemoryImage{}, request, true, hooks).verdict,
              WriteVerdict::Verified);
    EXPECT_EQ(log, expected);
}

}  // namespace
}  // namespace orvel
