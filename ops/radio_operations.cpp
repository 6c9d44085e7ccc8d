#include "radio_operations.h"

#include <QtGlobal>

#include "app_paths.h"
#include "cell_rules.h"
#include "codec.h"

namespace orvel {

namespace {

ReadOutcome ReadKeeping(BytePort& port, const ExchangeHooks& hooks,
                        const std::function<void()>& beforeImageRequest, const char* kind,
                        std::string& folderHeld) {
    ReadOutcome outcome = ReadRadio(port, hooks, beforeImageRequest);
    if (outcome.status != ReadStatus::Ok)
        return outcome;
    folderHeld = KeepBackup(outcome.image, kind).error();
    hooks.Line(ReadProgress(100));
    if (outcome.checksumOk)
        hooks.Line(lines::kReadDone);
    return outcome;
}

}  // namespace

ReadOutcome ReadRadioKeepingCopy(BytePort& port, const ExchangeHooks& hooks,
                                 const std::function<void()>& beforeImageRequest) {
    std::string held;
    const ReadOutcome outcome = ReadKeeping(port, hooks, beforeImageRequest, "read", held);
    // What was read is shown all the same: the radio was not changed.
    if (!held.empty())
        qWarning("safety copy not written: %s", held.c_str());
    return outcome;
}

ReadOutcome ReadBeforeWrite(BytePort& port, const ExchangeHooks& hooks, std::string& folderHeld) {
    return ReadKeeping(port, hooks, {}, "before", folderHeld);
}

WriteRequest FileWriteRequest(const MemoryImage& image, const FrequencyLimits& limits,
                              const std::string& specialWord) {
    const DecodedImage decoded = DecodeAsShown(image, DecodeSource::FromFile, limits);
    return WriteRequest{decoded.table, decoded.settings, specialWord};
}

MemoryImage WrittenImage(const MemoryImage& base, const WriteRequest& request) {
    MemoryImage written = base;
    EncodeImage(request.table, request.settings, written);
    return written;
}

WriteOutcome WriteRadioKeepingCopy(BytePort& port, const MemoryImage& base,
                                   const WriteRequest& request, const ExchangeHooks& hooks,
                                   std::string& folderHeld) {
    if (port.IsOpen() == 1)
        folderHeld = KeepBackup(WrittenImage(base, request), "write").error();
    if (!folderHeld.empty())
        return WriteOutcome{};
    return WriteRadio(port, request, hooks);
}

}  // namespace orvel
