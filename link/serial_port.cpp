#include "serial_port.h"

#include <QEvent>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
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

// Whether the device behind an open port has gone. A terminal whose device was unplugged, or
// whose far end closed, reports a hang-up to poll() and fails every ioctl with EIO; a live one
// does neither. Elsewhere Qt's resource error is the only word for it.
bool DeviceGone(const QSerialPort& port, std::string& reason) {
#ifdef Q_OS_UNIX
    const int fd = static_cast<int>(port.handle());
    if (fd < 0)
        return false;
    pollfd watched{fd, POLLIN, 0};
    const bool hungUp =
        ::poll(&watched, 1, 0) > 0 && (watched.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    termios settings{};
    const bool failing = ::tcgetattr(fd, &settings) != 0 && errno != EINTR;
    const std::string system = failing ? qt_error_string(errno).toStdString() : std::string();
    if (hungUp) {
        reason = failing ? "hung up (" + system + ")" : "hung up";
        return true;
    }
    if (failing) {
        reason = system;
        return true;
    }
    return false;
#else
    if (port.error() != QSerialPort::ResourceError)
        return false;
    reason = port.errorString().toStdString();
    return true;
#endif
}

#ifdef Q_OS_UNIX
// Something is at the path but it is no serial line: a plain file, a folder, a FIFO, a link
// that leads only to itself, a character device that is no terminal (/dev/null). A port that
// another program holds is not opened to find out.
bool NotASerialLine(const std::string& device, bool mayOpen) {
    struct stat st {};
    if (::lstat(device.c_str(), &st) != 0)
        return false;
    if (::stat(device.c_str(), &st) != 0)
        return errno == ELOOP;
    if (!S_ISCHR(st.st_mode))
        return true;
    if (!mayOpen)
        return false;
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return !terminal;
}

// "; members of the group dialout may use it (...)" when a group other than root's may read
// and write the device, else who owns it.
std::string PermissionAdvice(const std::string& device, std::string& group) {
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0)
        return {};
    const struct group* g = ::getgrgid(st.st_gid);
    const bool groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (g != nullptr && st.st_gid != 0 && groupMayUse) {
        group = g->gr_name;
        return "; members of the group " + group + " may use it (sudo usermod -aG " + group +
               " $USER, then log in again)";
    }
    const struct passwd* owner = ::getpwuid(st.st_uid);
    return "; it belongs to " +
           (owner != nullptr ? std::string(owner->pw_name) : "user " + std::to_string(st.st_uid));
}
#endif

}  // namespace

// The event loop's read notifier would wake again and again on a hung-up terminal, reading
// nothing each time; it is stopped before Qt reads, the first time it wakes there.
class HangUpWatch : public QObject {
public:
    explicit HangUpWatch(SerialPort& owner) : owner_(owner) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::SockAct || owner_.isOpen_ != 1)
            return false;
        std::string reason;
        if (!DeviceGone(*owner_.port_, reason))
            return false;
        static_cast<QSocketNotifier*>(watched)->setEnabled(false);
        owner_.MarkLost(reason, false);
        return true;
    }

private:
    SerialPort& owner_;
};

SerialPort::SerialPort()
    : port_(std::make_unique<QSerialPort>()),
      watch_(std::make_unique<HangUpWatch>(*this)),
      opener_([](QSerialPort& port) { return port.open(QIODevice::ReadWrite); }) {
    ListenForErrors();
}

void SerialPort::ListenForErrors() {
    QObject::connect(port_.get(), &QSerialPort::errorOccurred, watch_.get(),
                     [this](QSerialPort::SerialPortError error) { OnPortError(error); });
}

SerialPort::~SerialPort() {
    Close();
}

int SerialPort::OpenDevice(const std::string& device, const LineSettings& line) {
    if (isOpen_ == 1) {
        FailOpen(OpenFailure::AlreadyOpen, "port already open");
        return -1;
    }
    // A port that closed itself may still hold its descriptor until its queued release runs.
    ReleaseDevice();
    ++generation_;
    device_ = device;
    ClearOpenFailure();
    permissionGroup_.clear();
    const QString name = QString::fromStdString(device);
    // The lock that keeps a second program off the port is named after the path: a link and
    // the device it names must take the same lock.
    const QString canonical = QFileInfo(name).canonicalFilePath();
    if (!OpenBounded(canonical.isEmpty() ? name : canonical, line, IsPseudoTerminal(name)))
        return 0;
    // Modem lines are a courtesy to level converters; a port without them still works.
    port_->setDataTerminalReady(true);
    port_->setRequestToSend(true);
    port_->clearError();
    isOpen_ = 1;
    lastByte_ = 0;
    WatchForHangUp();
    return 1;
}

void SerialPort::WatchForHangUp() {
    for (QSocketNotifier* notifier : port_->findChildren<QSocketNotifier*>()) {
        if (notifier->type() == QSocketNotifier::Read)
            notifier->installEventFilter(watch_.get());
    }
}

void SerialPort::OnPortError(QSerialPort::SerialPortError error) {
    if (isOpen_ != 1 || error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return;
    std::string reason;
    // Inside Qt's own call the port cannot be closed yet; the operation that made the call, or
    // the event loop, does it.
    if (DeviceGone(*port_, reason))
        MarkLost(reason, false);
}

bool SerialPort::StillOpenAfter(bool waitSucceeded) {
    // A hang-up ends a wait early, with nothing read and no timeout.
    std::string reason;
    if (isOpen_ == 1 && !waitSucceeded && port_->error() != QSerialPort::TimeoutError &&
        DeviceGone(*port_, reason)) {
        MarkLost(reason, true);
    }
    port_->clearError();
    if (isOpen_ == 1)
        return true;
    ReleaseDevice();
    return false;
}

void SerialPort::MarkLost(const std::string& reason, bool closeNow) {
    isOpen_ = 0;
    if (closeNow) {
        ReleaseDevice();
    } else {
        QMetaObject::invokeMethod(
            watch_.get(),
            [this, generation = generation_] {
                if (generation == generation_ && isOpen_ != 1)
                    ReleaseDevice();
            },
            Qt::QueuedConnection);
    }
    ReportLost(reason);
}

void SerialPort::ReleaseDevice() {
    if (!port_->isOpen())
        return;
    port_->close();
    port_->clearError();
}

bool SerialPort::CheckConnection() {
    if (isOpen_ != 1) {
        ReleaseDevice();
        return false;
    }
    std::string reason;
    if (!DeviceGone(*port_, reason))
        return true;
    MarkLost(reason, true);
    return false;
}

// Runs on a thread of its own, so that a device whose open hangs (a wireless link's virtual
// port, a driver waiting for hardware) holds up nothing but that thread. The port, once open,
// moves to the caller's thread; one opened after the caller gave up is closed where it was made.
struct SerialPort::OpenAttempt {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    std::unique_ptr<QSerialPort> port;
    QSerialPort::SerialPortError error = QSerialPort::NoError;
    QString errorString;
};

bool SerialPort::OpenBounded(const QString& name, LineSettings line, bool tolerateParity) {
    auto attempt = std::make_shared<OpenAttempt>();
    QThread* const caller = QThread::currentThread();
    QThread* const worker =
        QThread::create([attempt, name, line, tolerateParity, caller, opener = opener_] {
            auto port = std::make_unique<QSerialPort>();
            port->setPortName(name);
            const bool opened = ApplyAndOpen(*port, opener, line, tolerateParity);
            std::lock_guard lock(attempt->mutex);
            if (attempt->abandoned)
                return;  // the port closes here, on the thread that made it
            if (opened) {
                port->moveToThread(caller);
                attempt->port = std::move(port);
            } else {
                attempt->error = port->error();
                attempt->errorString = port->errorString();
            }
            attempt->done = true;
            attempt->finished.notify_all();
        });
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
    std::unique_lock lock(attempt->mutex);
    if (!attempt->finished.wait_for(lock, std::chrono::milliseconds(openBoundMs_),
                                    [&attempt] { return attempt->done; })) {
        attempt->abandoned = true;
        FailOpen(OpenFailure::TimedOut, device_ + ": did not open within " +
                                            std::to_string(openBoundMs_ / 1000) +
                                            " s (the device or its driver does not answer)");
        return false;
    }
    lock.unlock();
    // Finished in time: the thread ends at once, and goes with its deferred deletion.
    worker->wait();
    delete worker;
    if (!attempt->port) {
        ExplainFailure(attempt->error, attempt->errorString.toStdString());
        return false;
    }
    port_ = std::move(attempt->port);
    ListenForErrors();
    return true;
}

bool SerialPort::ApplyAndOpen(QSerialPort& port, const Opener& opener, LineSettings line,
                              bool tolerateParity) {
    // Settings go in before open(): re-applying parity on an open pty fails.
    port.setBaudRate(line.baud);
    port.setDataBits(DataBitsOf(line.byteSize));
    port.setParity(ParityOf(line.parity));
    port.setStopBits(StopBitsOf(line.stopBits));
    port.setFlowControl(QSerialPort::NoFlowControl);
    port.setReadBufferSize(0);
    if (opener(port))
        return true;
    if (tolerateParity && port.error() != QSerialPort::DeviceNotFoundError &&
        port.error() != QSerialPort::PermissionError && line.parity != 0) {
        port.clearError();
        port.setParity(QSerialPort::NoParity);
        if (opener(port))
            return true;
    }
    return false;
}

void SerialPort::ExplainFailure(QSerialPort::SerialPortError error, const std::string& reason) {
#ifdef Q_OS_UNIX
    if (NotASerialLine(device_, error != QSerialPort::PermissionError)) {
        FailOpen(OpenFailure::NotAPort, device_ + ": not a serial port");
        return;
    }
#endif
#ifdef Q_OS_WIN
    // COMn is a device name, not a file: only the system can tell that it is missing.
    const bool missing = error == QSerialPort::DeviceNotFoundError;
#else
    const bool missing = error == QSerialPort::DeviceNotFoundError ||
                         !QFileInfo::exists(QString::fromStdString(device_));
#endif
    if (missing) {
        FailOpen(OpenFailure::NotFound, device_ + ": no such port");
        return;
    }
#ifdef Q_OS_UNIX
    if (::access(device_.c_str(), R_OK | W_OK) != 0) {
        FailOpen(OpenFailure::PermissionDenied,
                 device_ + ": permission denied" + PermissionAdvice(device_, permissionGroup_));
        return;
    }
#endif
    if (error == QSerialPort::PermissionError) {
        FailOpen(OpenFailure::Busy, device_ + ": in use by another program");
        return;
    }
    FailOpen(OpenFailure::Other, device_ + ": " + reason);
}

int SerialPort::IsOpen() const {
    return isOpen_;
}

int SerialPort::WriteByte(std::uint8_t byte) {
    if (isOpen_ != 1)
        return -1;
    const char c = static_cast<char>(byte);
    port_->write(&c, 1);
    if (!StillOpenAfter(port_->waitForBytesWritten(1000)))
        return -1;
    return 1;
}

int SerialPort::ReadByte(std::uint8_t& out) {
    if (isOpen_ != 1)
        return -1;
    lastByte_ = 0;
    if (port_->bytesAvailable() == 0) {
        // Pulls whatever the driver holds into the buffer without waiting; an empty queue
        // leaves a timeout error behind that would stick.
        if (!StillOpenAfter(port_->waitForReadyRead(0))) {
            out = 0;
            return -1;
        }
    }
    char c = 0;
    if (port_->bytesAvailable() > 0 && port_->read(&c, 1) == 1) {
        lastByte_ = static_cast<std::uint8_t>(c);
        out = lastByte_;
        return 1;
    }
    out = lastByte_;
    return 0;
}

bool SerialPort::WaitForData(int milliseconds) {
    if (isOpen_ != 1)
        return false;
    if (port_->bytesAvailable() > 0)
        return true;
    port_->waitForReadyRead(std::max(milliseconds, 0));
    // A hang-up wakes the wait with nothing to read: the port then closes itself. A wait that
    // ran out leaves a timeout error behind, which StillOpenAfter clears.
    const bool data = port_->bytesAvailable() > 0;
    return StillOpenAfter(data) && data;
}

void SerialPort::DropInput(std::vector<std::uint8_t>& dropped) {
    if (isOpen_ != 1)
        return;
    // Bytes the driver already holds but Qt has not seen yet are pulled in and dropped too.
    if (!StillOpenAfter(port_->waitForReadyRead(0)))
        return;
    const QByteArray stale = port_->readAll();
    dropped.insert(dropped.end(), stale.begin(), stale.end());
    port_->clear(QSerialPort::Input);
    StillOpenAfter(true);
}

void SerialPort::PurgeOutput() {
    if (isOpen_ != 1)
        return;
    port_->clear(QSerialPort::Output);
    StillOpenAfter(true);
}

int SerialPort::Close() {
    if (isOpen_ != 1) {
        ReleaseDevice();
        return 1;
    }
    // From here a device that fails is no news: the port is being closed anyway.
    isOpen_ = 0;
    port_->flush();
    port_->waitForBytesWritten(100);
#ifdef Q_OS_UNIX
    // What the driver still holds goes out before the queues are purged, within a bound.
    for (int waited = 0; waited < 1000; waited += 5) {
        int queued = 0;
        if (::ioctl(static_cast<int>(port_->handle()), TIOCOUTQ, &queued) != 0 || queued <= 0)
            break;
        ::usleep(5000);
    }
#endif
    port_->setDataTerminalReady(false);
    port_->setRequestToSend(false);
    port_->clear(QSerialPort::AllDirections);
    ReleaseDevice();
    return 1;
}

}  // namespace orvel
