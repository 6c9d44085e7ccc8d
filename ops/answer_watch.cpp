#include "answer_watch.h"

#ifdef _WIN32
#include <winsock2.h>  // before windows.h, which it must precede

#include <windows.h>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <algorithm>

namespace orvel {

namespace {

using SocketOfConnection = int (*)(const void*);

// PQsocket of the libpq that the PostgreSQL driver loaded: the programs do not link libpq
// themselves, so a bench without the driver still starts.
SocketOfConnection DriversSocketOf() {
#ifdef _WIN32
    const HMODULE libpq = ::GetModuleHandleW(L"libpq.dll");
    if (libpq == nullptr)
        return nullptr;
    // Through void(*)(): the one function type a cast may pass without a warning.
    return reinterpret_cast<SocketOfConnection>(
        reinterpret_cast<void (*)()>(::GetProcAddress(libpq, "PQsocket")));
#else
    void* libpq = ::dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
    if (libpq == nullptr)
        return nullptr;
    const auto socketOf = reinterpret_cast<SocketOfConnection>(::dlsym(libpq, "PQsocket"));
    ::dlclose(libpq);  // the driver holds it loaded for as long as it has a connection
    return socketOf;
#endif
}

// A descriptor of the socket of `db`'s connection that is the watch's own, or -1.
std::intptr_t OwnSocketOf(const QSqlDatabase& db) {
    const QSqlDriver* driver = db.driver();
    if (driver == nullptr || !db.isOpen())
        return -1;
    const QVariant handle = driver->handle();
    // Qt names the type as its build of the driver saw it: the typedef or the struct.
    if (!handle.isValid() || (qstrcmp(handle.typeName(), "PGconn*") != 0 &&
                              qstrcmp(handle.typeName(), "pg_conn*") != 0)) {
        return -1;
    }
    const void* connection = *static_cast<void* const*>(handle.constData());
    const SocketOfConnection socketOf = DriversSocketOf();
    const int socket = connection != nullptr && socketOf != nullptr ? socketOf(connection) : -1;
    if (socket < 0)
        return -1;
#ifdef _WIN32
    WSAPROTOCOL_INFOW info{};
    if (::WSADuplicateSocketW(static_cast<SOCKET>(socket), ::GetCurrentProcessId(), &info) != 0)
        return -1;
    const SOCKET own = ::WSASocketW(FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO,
                                    &info, 0, WSA_FLAG_OVERLAPPED);
    return own == INVALID_SOCKET ? -1 : static_cast<std::intptr_t>(own);
#else
    return ::fcntl(socket, F_DUPFD_CLOEXEC, 0);
#endif
}

}  // namespace

AnswerWatch::AnswerWatch(const QSqlDatabase& db, std::chrono::milliseconds silence)
    : socket_(OwnSocketOf(db)), silence_(silence) {
    if (socket_ >= 0)
        thread_ = std::thread([this] { Run(); });
}

AnswerWatch::~AnswerWatch() {
    if (!thread_.joinable())
        return;
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
    thread_.join();
#ifdef _WIN32
    ::closesocket(static_cast<SOCKET>(socket_));
#else
    ::close(static_cast<int>(socket_));
#endif
}

void AnswerWatch::Arm() {
    if (!thread_.joinable())
        return;
    {
        const std::lock_guard lock(mutex_);
        armed_ = true;
        cut_ = false;
        start_ = since_ = Clock::now();
        ++call_;
    }
    wake_.notify_one();
}

std::optional<std::chrono::seconds> AnswerWatch::Disarm() {
    if (!thread_.joinable())
        return std::nullopt;
    const std::lock_guard lock(mutex_);
    armed_ = false;
    ++call_;
    if (!cut_)
        return std::nullopt;
    return std::chrono::duration_cast<std::chrono::seconds>(cutAt_ - start_);
}

void AnswerWatch::Run() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (!armed_) {
            wake_.wait(lock);
            continue;
        }
        const unsigned call = call_;
        const Clock::time_point end = start_ + kServerCallBound;
        if (wake_.wait_until(lock, std::min(since_ + silence_, end),
                             [&] { return quit_ || call_ != call; })) {
            continue;
        }
        if (Clock::now() < end && HeardSince(since_))
            continue;
            // libpq's own wait ends at once, with the connection lost.
#ifdef _WIN32
        ::shutdown(static_cast<SOCKET>(socket_), SD_BOTH);
#else
        ::shutdown(static_cast<int>(socket_), SHUT_RDWR);
#endif
        cut_ = true;
        cutAt_ = Clock::now();
        armed_ = false;
    }
}

bool AnswerWatch::HeardSince(Clock::time_point& since) const {
#ifdef __linux__
    // A long answer (many records over a slow line) is still coming: the bound is on the
    // server's silence. The system counts in ticks of a few milliseconds, hence the margin.
    tcp_info info{};
    socklen_t size = sizeof info;
    if (::getsockopt(static_cast<int>(socket_), IPPROTO_TCP, TCP_INFO, &info, &size) != 0)
        return false;
    const Clock::time_point heard =
        Clock::now() - std::chrono::milliseconds(info.tcpi_last_data_recv);
    if (heard <= since + std::chrono::milliseconds(100))
        return false;
    since = heard;
    return true;
#else
    // Elsewhere (and over a local socket) the silence bound is on the whole call.
    Q_UNUSED(since);
    return false;
#endif
}

AnswerWatch::Call::Call(AnswerWatch* watch, std::string& error) : watch_(watch), error_(error) {
    if (watch_ != nullptr)
        watch_->Arm();
}

AnswerWatch::Call::~Call() {
    if (watch_ == nullptr)
        return;
    if (const auto after = watch_->Disarm()) {
        error_ = "the server stopped answering (the call was cut after " +
                 std::to_string(after->count()) + " s)";
    }
}

}  // namespace orvel
