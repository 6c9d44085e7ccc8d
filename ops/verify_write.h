// The check after a write, shared by the window and orvelctl: read the radio back and compare
// the words the write sent with what the radio now holds.
#pragma once

#include <optional>
#include <string>

#include "exchanges.h"
#include "write_check.h"

namespace orvel {

namespace lines {
inline constexpr Message kVerifyReading{ORVEL_TR("校验：读回数据…")};
inline constexpr Message kVerifyOk{ORVEL_TR("校验正确")};
inline constexpr Message kVerifyChecksum{ORVEL_TR("校验错误：数据校验错")};
inline constexpr Message kVerifyMismatch{ORVEL_TR("校验错误：字 %1")};
}  // namespace lines

enum class VerifyStatus { Match, Mismatch, BadChecksum, ReadFailed };

struct VerifyOutcome {
    VerifyStatus status = VerifyStatus::ReadFailed;
    ReadOutcome readBack;
    std::optional<WordDifference> difference;  // set for Mismatch
};

// 校验错误：字 0x05
Message VerifyMismatch(int word);

// A full read (link check and image), kept among the safety copies like every read, then the
// comparison of the channel and settings words. Logs 校验：读回数据… in place of the read's
// progress lines, then 校验正确 or 校验错误：字 0xNN; a failed read adds its own failure
// lines only. A read-back whose words match but whose checksum fails is BadChecksum.
VerifyOutcome VerifyWrite(BytePort& port, const WriteRequest& request, const ExchangeHooks& hooks);

// Whether a radio read holds what `request` writes: the words a verify compares, and a good
// checksum.
bool HoldsWritten(const ReadOutcome& read, const WriteRequest& request);

}  // namespace orvel
