#pragma once

#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "exchanges.h"
#include "port.h"
#include "virtual_radio.h"

// A case about something only POSIX has (pseudo-terminals, signals, symlinks, resource limits)
// is skipped on Windows with its reason, which the test run's summary lists.
#ifdef _WIN32
#define ORVEL_POSIX_ONLY(reason) GTEST_SKIP() << "POSIX only: " << (reason)
#else
#define ORVEL_POSIX_ONLY(reason) static_cast<void>(reason)
#endif

namespace orvel::testing {

inline std::unique_ptr<sim::VirtualRadio> StartedRadio(
    sim::RadioBehaviour behaviour = {},
    const MemoryImage& image = sim::VirtualRadio::DefaultImage()) {
    auto radio = std::make_unique<sim::VirtualRadio>(image, behaviour);
    std::string error;
    EXPECT_TRUE(radio->Start(&error)) << error;
    return radio;
}

// A path in the temporary folder for this process and `name`, with nothing there yet.
inline std::string ScratchPath(const std::string& name) {
    const std::string path =
#ifdef _WIN32
        ::testing::TempDir() + "orvel-" + name + "-" + std::to_string(::_getpid());
#else
        ::testing::TempDir() + "orvel-" + name + "-" + std::to_string(::getpid());
#endif
    std::remove(path.c_str());
    return path;
}

// A trace's lines without their times ("yyyy-MM-dd hh:mm:ss.zzz ").
inline std::vector<std::string> TraceLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.substr(24));
    return lines;
}

inline double ProcessCpuSeconds() {
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
#else
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
#endif
}

#ifndef _WIN32
// Times this thread went to sleep and was woken again (Windows does not count them).
inline long WakeUps() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}
#endif

// A virtual radio on a fresh pty and a port opened on it, with hooks that record the log.
class LinkTest : public ::testing::Test {
protected:
    void StartRadio(sim::RadioBehaviour behaviour = {},
                    MemoryImage image = sim::VirtualRadio::DefaultImage()) {
        radio = StartedRadio(behaviour, image);
        ASSERT_EQ(port.OpenDevice(radio->DevicePath()), 1) << port.LastOpenError();
        // Cleared before the first frame, as every exchange does: under wine that is also what
        // sets the COM port's reader going; an answer to a frame sent before it never arrives.
        port.DiscardInput();
    }

    void TearDown() override {
        port.Close();
        if (radio)
            radio->Stop();
    }

    ExchangeHooks Hooks() {
        ExchangeHooks hooks;
        hooks.line = [this](const Message& message) { log.push_back(FormatLine(message)); };
        hooks.linkCheckLine = [this](const Message& message) {
            linkLog.push_back(FormatLine(message));
        };
        hooks.progress = [this](int percent) { progress.push_back(percent); };
        // Short real pauses let the radio answer while keeping the suite quick.
        hooks.pause = [this](int ms) {
            pauses.push_back(ms);
            SleepPause(fastPause ? 1 : ms);
        };
        return hooks;
    }

    std::vector<RadioFrame> Sent() const { return radio->Frames(); }

    std::unique_ptr<sim::VirtualRadio> radio;
    Port port;
    std::vector<std::string> log;
    std::vector<std::string> linkLog;
    std::vector<int> progress;
    std::vector<int> pauses;
    bool fastPause = true;
};

}  // namespace orvel::testing
