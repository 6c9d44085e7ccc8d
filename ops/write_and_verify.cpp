#include "write_and_verify.h"

#include <cstdio>

#include "radio_operations.h"

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

WriteVerdict VerdictOf(VerifyStatus status) {
    switch (status) {
        case VerifyStatus::Match:
            return WriteVerdict::Verified;
        case VerifyStatus::Mismatch:
            return WriteVerdict::Mismatch;
        case VerifyStatus::BadChecksum:
            return WriteVerdict::BadChecksum;
        case VerifyStatus::ReadFailed:
            break;
    }
    return WriteVerdict::ReadBackFailed;
}

}  // namespace

WriteCheckOutcome WriteAndVerify(BytePort& port, const MemoryImage& base,
                                 const WriteRequest& request, bool verify,
                                 const ExchangeHooks& hooks, const std::function<void()>& written) {
    WriteCheckOutcome outcome;
    outcome.write = WriteRadioKeepingCopy(port, base, request, hooks, outcome.folderHeld);
    if (written)
        written();
    if (!outcome.folderHeld.empty())
        outcome.verdict = WriteVerdict::FolderHeld;
    if (outcome.write.status != WriteStatus::Ok)
        return outcome;
    if (!verify) {
        outcome.verdict = WriteVerdict::Written;
        return outcome;
    }
    outcome.verify = VerifyWrite(port, request, hooks);
    outcome.verdict = VerdictOf(outcome.verify->status);
    return outcome;
}

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

}  // namespace orvel
