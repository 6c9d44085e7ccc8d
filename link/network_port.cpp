#include "network_port.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QTcpSocket>
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace orvel {
namespace {

// The most taken from the socket at once: Qt holds no more than this for the port either, so a
// server that sends faster than it is read waits in its own socket.
constexpr qint64 kChunk = 16384;
// A server that repeats its option commands more often than this has its negotiation in a
// loop.
constexpr int kRepeatsTolerated = 16;

const char* ParityName(int code) {
    switch (code) {
        case 1:
            return "none";
        case 2:
            return "odd";
        case 3:
            return "even";
        case 4:
            return "mark";
        case 5:
            return "space";
        default:
            return "unknown";
    }
}

const char* StopName(int code) {
    switch (code) {
        case 1:
            return "1";
        case 2:
            return "2";
        case 3:
            return "1.5";
        default:
            return "unknown";
    }
}

int Remaining(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

// A name lookup may take the resolver's own time; it runs on a thread that is left behind when
// the bound passes, so that the open still ends in time.
struct Lookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    QList<QHostAddress> addresses;
};

bool Resolve(const std::string& host, int milliseconds, QHostAddress& address, std::string& error) {
    if (address.setAddress(QString::fromStdString(host)))
        return true;
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, name = QString::fromStdString(host)] {
        const QList<QHostAddress> addresses = QHostInfo::fromName(name).addresses();
        std::lock_guard lock(lookup->mutex);
        lookup->addresses = addresses;
        lookup->done = true;
        lookup->finished.notify_all();
    }).detach();
    std::unique_lock lock(lookup->mutex);
    if (!lookup->finished.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                   [&lookup] { return lookup->done; })) {
        error = "the name " + host + " was not found within " +
                std::to_string(std::max(milliseconds / 1000, 1)) + " s";
        return false;
    }
    if (lookup->addresses.isEmpty()) {
        error = "no such host: " + host;
        return false;
    }
    address = lookup->addresses.front();
    return true;
}

}  // namespace

NetworkPort::NetworkPort() = default;

NetworkPort::~NetworkPort() {
    Close();
}

bool NetworkPort::Open(const std::string& url, const NetworkAddress& address,
                       const LineSettings& line, int boundMs) {
    ClearOpenFailure();
    std::string error;
    Failure failure = Failure::Unreachable;
    if (Connect(address, line, boundMs, error, failure))
        return true;
    // A server that takes the connection but not COM-port control is reached; it is the wrong
    // kind of port.
    FailOpen(failure == Failure::Refused && address.telnet &&
                     error.find("refused the connection") == std::string::npos
                 ? OpenFailure::Other
                 : OpenFailure::Unreachable,
             url + ": " + error);
    return false;
}

bool NetworkPort::Connect(const NetworkAddress& address, const LineSettings& line, int boundMs,
                          std::string& error, Failure& failure) {
    Close();
    lostReason_.clear();
    telnet_ = address.telnet;
    const auto deadline = Clock::now() + std::chrono::milliseconds(boundMs);
    QHostAddress host;
    if (!Resolve(address.host, boundMs, host, error))
        return false;
    socket_ = std::make_unique<QTcpSocket>();
    socket_->setReadBufferSize(kChunk);
    socket_->connectToHost(host, static_cast<quint16>(address.port));
    if (!socket_->waitForConnected(std::max(Remaining(deadline), 1))) {
        switch (socket_->error()) {
            case QAbstractSocket::ConnectionRefusedError:
                failure = Failure::Refused;
                error = "the server refused the connection";
                break;
            case QAbstractSocket::SocketTimeoutError:
                failure = Failure::TimedOut;
                error = "no connection within " + std::to_string(std::max(boundMs / 1000, 1)) +
                        " s (the server does not answer)";
                break;
            default:
                error = socket_->errorString().toStdString();
                break;
        }
        socket_.reset();
        return false;
    }
    // Single bytes go out at once, as on a serial line: without this a frame's bytes wait for
    // the server's delayed acknowledgement. Qt takes options only once the socket is connected.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket_->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    // Heard in the middle of a wait, or from the event loop while the port is idle, where
    // there is one.
    QObject::connect(socket_.get(), &QAbstractSocket::disconnected, socket_.get(),
                     [this] { FromSocket([this] { Lose("the server closed the connection"); }); });
    QObject::connect(
        socket_.get(), &QAbstractSocket::errorOccurred, socket_.get(),
        [this](QAbstractSocket::SocketError code) {
            FromSocket([this, code] {
                if (code == QAbstractSocket::RemoteHostClosedError) {
                    Lose("the server closed the connection");
                } else if (code != QAbstractSocket::SocketTimeoutError &&
                           socket_->state() != QAbstractSocket::ConnectedState) {
                    Lose("the connection broke (" + socket_->errorString().toStdString() + ")");
                }
            });
        });
    QObject::connect(socket_.get(), &QIODevice::readyRead, socket_.get(), [this] {
        // Inside a wait of the port's own, the wait takes what came.
        if (busy_ == 0 && open_)
            FromSocket([this] {
                if (!Pump(0, false))
                    Close();
            });
    });
    if (telnet_ && !Negotiate(line, deadline, error)) {
        failure = Remaining(deadline) == 0 ? Failure::TimedOut : Failure::Refused;
        Close();
        return false;
    }
    open_ = true;
    return true;
}

bool NetworkPort::Negotiate(const LineSettings& line, Clock::time_point deadline,
                            std::string& error) {
    const std::string seconds =
        std::to_string(std::max((Remaining(deadline) + 999) / 1000, 1)) + " s";
    auto fail = [&](const std::string& slow) {
        error = lostReason_.empty() ? slow : lostReason_ + " while the line was being set up";
        return false;
    };
    Send(session_.Opening(), Remaining(deadline));
    if (!WaitUntil(deadline,
                   [this] { return session_.ComPortAccepted() || session_.ComPortRefused(); }))
        return fail("the server did not take up COM-port control (RFC 2217) within " + seconds);
    if (session_.ComPortRefused()) {
        error =
            "the server does not offer COM-port control (RFC 2217); a port whose line is "
            "set up on the server is socket://HOST:PORT";
        return false;
    }
    const auto baud = static_cast<std::uint32_t>(line.baud);
    const std::vector<std::uint8_t> wanted[TelnetSession::kSettings] = {
        {static_cast<std::uint8_t>(baud >> 24), static_cast<std::uint8_t>(baud >> 16),
         static_cast<std::uint8_t>(baud >> 8), static_cast<std::uint8_t>(baud)},
        {static_cast<std::uint8_t>(line.byteSize)},
        {static_cast<std::uint8_t>(line.parity + 1)},
        {static_cast<std::uint8_t>(line.stopBits == 1   ? 3
                                   : line.stopBits == 2 ? 2
                                                        : 1)}};
    for (int i = 0; i < TelnetSession::kSettings; ++i)
        Send(TelnetSession::SetCommand(TelnetSession::Setting(i), wanted[i]), Remaining(deadline));
    if (!WaitUntil(deadline, [this] {
            for (int i = 0; i < TelnetSession::kSettings; ++i) {
                if (!session_.Answer(TelnetSession::Setting(i)))
                    return false;
            }
            return true;
        }))
        return fail("the server did not confirm the line settings within " + seconds);
    const char* names[TelnetSession::kSettings] = {"baud rate", "data bits", "parity", "stop bits"};
    for (int i = 0; i < TelnetSession::kSettings; ++i) {
        const std::vector<std::uint8_t>& got = *session_.Answer(TelnetSession::Setting(i));
        if (got == wanted[i])
            continue;
        std::string answer;
        std::string asked;
        if (i == 0) {
            std::uint32_t value = 0;
            for (std::uint8_t byte : got)
                value = value << 8 | byte;
            answer = got.size() == 4 ? std::to_string(value) : "nothing usable";
            asked = std::to_string(line.baud);
        } else if (got.size() != 1) {
            answer = "nothing usable";
        } else if (i == 1) {
            answer = std::to_string(got[0]);
        } else if (i == 2) {
            answer = ParityName(got[0]);
        } else {
            answer = StopName(got[0]);
        }
        if (i == 1)
            asked = std::to_string(line.byteSize);
        if (i == 2)
            asked = ParityName(line.parity + 1);
        if (i == 3)
            asked = StopName(wanted[3][0]);
        error = std::string("the server refuses ") + names[i] + " " + asked + ": it answers " +
                answer + " (the radio needs 9600 baud, 8 data bits, even parity, 1 stop bit)";
        return false;
    }
    return true;
}

bool NetworkPort::WaitUntil(Clock::time_point deadline, const std::function<bool()>& done) {
    while (!done()) {
        const int left = Remaining(deadline);
        if (left == 0 || !Pump(left, false))
            return done();
    }
    return true;
}

bool NetworkPort::Pump(int milliseconds, bool asked) {
    if (!socket_ || !lostReason_.empty())
        return false;
    // The wait also sends what is still queued. From the socket's own signal only what came is
    // taken.
    const bool wait = busy_ == 0 && socket_->bytesAvailable() == 0 &&
                      socket_->state() == QAbstractSocket::ConnectedState;
    ++busy_;
    if (wait)
        socket_->waitForReadyRead(milliseconds);
    chunk_.resize(kChunk);
    const qint64 got = socket_->read(reinterpret_cast<char*>(chunk_.data()), kChunk);
    --busy_;
    const auto size = static_cast<std::size_t>(std::max<qint64>(got, 0));
    unasked_ = asked ? 0 : unasked_ + size;
    if (telnet_) {
        decoded_.clear();
        replies_.clear();
        session_.Take(chunk_.data(), size, decoded_, replies_);
        data_.insert(data_.end(), decoded_.begin(), decoded_.end());
        if (!replies_.empty())
            Send(replies_, 0);
    } else {
        data_.insert(data_.end(), chunk_.begin(),
                     chunk_.begin() + static_cast<std::ptrdiff_t>(size));
    }
    if (!session_.Fault().empty()) {
        Lose(session_.Fault());
    } else if (session_.Repeats() > kRepeatsTolerated) {
        Lose("the server keeps repeating its option negotiation");
    } else if (unasked_ > kUnaskedBytes) {
        // A radio answers what it is asked; a server that streams at an idle port would have
        // everything it sends kept.
        Lose("the server sent more than " + std::to_string(kUnaskedBytes) +
             " bytes nobody asked for");
    } else if (socket_ && socket_->state() != QAbstractSocket::ConnectedState) {
        Lose("the server closed the connection");
    }
    return lostReason_.empty();
}

bool NetworkPort::Send(const std::vector<std::uint8_t>& bytes, int milliseconds) {
    if (!socket_ || !lostReason_.empty())
        return false;
    // A server that took nothing of the last bytes in time is not waited for again: it holds a
    // write up no longer than a stalled serial driver, once.
    const bool stalled = socket_->bytesToWrite() > 0;
    socket_->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    socket_->flush();
    if (!stalled && busy_ == 0) {
        ++busy_;
        const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
        while (socket_->bytesToWrite() > 0 && socket_->state() == QAbstractSocket::ConnectedState &&
               Remaining(deadline) > 0)
            socket_->waitForBytesWritten(Remaining(deadline));
        --busy_;
    }
    if (lostReason_.empty() && socket_->state() != QAbstractSocket::ConnectedState)
        Lose("the server closed the connection");
    return lostReason_.empty();
}

void NetworkPort::Lose(const std::string& reason) {
    if (!lostReason_.empty())
        return;
    lostReason_ = reason;
    const bool wasOpen = open_;
    open_ = false;
    if (wasOpen)
        ReportLost(reason);
}

bool NetworkPort::StillOpen() {
    if (open_)
        return true;
    if (socket_)
        Close();
    return false;
}

int NetworkPort::WriteByte(std::uint8_t byte) {
    if (!open_)
        return -1;
    std::vector<std::uint8_t> bytes;
    if (telnet_) {
        session_.Encode(byte, bytes);
    } else {
        bytes.push_back(byte);
    }
    const bool sent = Send(bytes, 1000);
    return StillOpen() && sent ? 1 : -1;
}

int NetworkPort::ReadByte(std::uint8_t& out) {
    out = 0;
    if (!open_)
        return -1;
    if (data_.empty())
        Pump(0, true);
    // A byte that came with the server's close is not handed on: the port is closed by then.
    if (!StillOpen())
        return -1;
    if (data_.empty())
        return 0;
    out = data_.front();
    data_.pop_front();
    return 1;
}

bool NetworkPort::WaitForData(int milliseconds) {
    if (!open_)
        return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
    // Telnet commands wake the wait without data; it goes on until the bound.
    while (data_.empty()) {
        if (!Pump(Remaining(deadline), true) || Remaining(deadline) == 0)
            break;
    }
    return StillOpen() && !data_.empty();
}

void NetworkPort::DropInput(std::vector<std::uint8_t>& dropped) {
    if (!open_)
        return;
    // What waits in the socket goes too, as a serial port's queue would: a stale answer must
    // not answer the next frame. A server that sends faster than this drops is flooding.
    std::size_t before = 0;
    do {
        dropped.insert(dropped.end(), data_.begin(), data_.end());
        data_.clear();
        before = unasked_;
    } while (Pump(0, false) && unasked_ > before);
    dropped.insert(dropped.end(), data_.begin(), data_.end());
    data_.clear();
    StillOpen();
}

bool NetworkPort::CheckConnection() {
    if (open_)
        Pump(0, false);
    return StillOpen();
}

int NetworkPort::Close() {
    open_ = false;
    // Inside the socket's own wait or signal, it goes once that is over.
    closePending_ = busy_ > 0;
    if (!closePending_)
        Release(false);
    return 1;
}

void NetworkPort::FromSocket(const std::function<void()>& heard) {
    ++busy_;
    heard();
    --busy_;
    if (busy_ == 0 && closePending_)
        Release(true);
}

void NetworkPort::Release(bool fromSignal) {
    closePending_ = false;
    if (socket_) {
        QObject::disconnect(socket_.get(), nullptr, nullptr, nullptr);
        if (socket_->state() == QAbstractSocket::ConnectedState && !fromSignal) {
            // What is still queued goes out, within a bound. Unread bytes left behind would
            // make the close a reset, which can cost the server what it has not read yet.
            socket_->waitForBytesWritten(200);
            if (socket_->bytesAvailable() == 0)
                socket_->waitForReadyRead(0);
            socket_->read(kChunk);
            socket_->disconnectFromHost();
            if (socket_->state() != QAbstractSocket::UnconnectedState)
                socket_->waitForDisconnected(200);
        }
        socket_->abort();
        if (fromSignal) {
            socket_.release()->deleteLater();
        } else {
            socket_.reset();
        }
    }
    session_ = TelnetSession{};
    data_.clear();
    unasked_ = 0;
}

}  // namespace orvel
