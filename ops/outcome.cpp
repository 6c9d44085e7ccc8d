#include "outcome.h"

#include <cstdio>

#include "port.h"

namespace orvel {
namespace {

std::string WriteFailure(const WriteOutcome& outcome, std::size_t frames) {
    if (outcome.status == WriteStatus::PortClosed)
        return "the port is not open";
    const std::string frame = std::to_string(outcome.failedFrame) + " of " + std::to_string(frames);
    if (outcome.status == WriteStatus::Interrupted)
        return "interrupted at frame " + frame;
    const char* stage = outcome.failedStage == WriteStage::Channel    ? "channel words"
                        : outcome.failedStage == WriteStage::Settings ? "settings words"
                                                                      : "special-data word";
    const std::string where = frame + " (" + stage + ")";
    switch (outcome.fault) {
        case AckFault::NoAnswer:
            return "no answer to frame " + where;
        case AckFault::BadFormat:
            return "bad format: the answer to frame " + where + " is no acknowledgement";
        case AckFault::PortLost:
            return "the write stopped at frame " + where;
        default:
            return "the radio did not accept frame " + where;
    }
}

std::string Hex(std::initializer_list<std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, text.empty() ? "%02X" : " %02X", byte);
        text += pair;
    }
    return text;
}

// "word 0x00 (channel 1) reads back 22 30, written 23 01"
std::string DifferenceText(const WordDifference& d) {
    char word[8];
    std::snprintf(word, sizeof word, "0x%02X", d.word);
    const std::string what = d.word < 4 * kChannelCount
                                 ? "channel " + std::to_string(d.word / 4 + 1)
                                 : std::string("settings");
    return std::string("word ") + word + " (" + what + ") reads back " +
           Hex({d.readBack[0], d.readBack[1]}) + ", written " + Hex({d.written[0], d.written[1]});
}

// A cable or a server lost in the middle is said before what stopped.
std::string WithLostPort(const Port& port, const std::string& what) {
    if (port.LostReason().empty())
        return what;
    return "the port went away: " + port.LostReason() + "; " + what;
}

// A port that was not open, rather than one lost on the way.
ExitClass LinkClass(bool portClosed, const Port& port) {
    return portClosed && port.LostReason().empty() ? ExitClass::Port : ExitClass::Communication;
}

}  // namespace

std::string FolderHeldFailure(const std::string& held) {
    return held + "; nothing is written to the radio";
}

std::string DescribeReadFailure(const ReadOutcome& outcome) {
    switch (outcome.status) {
        case ReadStatus::NoAnswer:
            return "no answer to the identify command";
        case ReadStatus::BadFormat:
            return "the radio's identification is not valid";
        case ReadStatus::Timeout:
            return "received " + std::to_string(outcome.received) + " of " +
                   std::to_string(kImageSize) + " bytes";
        case ReadStatus::PortClosed:
            return "the port is not open";
        case ReadStatus::Ok:
            break;
    }
    return {};
}

std::string DescribeWriteOutcome(const WriteCheckOutcome& outcome, const WriteRequest& request) {
    switch (outcome.verdict) {
        case WriteVerdict::Written:
        case WriteVerdict::Verified:
            break;
        case WriteVerdict::WriteFailed:
            return WriteFailure(outcome.write, WriteFrames(request).size());
        case WriteVerdict::Mismatch:
            return "verify: " + DifferenceText(*outcome.verify->difference);
        case WriteVerdict::BadChecksum:
            return "verify: the image read back fails its checksum";
        case WriteVerdict::ReadBackFailed:
            return "verify: " + DescribeReadFailure(outcome.verify->readBack);
        case WriteVerdict::FolderHeld:
            return FolderHeldFailure(outcome.folderHeld);
    }
    return {};
}

void RecordRead(ProgrammingRecord& record, const ReadOutcome& outcome, const Port& port) {
    record.radioId = outcome.identity;
    if (outcome.status != ReadStatus::Ok) {
        record.exitClass = LinkClass(outcome.status == ReadStatus::PortClosed, port);
        record.outcome = WithLostPort(port, DescribeReadFailure(outcome));
        return;
    }
    record.planSha256 = Sha256Hex(outcome.image);
    record.after = outcome.image;
    record.exitClass = outcome.checksumOk ? ExitClass::Ok : ExitClass::Data;
    record.outcome = outcome.checksumOk ? "ok" : "the image read fails its checksum";
}

void RecordWrite(ProgrammingRecord& record, const WriteCheckOutcome& outcome,
                 const WriteRequest& request, const Port& port) {
    if (outcome.verify && outcome.verify->readBack.status == ReadStatus::Ok) {
        record.radioId = outcome.verify->readBack.identity;
        record.after = outcome.verify->readBack.image;
    }
    record.verified = outcome.verdict == WriteVerdict::Verified;
    record.exitClass = ExitClass::Data;
    switch (outcome.verdict) {
        case WriteVerdict::Written:
        case WriteVerdict::Verified:
            record.exitClass = ExitClass::Ok;
            record.outcome = "ok";
            return;
        case WriteVerdict::WriteFailed:
            record.exitClass = LinkClass(outcome.write.status == WriteStatus::PortClosed, port);
            break;
        case WriteVerdict::ReadBackFailed:
            record.exitClass = ExitClass::Communication;
            break;
        case WriteVerdict::Mismatch:
        case WriteVerdict::BadChecksum:
        case WriteVerdict::FolderHeld:
            break;
    }
    record.outcome = WithLostPort(port, DescribeWriteOutcome(outcome, request));
}

}  // namespace orvel
