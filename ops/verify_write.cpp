#include "verify_write.h"

#include <cstdio>

#include "radio_operations.h"

namespace orvel {

std::string VerifyMismatchLine(int word) {
    char text[64];
    std::snprintf(text, sizeof text, "校验错误：字 0x%02X\r\n", word & 0xFF);
    return text;
}

VerifyOutcome VerifyWrite(SerialPort& port, const WriteRequest& request,
                          const ExchangeHooks& hooks) {
    VerifyOutcome outcome;
    outcome.readBack = ReadRadioKeepingCopy(port, hooks);
    if (outcome.readBack.status != ReadStatus::Ok)
        return outcome;
    outcome.difference = FirstWrittenDifference(WriteFrames(request), outcome.readBack.image);
    if (outcome.difference) {
        hooks.Line(VerifyMismatchLine(outcome.difference->word));
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

}  // namespace orvel
