#include "verify_write.h"

#include "radio_operations.h"

namespace orvel {

Message VerifyMismatch(int word) {
    return {lines::kVerifyMismatch.text, word & 0xFF, NumberForm::HexByte};
}

VerifyOutcome VerifyWrite(BytePort& port, const WriteRequest& request, const ExchangeHooks& hooks) {
    VerifyOutcome outcome;
    // One line for the whole read-back, so the write's own lines stay in view; its failure
    // lines still go to the log.
    hooks.Line(lines::kVerifyReading);
    ExchangeHooks readHooks = hooks;
    readHooks.line = [&hooks](const Message& message) {
        if (!message.Is(lines::kReadProgress) && !message.Is(lines::kReadDone))
            hooks.Line(message);
    };
    outcome.readBack = ReadRadioKeepingCopy(port, readHooks);
    if (outcome.readBack.status != ReadStatus::Ok)
        return outcome;
    outcome.difference = FirstWrittenDifference(WriteFrames(request), outcome.readBack.image);
    if (outcome.difference) {
        hooks.Line(VerifyMismatch(outcome.difference->word));
        outcome.status = VerifyStatus::Mismatch;
    } else if (!outcome.readBack.checksumOk) {
        hooks.Line(lines::kVerifyChecksum);
        outcome.status = VerifyStatus::BadChecksum;
    } else {
        hooks.Line(lines::kVerifyOk);
        outcome.status = VerifyStatus::Match;
    }
    return outcome;
}

bool HoldsWritten(const ReadOutcome& read, const WriteRequest& request) {
    return read.status == ReadStatus::Ok && read.checksumOk &&
           !FirstWrittenDifference(WriteFrames(request), read.image);
}

}  // namespace orvel
