// A write as a technician makes it, for the window and orvelctl alike: the safety copy, the
// write, and when asked the read-back and comparison, with one verdict at the end.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "verify_write.h"

namespace orvel {

// FolderHeld: another program held the folder of the safety copies; nothing was sent.
enum class WriteVerdict {
    Written,
    Verified,
    WriteFailed,
    Mismatch,
    BadChecksum,
    ReadBackFailed,
    FolderHeld
};

struct WriteCheckOutcome {
    WriteVerdict verdict = WriteVerdict::WriteFailed;
    WriteOutcome write;
    std::string folderHeld;               // the line that says so, for FolderHeld
    std::optional<VerifyOutcome> verify;  // set when the write went through and a check was asked

    bool Succeeded() const {
        return verdict == WriteVerdict::Written || verdict == WriteVerdict::Verified;
    }
};

// Keeps the image about to be written among the safety copies, writes, and with `verify` reads
// the radio back and compares. `written` runs when the write exchange is over, before any
// read-back (the window lets a log-out through there).
WriteCheckOutcome WriteAndVerify(BytePort& port, const MemoryImage& base,
                                 const WriteRequest& request, bool verify,
                                 const ExchangeHooks& hooks,
                                 const std::function<void()>& written = {});

}  // namespace orvel
