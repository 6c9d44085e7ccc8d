// A bound on how long the records' server may keep a call waiting. libpq waits for an answer
// without end, and neither TCP keep-alives nor tcp_user_timeout notice a server whose process
// has stopped (its system still acknowledges every packet), nor can the server's own
// statement_timeout fire there. When the server has sent nothing for the bound in the middle of
// a call, the watch shuts the connection's socket down: the call fails at once, and the record
// goes to the outbox.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class QSqlDatabase;

namespace orvel {

// A second longer than the statement_timeout the server is given: a statement that is merely
// slow (waiting for another bench's lock) ends with the server's own words first, and the watch
// only cuts a server that can no longer say anything.
inline constexpr int kServerStatementMs = 4000;
inline constexpr std::chrono::milliseconds kServerSilenceBound{kServerStatementMs + 1000};
// However slowly a long answer trickles in, a call ends within this.
inline constexpr std::chrono::seconds kServerCallBound{60};

class AnswerWatch {
public:
    // Watches the socket of `db`'s open PostgreSQL connection; nothing when it has none (no
    // connection, or no libpq loaded by the driver).
    explicit AnswerWatch(const QSqlDatabase& db,
                         std::chrono::milliseconds silence = kServerSilenceBound);
    ~AnswerWatch();
    AnswerWatch(const AnswerWatch&) = delete;
    AnswerWatch& operator=(const AnswerWatch&) = delete;

    // For as long as it lives, the connection's call is watched; when the watch cut it, `error`
    // says that the server stopped answering. Calls do not nest.
    class Call {
    public:
        Call(AnswerWatch* watch, std::string& error);
        ~Call();
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;

    private:
        AnswerWatch* watch_;
        std::string& error_;
    };

private:
    using Clock = std::chrono::steady_clock;

    void Arm();
    // How long this call had lasted when the watch cut it; nothing when it did not.
    std::optional<std::chrono::seconds> Disarm();
    void Run();
    // Whether the server sent something after `since` (where the system can say).
    bool HeardSince(Clock::time_point& since) const;

    // The watch's own descriptor of the connection's socket: libpq may close its own in the
    // middle of a call (a dropped connection), and its number may then name another file.
    std::intptr_t socket_ = -1;
    std::chrono::milliseconds silence_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool armed_ = false;
    bool cut_ = false;
    bool quit_ = false;
    unsigned call_ = 0;
    Clock::time_point start_;
    Clock::time_point since_;
    Clock::time_point cutAt_;
    std::thread thread_;
};

}  // namespace orvel
