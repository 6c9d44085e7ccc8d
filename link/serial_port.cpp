#include "serial_port.h"

#include <QFileInfo>
#include <algorithm>

#include "byte_trace.h"

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvel {
namespace {

QSerialPort::Parity ParityOf(int code) {
    switch (code) {
        case 1:
            return QSerialPort::OddParity;
        case 2:
            return QSerialPort::EvenParity;
        case 3:
            return QSerialPort::MarkParity;
        case 4:
            return QSerialPort::SpaceParity;
        default:
            return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits StopBitsOf(int code) {
    switch (code) {
        case 1:
            return QSerialPort::OneAndHalfStop;
        case 2:
            return QSerialPort::TwoStop;
        default:
            return QSerialPort::OneStop;
    }
}

QSerialPort::DataBits DataBitsOf(int bits) {
    switch (bits) {
        case 5:
            return QSerialPort::Data5;
        case 6:
            return QSerialPort::Data6;
        case 7:
            return QSerialPort::Data7;
        default:
            return QSerialPort::Data8;
    }
}

// Pseudo-terminals cannot keep a parity setting; the virtual radio lives on one.
bool IsPseudoTerminal(const QString& device) {
    const QString target = QFileInfo(device).canonicalFilePath();
    return target.startsWith(QLatin1String("/dev/pts/")) || target == QLatin1String("/dev/ptmx");
}

}  // namespace

SerialPort::SerialPort() = default;

SerialPort::~SerialPort() {
    Close();
}

std::string PortDeviceName(int portNumber) {
#ifdef Q_OS_WIN
    std::string name = "COM" + std::to_string(portNumber & 0xFFFF);
    return name.size() == 5 ? "\\\\.\\" + name : name;
#else
    return "/dev/ttyS" + std::to_string((portNumber & 0xFFFF) - 1);
#endif
}

int SerialPort::Open(int portNumber, int baud, int byteSize, int parity, int stopBits) {
    return OpenDevice(PortDeviceName(portNumber), baud, byteSize, parity, stopBits);
}

int SerialPort::OpenDevice(const std::string& device, int baud, int byteSize, int parity,
                           int stopBits) {
    if (isOpen_ == 1) {
        lastFailure_ = OpenFailure::AlreadyOpen;
        lastError_ = "port already open";
        return -1;
    }
    device_ = device;
    lastFailure_ = OpenFailure::None;
    lastError_.clear();
    permissionGroup_.clear();
    const QString name = QString::fromStdString(device);
    // The lock that keeps a second program off the port is named after the path: a link and
    // the device it names must take the same lock.
    const QString canonical = QFileInfo(name).canonicalFilePath();
    port_.setPortName(canonical.isEmpty() ? name : canonical);
    const bool pty = IsPseudoTerminal(name);
    if (!ApplyAndOpen(baud, byteSize, parity, stopBits, pty)) {
        ExplainFailure();
        return 0;
    }
    // Modem lines are a courtesy to level converters; a port without them still works.
    port_.setDataTerminalReady(true);
    port_.setRequestToSend(true);
    port_.clearError();
    isOpen_ = 1;
    lastByte_ = 0;
    return 1;
}

bool SerialPort::ApplyAndOpen(int baud, int byteSize, int parity, int stopBits,
                              bool tolerateParity) {
    // Settings go in before open(): re-applying parity on an open pty fails.
    port_.setBaudRate(baud);
    port_.setDataBits(DataBitsOf(byteSize));
    port_.setParity(ParityOf(parity));
    port_.setStopBits(StopBitsOf(stopBits));
    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.setReadBufferSize(0);
    if (port_.open(QIODevice::ReadWrite))
        return true;
    if (tolerateParity && port_.error() != QSerialPort::DeviceNotFoundError &&
        port_.error() != QSerialPort::PermissionError && parity != 0) {
        port_.clearError();
        port_.setParity(QSerialPort::NoParity);
        if (port_.open(QIODevice::ReadWrite))
            return true;
    }
    return false;
}

void SerialPort::ExplainFailure() {
    const QSerialPort::SerialPortError error = port_.error();
    const std::string reason = port_.errorString().toStdString();
    port_.clearError();
    const QFileInfo info(QString::fromStdString(device_));
    if (error == QSerialPort::DeviceNotFoundError || !info.exists()) {
        lastFailure_ = OpenFailure::NotFound;
        lastError_ = device_ + ": no such port";
        return;
    }
#ifdef Q_OS_UNIX
    if (::access(device_.c_str(), R_OK | W_OK) != 0) {
        lastFailure_ = OpenFailure::PermissionDenied;
        std::string group;
        struct stat st {};
        if (::stat(device_.c_str(), &st) == 0) {
            if (const struct group* g = ::getgrgid(st.st_gid))
                group = g->gr_name;
        }
        lastError_ = device_ + ": permission denied";
        permissionGroup_ = group;
        if (!group.empty()) {
            lastError_ += "; members of the group " + group + " may use it (sudo usermod -aG " +
                          group + " $USER, then log in again)";
        }
        return;
    }
#endif
    if (error == QSerialPort::PermissionError) {
        lastFailure_ = OpenFailure::Busy;
        lastError_ = device_ + ": in use by another program";
        return;
    }
    lastFailure_ = OpenFailure::Other;
    lastError_ = device_ + ": " + reason;
}

int SerialPort::IsOpen() const {
    return isOpen_;
}

int SerialPort::WriteByte(std::uint8_t byte) {
    if (isOpen_ != 1)
        return -1;
    const char c = static_cast<char>(byte);
    port_.write(&c, 1);
    port_.waitForBytesWritten(1000);
    port_.clearError();
    if (trace_ != nullptr)
        trace_->Sent(byte);
    return 1;
}

int SerialPort::ReadByte(std::uint8_t& out) {
    if (isOpen_ != 1)
        return -1;
    lastByte_ = 0;
    if (port_.bytesAvailable() == 0) {
        // Pulls whatever the driver holds into the buffer without waiting; an empty queue
        // leaves a timeout error behind that would stick.
        port_.waitForReadyRead(0);
        port_.clearError();
    }
    char c = 0;
    if (port_.bytesAvailable() > 0 && port_.read(&c, 1) == 1) {
        lastByte_ = static_cast<std::uint8_t>(c);
        out = lastByte_;
        if (trace_ != nullptr)
            trace_->Received(lastByte_);
        return 1;
    }
    out = lastByte_;
    return 0;
}

bool SerialPort::WaitForData(int milliseconds) {
    if (isOpen_ != 1)
        return false;
    if (port_.bytesAvailable() > 0)
        return true;
    port_.waitForReadyRead(std::max(milliseconds, 0));
    // A wait that ran out leaves a timeout error behind that would stick.
    port_.clearError();
    return port_.bytesAvailable() > 0;
}

void SerialPort::DiscardInput() {
    if (isOpen_ != 1)
        return;
    // Bytes the driver already holds but Qt has not seen yet are pulled in and dropped too.
    port_.waitForReadyRead(0);
    port_.clearError();
    const QByteArray stale = port_.readAll();
    if (trace_ != nullptr) {
        for (char c : stale)
            trace_->Discarded(static_cast<std::uint8_t>(c));
    }
    port_.clear(QSerialPort::Input);
}

void SerialPort::PurgeOutput() {
    if (isOpen_ != 1)
        return;
    port_.clear(QSerialPort::Output);
}

int SerialPort::Close() {
    if (isOpen_ != 1)
        return 1;
    port_.flush();
    port_.waitForBytesWritten(100);
#ifdef Q_OS_UNIX
    // What the driver still holds goes out before the queues are purged, within a bound.
    for (int waited = 0; waited < 1000; waited += 5) {
        int queued = 0;
        if (::ioctl(static_cast<int>(port_.handle()), TIOCOUTQ, &queued) != 0 || queued <= 0)
            break;
        ::usleep(5000);
    }
#endif
    port_.setDataTerminalReady(false);
    port_.setRequestToSend(false);
    port_.clear(QSerialPort::AllDirections);
    port_.close();
    port_.clearError();
    if (trace_ != nullptr)
        trace_->Flush();
    isOpen_ = 0;
    return 1;
}

}  // namespace orvel
