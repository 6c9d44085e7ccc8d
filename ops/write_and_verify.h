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

// What went wrong, for a message after the port's name: "no answer to frame 3 of 66 (channel
// words)", "verify: word 0x05 (channel 2) reads back ..."; empty when the write succeeded.
std::string DescribeWriteOutcome(const WriteCheckOutcome& outcome, const WriteRequest& request);
// The message for a write that another program's hold on the safety copies' folder stopped
// (`held` from KeepBackup).
std::string FolderHeldFailure(const std::string& held);
// "no answer to the identify command" and the like; empty for a read that succeeded.
std::string DescribeReadFailure(const ReadOutcome& outcome);

}  // namespace orvel
