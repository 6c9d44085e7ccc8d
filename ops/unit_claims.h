// A run's claims on the units it reads, so that runs on several benches at once (or two on one
// bench) split a fleet between them and no unit is read or written twice: each unit is claimed
// in the store just before its read, a few at a time, and a unit another run holds is left to
// it. A bench that dies holds its units no longer than a claim lasts.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "record_keeper.h"

namespace orvel {

// A claim lasts this long unless renewed; the run renews its own while it goes on, often
// enough that one renewal may fail or come late.
inline constexpr int kClaimExpirySeconds = 120;
inline constexpr int kClaimRenewSeconds = 40;
// Units claimed in one transaction at least: the one asked for and the next ones in order.
inline constexpr std::size_t kClaimGroup = 8;

class UnitClaims {
public:
    // `order`: the units as the run will take them. The claims go to the store `place` names,
    // over a connection of their own in a thread of their own (a store belongs to the thread
    // that opened it). Without `order` nothing is opened. When the store cannot be reached, or
    // refuses a claim, the run goes on without claims and `say` hears one line saying so, in
    // the caller's thread (from the constructor or the destructor).
    UnitClaims(const RecordPlace& place, std::vector<std::string> order,
               std::function<void(const std::string&)> say);
    // The units claimed and not taken are freed; the others stay the run's, ended, until their
    // claims expire.
    ~UnitClaims();
    UnitClaims(const UnitClaims&) = delete;
    UnitClaims& operator=(const UnitClaims&) = delete;

    // Whether this run reads `unit`: false when another run holds it. From any thread; it
    // waits for the store when the unit is not claimed yet.
    bool Take(const std::string& unit);

    struct State;

private:
    void Say();

    std::unique_ptr<State> state_;
    std::function<void(const std::string&)> say_;
};

}  // namespace orvel
