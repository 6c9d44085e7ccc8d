// The port a program talks to the radio through, opened by the name a user gives it
// (port_name.h): a serial device, a port behind a serial device server, or a device inside the
// program such as the built-in virtual radio. Whichever it is, the trace, the open state, the
// reasons for a failed open and the line going away work the same.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "port_name.h"
#include "port_transport.h"
#include "serial_port.h"

namespace orvel {

class ByteTrace;

// How a port is opened, besides its name (each kind's open is in port_kinds.cpp).
struct PortOptions {
    LineSettings line;
    int openBoundMs = 3000;         // how long an open may take before it is given up
    SerialPort::Opener opener;      // the system's open of a serial device; empty for Qt's own
    BytePort* inProcess = nullptr;  // the device inside the program, for its name
};

// Why a line did not open. permissionGroup: after a refused permission, the group whose
// members may use the device ("dialout"); empty when no group but root's may read and write it.
struct OpenProblem {
    OpenFailure failure = OpenFailure::None;
    std::string error;  // the port's name first, then the system's reason and what to do
    std::string permissionGroup;
};

class Port : public BytePort {
public:
    Port() = default;
    ~Port() override;
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;

    // -1 a port is already held; 0 opening failed; 1 opened. parity and stopBits as in
    // LineSettings.
    int OpenDevice(const std::string& name, int baud = 9600, int byteSize = 8, int parity = 2,
                   int stopBits = 0);
    int IsOpen() const override;
    // -1 without a port, otherwise 1; a serial port waits at most 1000 ms for the byte to leave.
    int WriteByte(std::uint8_t byte) override;
    // -1 without a port; 0 nothing queued (out = 0); 1 one byte read. Never waits.
    int ReadByte(std::uint8_t& out) override;
    // Blocks until a byte can be read or `milliseconds` have passed; true when one can. Returns
    // false at once without a port.
    bool WaitForData(int milliseconds) override;
    void DiscardInput() override;
    void PurgeOutput() override;
    // Sends what is pending and lets the line go (a serial port drops DTR and RTS). Always 1.
    int Close();

    OpenFailure LastOpenFailure() const { return problem_.failure; }
    // The system's reason for the last failed open, with what to do about it.
    const std::string& LastOpenError() const { return problem_.error; }
    // The device of the last open: the name given, a port number or COMn as its device.
    const std::string& DeviceName() const { return device_; }
    const std::string& PermissionGroup() const { return problem_.permissionGroup; }

    // A device inside this process, such as the built-in virtual radio, opened under `name`
    // instead of a system port. It must outlive its use here; nullptr takes it away.
    void AttachDevice(const std::string& name, BytePort* device);

    // How long an open may take before it is given up (3 s unless set).
    void SetOpenBound(int milliseconds) { options_.openBoundMs = milliseconds; }
    // The system's open of a serial port whose settings are in place; a test puts a slow one
    // here.
    void SetOpener(SerialPort::Opener opener) { options_.opener = std::move(opener); }

    // Every byte sent and received also goes to `trace` while it is set.
    void SetTrace(ByteTrace* trace) { trace_ = trace; }

    // A line that goes away while open (adapter pulled, far end hung up, EIO, ENODEV) closes
    // the port by itself: IsOpen turns 0 and every operation behaves as on a closed port. The
    // handler hears of it once, with the device and the system's reason. It runs on the port's
    // thread, inside an operation or from that thread's event loop.
    using LostHandler = std::function<void(const std::string& device, const std::string& reason)>;
    void SetLostHandler(LostHandler handler) { lostHandler_ = std::move(handler); }
    // Looks at the line without reading from it; false when it has gone (the port is closed
    // and reported by then) or no port is held. For threads that wait without an event loop.
    bool CheckConnection();
    // Why the port last closed itself; empty after an Open and as long as it has not.
    const std::string& LostReason() const { return lostReason_; }

private:
    void FlushTrace();

    // Kept after a close, and after the line went away from inside its own call: a line is
    // let go only when the next one is opened.
    std::unique_ptr<PortTransport> line_;
    PortOptions options_;
    std::string inProcessName_;
    std::string device_;
    OpenProblem problem_;
    ByteTrace* trace_ = nullptr;
    LostHandler lostHandler_;
    std::string lostReason_;
};

}  // namespace orvel
