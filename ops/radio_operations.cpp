#include "radio_operations.h"

#include "app_paths.h"
#include "codec.h"

namespace orvel {

ReadOutcome ReadRadioKeepingCopy(BytePort& port, const ExchangeHooks& hooks,
                                 const std::function<void()>& beforeImageRequest) {
    ReadOutcome outcome = ReadRadio(port, hooks, beforeImageRequest);
    if (outcome.status != ReadStatus::Ok)
        return outcome;
    KeepBackup(outcome.image, "read");
    hooks.Line(ReadProgress(100));
    if (outcome.checksumOk)
        hooks.Line(lines::kReadDone);
    return outcome;
}

WriteOutcome WriteRadioKeepingCopy(BytePort& port, const MemoryImage& base,
                                   const WriteRequest& request, const ExchangeHooks& hooks) {
    if (port.IsOpen() == 1) {
        MemoryImage written = base;
        EncodeImage(request.table, request.settings, written);
        KeepBackup(written, "write");
    }
    return WriteRadio(port, request, hooks);
}

}  // namespace orvel
