// The radio's waits: until a byte is due, or a wait's bound.
#pragma once

#include <chrono>
#include <thread>

namespace orvel::sim {

// Windows' sleep may wake a fraction of a millisecond before the time asked for (its timer
// ticks coarser than the steady clock): a byte would then leave, or a wait end, early.
inline void SleepUntil(std::chrono::steady_clock::time_point until) {
    while (std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_until(until);
}

}  // namespace orvel::sim
