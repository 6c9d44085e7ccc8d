// What the exchanges need of a port: single bytes, and a bounded wait for the next one. The serial
// port is the one used in earnest; the in-process virtual radio, tests and the fuzzing of the
// radio's answers use others.
#pragma once

#include <cstdint>

namespace orvel {

class BytePort {
public:
    virtual ~BytePort() = default;
    // 1 when open.
    virtual int IsOpen() const = 0;
    // -1 without a port, otherwise 1.
    virtual int WriteByte(std::uint8_t byte) = 0;
    // -1 without a port; 0 nothing queued (out = 0); 1 one byte read. Never waits.
    virtual int ReadByte(std::uint8_t& out) = 0;
    // Blocks until a byte can be read or `milliseconds` have passed; true when one can.
    virtual bool WaitForData(int milliseconds) = 0;
    virtual void DiscardInput() = 0;
    virtual void PurgeOutput() = 0;
};

}  // namespace orvel
