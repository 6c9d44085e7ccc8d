#include "write_and_verify.h"

#include "radio_operations.h"

namespace orvel {
namespace {

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

}  // namespace orvel
