#include "termination_hold.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <signal.h>

#include <atomic>
#include <iterator>

#endif

namespace orvel {

#ifdef Q_OS_UNIX

namespace {

constexpr int kHeld[] = {SIGTERM, SIGHUP};
struct sigaction previous[std::size(kHeld)];
std::atomic<int> pending{0};

extern "C" void Remember(int signal) {
    pending.store(signal);
}

}  // namespace

TerminationHold::TerminationHold() {
    pending.store(0);
    struct sigaction held {};
    held.sa_handler = Remember;
    held.sa_flags = SA_RESTART;
    sigemptyset(&held.sa_mask);
    for (std::size_t i = 0; i < std::size(kHeld); ++i)
        sigaction(kHeld[i], &held, &previous[i]);
}

TerminationHold::~TerminationHold() {
    for (std::size_t i = 0; i < std::size(kHeld); ++i)
        sigaction(kHeld[i], &previous[i], nullptr);
    if (const int signal = pending.exchange(0); signal != 0)
        raise(signal);
}

#else

TerminationHold::TerminationHold() = default;
TerminationHold::~TerminationHold() = default;

#endif

}  // namespace orvel
