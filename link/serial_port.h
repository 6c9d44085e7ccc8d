// A serial device of this computer (/dev/ttyUSB0, a pty, COM3) with bounded, synchronous
// single-byte operations. The exchanges poll it; nothing here ever waits for the radio.
#pragma once

#include <QSerialPort>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "port_transport.h"

namespace orvel {

class HangUpWatch;

class SerialPort : public PortTransport {
public:
    SerialPort();
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // -1 a port is already held; 0 opening failed; 1 opened. The device path is used as given
    // (a link, a pty); port_name.h turns the names users give into one.
    int OpenDevice(const std::string& device, const LineSettings& line = {});
    int IsOpen() const override;
    // -1 without a port, otherwise 1; waits at most 1000 ms for the byte to leave.
    int WriteByte(std::uint8_t byte) override;
    // -1 without a port; 0 nothing queued (out = 0); 1 one byte read. Never waits.
    int ReadByte(std::uint8_t& out) override;
    // Blocks until a byte can be read or `milliseconds` have passed; true when one can. Returns
    // false at once without a port.
    bool WaitForData(int milliseconds) override;
    void DropInput(std::vector<std::uint8_t>& dropped) override;
    void PurgeOutput() override;
    // Flushes pending output, drops DTR and RTS, purges both queues. Always 1.
    int Close() override;
    bool CheckConnection() override;

    // After a refused permission: the group whose members may use the device ("dialout"); empty
    // when no group but root's may read and write it.
    const std::string& PermissionGroup() const { return permissionGroup_; }

    // How long an open may take before it is given up (3 s unless set).
    void SetOpenBound(int milliseconds) { openBoundMs_ = milliseconds; }
    // The system's open of a port whose settings are in place; a test puts a slow one here.
    using Opener = std::function<bool(QSerialPort&)>;
    void SetOpener(Opener opener) { opener_ = std::move(opener); }

private:
    friend class HangUpWatch;

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

    std::unique_ptr<QSerialPort> port_;
    std::string device_;
    std::uint8_t lastByte_ = 0;
    int isOpen_ = 0;
    std::string permissionGroup_;
    int generation_ = 0;  // counts opens, so that a late close never hits a newer open
    std::unique_ptr<HangUpWatch> watch_;
    Opener opener_;
    int openBoundMs_ = 3000;
};

}  // namespace orvel
