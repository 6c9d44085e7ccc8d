#include "tcp_stream.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace orvel {
namespace {

#ifdef _WIN32
using Socket = SOCKET;
constexpr int kInProgress = WSAEWOULDBLOCK;
constexpr int kWouldBlock = WSAEWOULDBLOCK;
constexpr int kInterrupted = WSAEINTR;
constexpr int kRefused = WSAECONNREFUSED;
constexpr int kReset = WSAECONNRESET;
constexpr int kAborted = WSAECONNABORTED;
constexpr int kPipe = WSAESHUTDOWN;
constexpr int kNetUnreachable = WSAENETUNREACH;
constexpr int kHostUnreachable = WSAEHOSTUNREACH;
constexpr int kNotAvailable = WSAEADDRNOTAVAIL;
constexpr int kAccess = WSAEACCES;
constexpr int kTimedOut = WSAETIMEDOUT;
constexpr int kSendFlags = 0;

int LastError() {
    return WSAGetLastError();
}
void CloseSocket(Socket s) {
    closesocket(s);
}
// Winsock is started once for the process and left running: a port may open at any time.
bool StartSockets() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}
#else
using Socket = int;
constexpr int kInProgress = EINPROGRESS;
constexpr int kWouldBlock = EAGAIN;
constexpr int kInterrupted = EINTR;
constexpr int kRefused = ECONNREFUSED;
constexpr int kReset = ECONNRESET;
constexpr int kAborted = ECONNABORTED;
constexpr int kPipe = EPIPE;
constexpr int kNetUnreachable = ENETUNREACH;
constexpr int kHostUnreachable = EHOSTUNREACH;
constexpr int kNotAvailable = EADDRNOTAVAIL;
constexpr int kAccess = EACCES;
constexpr int kTimedOut = ETIMEDOUT;
// A peer that has gone must not kill the process with SIGPIPE.
constexpr int kSendFlags = MSG_NOSIGNAL;

int LastError() {
    return errno;
}
void CloseSocket(Socket s) {
    ::close(s);
}
bool StartSockets() {
    return true;
}
#endif

// The texts Qt's sockets gave for the same faults, which users and scripts already know.
std::string ErrorText(int code) {
    switch (code) {
        case kRefused:
            return "Connection refused";
        case kNetUnreachable:
            return "Network unreachable";
        case kHostUnreachable:
            return "Host unreachable";
        case kNotAvailable:
            return "The address is not available";
        case kAccess:
            return "Permission denied";
        case kTimedOut:
            return "Connection timed out";
        default:
            break;
    }
    std::string text = std::system_category().message(code);
    return text.empty() ? "error " + std::to_string(code) : text;
}

bool PeerGone(int code) {
    return code == kReset || code == kAborted || code == kPipe;
}

enum class Ready { Yes, No, Failed };

// Waits up to `milliseconds` until the socket can be read, or written (a connect that ended
// counts as writable, failed or not).
Ready WaitFor(Socket s, bool write, int milliseconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        const int wait = static_cast<int>(std::max<long long>(left, 0));
#ifdef _WIN32
        // select rather than WSAPoll: WSAPoll does not report a connect that failed.
        fd_set ready;
        fd_set failed;
        FD_ZERO(&ready);
        FD_ZERO(&failed);
        FD_SET(s, &ready);
        FD_SET(s, &failed);
        timeval timeout{wait / 1000, (wait % 1000) * 1000};
        const int n =
            select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &timeout);
#else
        pollfd fd{s, static_cast<short>(write ? POLLOUT : POLLIN), 0};
        const int n = ::poll(&fd, 1, wait);
#endif
        if (n > 0)
            return Ready::Yes;
        if (n == 0)
            return Ready::No;
        if (LastError() != kInterrupted)
            return Ready::Failed;
    }
}

bool SetNonBlocking(Socket s) {
#ifdef _WIN32
    u_long on = 1;
    return ioctlsocket(s, FIONBIO, &on) == 0;
#else
    const int flags = ::fcntl(s, F_GETFL);
    return flags >= 0 && ::fcntl(s, F_SETFL, flags | O_NONBLOCK) == 0;
#endif
}

void SetOption(Socket s, int level, int name) {
    const int on = 1;
    setsockopt(s, level, name, reinterpret_cast<const char*>(&on), sizeof on);
}

// A name lookup may take the resolver's own time; it runs on a thread that is left behind when
// the bound passes, so that the open still ends in time.
struct Lookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    sockaddr_storage address{};
    socklen_t size = 0;
};

bool Resolve(const std::string& host, int port, int milliseconds, sockaddr_storage& address,
             socklen_t& size, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST;
    const std::string service = std::to_string(port);
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) == 0 && found != nullptr) {
        std::memcpy(&address, found->ai_addr, found->ai_addrlen);
        size = static_cast<socklen_t>(found->ai_addrlen);
        freeaddrinfo(found);
        return true;
    }
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, service] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        const bool ok = getaddrinfo(host.c_str(), service.c_str(), &hints, &found) == 0;
        std::lock_guard lock(lookup->mutex);
        if (ok && found != nullptr) {
            std::memcpy(&lookup->address, found->ai_addr, found->ai_addrlen);
            lookup->size = static_cast<socklen_t>(found->ai_addrlen);
        }
        if (found != nullptr)
            freeaddrinfo(found);
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
    if (lookup->size == 0) {
        error = "no such host: " + host;
        return false;
    }
    address = lookup->address;
    size = lookup->size;
    return true;
}

int Remaining(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

}  // namespace

TcpStream::~TcpStream() {
    Close();
}

bool TcpStream::Connect(const std::string& host, int port, int boundMs, std::string& error,
                        Failure& failure) {
    Close();
    failure = Failure::None;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    const std::string seconds = std::to_string(std::max(boundMs / 1000, 1)) + " s";
    auto fail = [&](Failure kind, std::string why, Socket s) {
        if (s != static_cast<Socket>(kNone))
            CloseSocket(s);
        failure = kind;
        error = std::move(why);
        return false;
    };
    if (!StartSockets())
        return fail(Failure::Unreachable, "the system's sockets could not be started",
                    static_cast<Socket>(kNone));
    sockaddr_storage address{};
    socklen_t size = 0;
    if (!Resolve(host, port, boundMs, address, size, error))
        return fail(Failure::Unreachable, error, static_cast<Socket>(kNone));
    const Socket s = socket(address.ss_family, SOCK_STREAM, IPPROTO_TCP);
    if (s == static_cast<Socket>(kNone))
        return fail(Failure::Unreachable, ErrorText(LastError()), s);
#ifndef _WIN32
    ::fcntl(s, F_SETFD, FD_CLOEXEC);
#endif
    if (!SetNonBlocking(s))
        return fail(Failure::Unreachable, ErrorText(LastError()), s);
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
        const int code = LastError();
        if (code == kRefused)
            return fail(Failure::Refused, "the server refused the connection", s);
        if (code != kInProgress && code != kWouldBlock)
            return fail(Failure::Unreachable, ErrorText(code), s);
        const Ready ready = WaitFor(s, true, std::max(Remaining(deadline), 1));
        if (ready == Ready::No)
            return fail(Failure::TimedOut,
                        "no connection within " + seconds + " (the server does not answer)", s);
        int result = 0;
        socklen_t length = sizeof result;
        if (ready == Ready::Failed ||
            getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&result), &length) != 0)
            result = LastError();
        if (result == kRefused)
            return fail(Failure::Refused, "the server refused the connection", s);
        if (result != 0)
            return fail(Failure::Unreachable, ErrorText(result), s);
    }
    // Single bytes go out at once, as on a serial line: without this a frame's bytes wait for
    // the server's delayed acknowledgement.
    SetOption(s, IPPROTO_TCP, TCP_NODELAY);
    SetOption(s, SOL_SOCKET, SO_KEEPALIVE);
    socket_ = static_cast<std::intptr_t>(s);
    return true;
}

TcpStream::Status TcpStream::Receive(std::vector<std::uint8_t>& out, int milliseconds,
                                     std::string& error) {
    if (!IsConnected())
        return Status::Closed;
    const auto s = static_cast<Socket>(socket_);
    if (milliseconds > 0 && WaitFor(s, false, milliseconds) != Ready::Yes)
        return Status::Ok;
    std::uint8_t buffer[4096];
    for (;;) {
        const auto got = recv(s, reinterpret_cast<char*>(buffer), sizeof buffer, 0);
        if (got == 0)
            return Status::Closed;
        if (got < 0) {
            const int code = LastError();
            if (code == kWouldBlock || code == kInterrupted)
                return Status::Ok;
            if (PeerGone(code))
                return Status::Closed;
            error = ErrorText(code);
            return Status::Broken;
        }
        out.insert(out.end(), buffer, buffer + got);
        if (static_cast<std::size_t>(got) < sizeof buffer)
            return Status::Ok;
    }
}

TcpStream::Status TcpStream::Send(const std::uint8_t* data, std::size_t size, int milliseconds,
                                  std::string& error) {
    if (!IsConnected())
        return Status::Closed;
    queued_.insert(queued_.end(), data, data + size);
    return Flush(milliseconds, error);
}

TcpStream::Status TcpStream::Flush(int milliseconds, std::string& error) {
    const auto s = static_cast<Socket>(socket_);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
    std::size_t done = 0;
    Status status = Status::Ok;
    while (done < queued_.size()) {
        const auto sent = send(s, reinterpret_cast<const char*>(queued_.data() + done),
                               static_cast<int>(queued_.size() - done), kSendFlags);
        if (sent > 0) {
            done += static_cast<std::size_t>(sent);
            continue;
        }
        const int code = LastError();
        if (code == kInterrupted)
            continue;
        if (code != kWouldBlock) {
            if (PeerGone(code)) {
                status = Status::Closed;
            } else {
                error = ErrorText(code);
                status = Status::Broken;
            }
            break;
        }
        // A peer that stops reading holds the bytes up no longer than a stalled serial driver.
        const int left = Remaining(deadline);
        if (left == 0 || WaitFor(s, true, left) == Ready::Failed)
            break;
    }
    queued_.erase(queued_.begin(), queued_.begin() + static_cast<std::ptrdiff_t>(done));
    return status;
}

void TcpStream::Close() {
    if (!IsConnected())
        return;
    std::string ignored;
    if (!queued_.empty())
        Flush(200, ignored);
    // Unread bytes left behind would make the close a reset, which can cost the server what
    // it has not read yet.
    std::vector<std::uint8_t> unread;
    Receive(unread, 0, ignored);
    CloseSocket(static_cast<Socket>(socket_));
    socket_ = kNone;
    queued_.clear();
}

}  // namespace orvel
