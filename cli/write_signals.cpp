#include "write_signals.h"

#include <atomic>
#include <csignal>
#include <iterator>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace orvel::cli {
namespace {

std::atomic<int> firstSignal{0};
std::atomic<bool> stopNow{false};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

constexpr int kSignals[] = {
    SIGINT,
    SIGTERM,
#ifdef SIGHUP
    SIGHUP,
#endif
};
using Handler = void (*)(int);
Handler previous[std::size(kSignals)] = {};

extern "C" void OnSignal(int signal) {
    int none = 0;
    if (firstSignal.compare_exchange_strong(none, signal)) {
#ifndef _WIN32
        constexpr char kNote[] =
            "orvelctl: stopping once the radio in progress is done; Ctrl-C again stops at once\n";
        // Nothing to do about a closed stderr.
        [[maybe_unused]] const auto written = ::write(2, kNote, sizeof kNote - 1);
#endif
    } else if (signal == SIGINT) {
        stopNow.store(true);
    }
#ifdef _WIN32
    // Windows resets the handler before it runs.
    std::signal(signal, OnSignal);
#endif
}

}  // namespace

WriteSignals::WriteSignals() {
    firstSignal.store(0);
    stopNow.store(false);
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        previous[i] = std::signal(kSignals[i], OnSignal);
}

WriteSignals::~WriteSignals() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        std::signal(kSignals[i], previous[i] == SIG_ERR ? SIG_DFL : previous[i]);
}

int WriteSignals::Received() {
    return firstSignal.load();
}

bool WriteSignals::StopNow() {
    return stopNow.load();
}

int WriteSignals::ExitCode(int code) {
    const int signal = firstSignal.load();
    return signal != 0 ? 128 + signal : code;
}

void IgnoreBrokenPipes() {
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

void IgnoreFileSizeLimit() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace orvel::cli
