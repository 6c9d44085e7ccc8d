// What a read, a write and its check ended with, in one vocabulary for both programs: the words
// of each failure, its class of exit code, and the fields the programming record keeps. The
// window turns an ending into log lines, orvelctl into a line and an exit code.
#pragma once

#include <string>

#include "exchanges.h"
#include "programming_record.h"
#include "write_and_verify.h"

namespace orvel {

class Port;

// What went wrong, for a message after the port's name: "no answer to frame 3 of 66 (channel
// words)", "verify: word 0x05 (channel 2) reads back ..."; empty when the write succeeded.
std::string DescribeWriteOutcome(const WriteCheckOutcome& outcome, const WriteRequest& request);
// The message for a write that another program's hold on the safety copies' folder stopped
// (`held` from KeepBackup).
std::string FolderHeldFailure(const std::string& held);
// "no answer to the identify command" and the like; empty for a read that succeeded.
std::string DescribeReadFailure(const ReadOutcome& outcome);

// The record's radio, bytes and ending (its class, and "ok" or the failure after the reason of
// a port lost in the middle) from a read (the program's own, or the one before a write), or
// from a write and its check.
void RecordRead(ProgrammingRecord& record, const ReadOutcome& outcome, const Port& port);
void RecordWrite(ProgrammingRecord& record, const WriteCheckOutcome& outcome,
                 const WriteRequest& request, const Port& port);

}  // namespace orvel
