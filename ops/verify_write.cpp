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
    // One line for the whole read-back, so the write's own lines stay in view; its failure
    // lines still go to the log.
    hooks.Line(lines::kVerifyReading);
    ExchangeHooks readHooks = hooks;
    readHooks.line = [&hooks](std::string_view text) {
        constexpr std::string_view kProgress = "接收数据[%";  // as ReadProgressLine begins
        if (text.substr(0, kProgress.size()) != kProgress)
            hooks.Line(text);
    };
    outcome.readBack = ReadRadioKeepingCopy(port, readHooks);
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
