#include "radio_operations.h"

#include "app_paths.h"
#include "codec.h"

namespace orvel {

namespace {

ReadOutcome ReadKeeping(BytePort& port, const ExchangeHooks& hooks,
                        const std::function<void()>& beforeImageRequest, const char* kind) {
    ReadOutcome outcome = ReadRadio(port, hooks, beforeImageRequest);
    if (outcome.status != ReadStatus::Ok)
        return outcome;
    KeepBackup(outcome.image, kind);
    hooks.Line(ReadProgress(100));
    if (outcome.checksumOk)
        hooks.Line(lines::kReadDone);
    return outcome;
}

}  // namespace

ReadOutcome ReadRadioKeepingCopy(BytePort& port, const ExchangeHooks& hooks,
                                 const std::function<void()>& beforeImageRequest) {
    return ReadKeeping(port, hooks, beforeImageRequest, "read");
}

ReadOutcome ReadBeforeWrite(BytePort& port, const ExchangeHooks& hooks) {
    return ReadKeeping(port, hooks, {}, "before");
}

MemoryImage WrittenImage(const MemoryImage& base, const WriteRequest& request) {
    MemoryImage written = base;
    EncodeImage(request.table, request.settings, written);
    return written;
}

WriteOutcome WriteRadioKeepingCopy(BytePort& port, const MemoryImage& base,
                                   const WriteRequest& request, const ExchangeHooks& hooks) {
    if (port.IsOpen() == 1)
        KeepBackup(WrittenImage(base, request), "write");
    return WriteRadio(port, request, hooks);
}

}  // namespace orvel
