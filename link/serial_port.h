// The one path between the tool and the radio: a serial port with bounded, synchronous
// single-byte operations. The exchanges poll it; nothing here ever waits for the radio.
#pragma once

#include <QSerialPort>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "byte_port.h"
#include "port_name.h"

namespace orvel {

class ByteTrace;

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

class HangUpWatch;
class NetworkPort;

class SerialPort : public BytePort {
public:
    SerialPort();
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // -1 a port is already held; 0 opening failed; 1 opened. parity and stopBits use the
    // classic coding: parity 0 none, 1 odd, 2 even, 3 mark, 4 space; stopBits 0 one,
    // 1 one and a half, 2 two.
    int Open(int portNumber, int baud = 9600, int byteSize = 8, int parity = 2, int stopBits = 0);
    // The same for a device path used as given (/dev/ttyUSB0, a pty, a symlink), or a port
    // behind a serial device server (rfc2217://HOST:PORT, socket://HOST:PORT).
    int OpenDevice(const std::string& device, int baud = 9600, int byteSize = 8, int parity = 2,
                   int stopBits = 0);
    int IsOpen() const override;
    // -1 without a port, otherwise 1; waits at most 1000 ms for the byte to leave.
    int WriteByte(std::uint8_t byte) override;
    // -1 without a port; 0 nothing queued (out = 0); 1 one byte read. Never waits.
    int ReadByte(std::uint8_t& out) override;
    // Blocks until a byte can be read or `milliseconds` have passed; true when one can. Returns
    // false at once without a port.
    bool WaitForData(int milliseconds) override;
    void DiscardInput() override;
    void PurgeOutput() override;
    // Flushes pending output, drops DTR and RTS, purges both queues. Always 1.
    int Close();

    OpenFailure LastOpenFailure() const { return lastFailure_; }
    // The system's reason for the last failed open, with what to do about it.
    const std::string& LastOpenError() const { return lastError_; }
    const std::string& DeviceName() const { return device_; }
    // After a refused permission: the group whose members may use the device ("dialout"); empty
    // when no group but root's may read and write it.
    const std::string& PermissionGroup() const { return permissionGroup_; }

    // A device inside this process, such as the built-in virtual radio, opened under `name`
    // instead of a system port: OpenDevice(name) uses it, and the trace, IsOpen and Close work as
    // for any port. It must outlive its use here; nullptr takes it away.
    void AttachDevice(const std::string& name, BytePort* device);

    // How long an open may take before it is given up (3 s unless set).
    void SetOpenBound(int milliseconds) { openBoundMs_ = milliseconds; }
    // The system's open of a port whose settings are in place; a test puts a slow one here.
    using Opener = std::function<bool(QSerialPort&)>;
    void SetOpener(Opener opener) { opener_ = std::move(opener); }

    // Every byte sent and received also goes to `trace` while it is set.
    void SetTrace(ByteTrace* trace) { trace_ = trace; }

    // A device that goes away while open (adapter pulled, far end hung up, EIO, ENODEV) closes
    // the port by itself: IsOpen turns 0 and every operation behaves as on a closed port. The
    // handler hears of it once, with the device and the system's reason. It runs on the port's
    // thread, inside an operation or from that thread's event loop.
    using LostHandler = std::function<void(const std::string& device, const std::string& reason)>;
    void SetLostHandler(LostHandler handler) { lostHandler_ = std::move(handler); }
    // Looks at the device without reading from it; false when it has gone (the port is closed
    // and reported by then) or no port is held. For threads that wait without an event loop.
    bool CheckConnection();
    // Why the port last closed itself; empty after an Open and as long as it has not.
    const std::string& LostReason() const { return lostReason_; }

private:
    friend class HangUpWatch;

    struct LineSettings {
        int baud;
        int byteSize;
        int parity;
        int stopBits;
    };
    struct OpenAttempt;
    bool OpenBounded(const QString& name, LineSettings line, bool tolerateParity);
    static bool ApplyAndOpen(QSerialPort& port, const Opener& opener, LineSettings line,
                             bool tolerateParity);
    void ExplainFailure(QSerialPort::SerialPortError error, const std::string& reason);
    void ListenForErrors();
    void WatchForHangUp();
    void OnPortError(QSerialPort::SerialPortError error);
    // After a Qt call that may have met the hang-up: true when the port is still usable.
    bool StillOpenAfter(bool waitSucceeded);
    void MarkLost(const std::string& reason, bool closeNow);
    void ReleaseDevice();
    void DiscardAttachedInput();
    bool OpenNetwork(const std::string& url, LineSettings line);
    // After a network operation: true when the connection still holds.
    bool NetworkStillOpen();

    std::unique_ptr<QSerialPort> port_;
    std::string device_;
    std::uint8_t lastByte_ = 0;
    int isOpen_ = 0;
    OpenFailure lastFailure_ = OpenFailure::None;
    std::string lastError_;
    std::string permissionGroup_;
    ByteTrace* trace_ = nullptr;
    LostHandler lostHandler_;
    std::string lostReason_;
    int generation_ = 0;  // counts opens, so that a late close never hits a newer open
    std::unique_ptr<HangUpWatch> watch_;
    Opener opener_;
    int openBoundMs_ = 3000;
    std::string attachedName_;
    BytePort* attached_ = nullptr;
    bool usingAttached_ = false;  // the port open is the attached device
    std::unique_ptr<NetworkPort> network_;
    bool usingNetwork_ = false;  // the port open is behind a serial device server
};

}  // namespace orvel
