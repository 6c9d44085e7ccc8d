#include "unit_claims.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>

namespace orvel {
namespace {

constexpr int kExpiryMs = kClaimExpirySeconds * 1000;

// The bench, the process and a random part: a run of its own even where two benches share a
// name or a process id comes again.
std::string RunId() {
    return QSysInfo::machineHostName().toStdString() + "/" +
           std::to_string(QCoreApplication::applicationPid()) + "/" +
           QString::number(QRandomGenerator::system()->generate64(), 16).toStdString();
}

}  // namespace

struct UnitClaims::State {
    RecordPlace place;
    std::vector<std::string> order;
    std::map<std::string, std::size_t> position;

    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, bool> decided;  // true: this run's
    std::vector<std::string> wanted;      // asked for, not claimed yet
    std::set<std::string> asking;         // in the claim under way
    std::set<std::string> taken;
    bool ready = false;    // the store was tried
    bool without = false;  // no claims: every unit is read
    bool stopping = false;
    std::string problem;  // why there are no claims, not said yet
    std::unique_ptr<QThread> thread;

    // The units wanted, and after the last of them the next ones not claimed yet, up to a group.
    std::vector<std::string> Group() {
        std::vector<std::string> group;
        group.swap(wanted);
        std::size_t from = 0;
        for (const std::string& unit : group) {
            if (const auto at = position.find(unit); at != position.end())
                from = std::max(from, at->second + 1);
        }
        for (std::size_t i = from; i < order.size() && group.size() < kClaimGroup; ++i) {
            if (!decided.contains(order[i]) &&
                std::find(group.begin(), group.end(), order[i]) == group.end())
                group.push_back(order[i]);
        }
        asking.insert(group.begin(), group.end());
        return group;
    }

    void Serve() {
        std::unique_ptr<RecordStore> store;
        ClaimingRun run{RunId(), 0};
        Status opened = OpenRecordsForReading(place).Into(store);
        if (opened) {
            if (const Status clock = store->ClaimClock().Into(run.startedMs); !clock)
                opened = Failure{store->Name() + ": " + clock.error()};
        }
        std::unique_lock lock(mutex);
        ready = true;
        if (!opened) {
            without = true;
            problem = opened.error();
            changed.notify_all();
            return;
        }
        changed.notify_all();
        using Clock = std::chrono::steady_clock;
        auto renewAt = Clock::now() + std::chrono::seconds(kClaimRenewSeconds);
        for (;;) {
            changed.wait_until(lock, renewAt, [&] { return stopping || !wanted.empty(); });
            if (stopping)
                break;
            const std::vector<std::string> group = Group();
            lock.unlock();
            Status done;
            if (Clock::now() >= renewAt) {
                done = store->RenewClaims(run.id, kExpiryMs);
                renewAt = Clock::now() + std::chrono::seconds(kClaimRenewSeconds);
            }
            std::vector<std::string> claimed;
            if (done && !group.empty())
                done = store->Claim(run, group, kExpiryMs).Into(claimed);
            lock.lock();
            asking.clear();
            if (!done) {
                without = true;
                problem = store->Name() + ": " + done.error();
            }
            for (const std::string& unit : group)
                decided[unit] =
                    without || std::find(claimed.begin(), claimed.end(), unit) != claimed.end();
            changed.notify_all();
            if (without)
                break;
        }
        std::vector<std::string> unread;
        for (const auto& [unit, ours] : decided) {
            if (ours && !taken.contains(unit))
                unread.push_back(unit);
        }
        lock.unlock();
        // Claims that cannot be ended expire.
        (void)store->EndClaims(run.id, unread);
    }
};

UnitClaims::UnitClaims(const RecordPlace& place, std::vector<std::string> order,
                       std::function<void(const std::string&)> say)
    : say_(std::move(say)) {
    if (order.empty())
        return;
    state_ = std::make_unique<State>();
    State& s = *state_;
    s.place = place;
    s.order = std::move(order);
    for (std::size_t i = 0; i < s.order.size(); ++i)
        s.position.emplace(s.order[i], i);
    s.thread.reset(QThread::create([&s] { s.Serve(); }));
    s.thread->start();
    std::unique_lock lock(s.mutex);
    s.changed.wait(lock, [&] { return s.ready; });
    Say();
}

UnitClaims::~UnitClaims() {
    if (!state_)
        return;
    {
        const std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        state_->changed.notify_all();
    }
    state_->thread->wait();
    Say();
}

void UnitClaims::Say() {
    if (state_->problem.empty())
        return;
    say_("no unit is claimed (" + state_->problem +
         "): another bench's run may read the same units");
    state_->problem.clear();
}

bool UnitClaims::Take(const std::string& unit) {
    if (!state_)
        return true;
    State& s = *state_;
    std::unique_lock lock(s.mutex);
    for (;;) {
        if (const auto it = s.decided.find(unit); it != s.decided.end() || s.without) {
            if (it != s.decided.end() && !it->second)
                return false;
            s.taken.insert(unit);
            return true;
        }
        if (!s.asking.contains(unit) &&
            std::find(s.wanted.begin(), s.wanted.end(), unit) == s.wanted.end()) {
            s.wanted.push_back(unit);
            s.changed.notify_all();
        }
        s.changed.wait(lock);
    }
}

}  // namespace orvel
