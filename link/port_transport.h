// One kind of line to the radio: a serial device, a port behind a serial device server, or a
// device inside the process. Port (port.h) opens the one a name names and adds what every
// kind shares: the trace, the name, word of the line going away.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "byte_port.h"

namespace orvel {

// Why an open failed, in the terms a technician can act on.
// NotAPort: something is there, but no serial line (a plain file, a folder, a FIFO, /dev/null).
// TimedOut: the system's open did not return within the bound; the attempt is left behind.
// BadName: a network port's URL that names none. Unreachable: the server of a network port
// refused the connection, or none answered within the bound.
enum class OpenFailure {
    None,
    AlreadyOpen,
    NotFound,
    NotAPort,
    Busy,
    PermissionDenied,
    TimedOut,
    BadName,
    Unreachable,
    Other
};

// The line as the radio's link codes it: parity 0 none, 1 odd, 2 even, 3 mark, 4 space;
// stopBits 0 one, 1 one and a half, 2 two. The radio's own line is the default.
struct LineSettings {
    int baud = 9600;
    int byteSize = 8;
    int parity = 2;
    int stopBits = 0;
};

class PortTransport : public BytePort {
public:
    // Sends what is still queued, within a bound, and lets the line go. Always 1.
    virtual int Close() = 0;
    // Looks for the line having gone without reading from it; false once it has (it is closed
    // and reported by then) or when it is not open.
    virtual bool CheckConnection() = 0;
    // DiscardInput, handing each byte it drops to `dropped` for the trace.
    virtual void DropInput(std::vector<std::uint8_t>& dropped) = 0;
    void DiscardInput() final {
        std::vector<std::uint8_t> dropped;
        DropInput(dropped);
    }

    OpenFailure LastOpenFailure() const { return lastFailure_; }
    // The reason for the last failed open, the port's name first, with what to do about it.
    const std::string& LastOpenError() const { return lastError_; }

    // A line that goes away while open (adapter pulled, the server hung up) closes by itself:
    // IsOpen turns 0 and every operation behaves as on a closed line. The handler hears of it
    // once, with the system's reason, on the line's thread: inside an operation or from that
    // thread's event loop.
    using LostHandler = std::function<void(const std::string& reason)>;
    void SetLostHandler(LostHandler handler) { lostHandler_ = std::move(handler); }

protected:
    void FailOpen(OpenFailure failure, std::string error) {
        lastFailure_ = failure;
        lastError_ = std::move(error);
    }
    void ClearOpenFailure() { FailOpen(OpenFailure::None, {}); }
    void ReportLost(const std::string& reason) const {
        if (lostHandler_)
            lostHandler_(reason);
    }

private:
    OpenFailure lastFailure_ = OpenFailure::None;
    std::string lastError_;
    LostHandler lostHandler_;
};

}  // namespace orvel
