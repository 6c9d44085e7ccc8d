// Finding the radio among several ports at once: one answering, one silent, one held by
// another program, one echoing line and one path that does not exist.
#include "port_probe.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdio>

#include "link_fixture.h"

namespace orvel::testing {
namespace {

TEST(PortProbe, EveryPortGetsItsOwnRowInTheOrderGiven) {
    auto answering = StartedRadio({});
    auto silent = StartedRadio({.silent = true});
    auto held = StartedRadio({});
    auto echoing = StartedRadio({.silent = true, .echo = true});
    Port otherProgram;
    ASSERT_EQ(otherProgram.OpenDevice(held->DevicePath()), 1);

    const std::vector<std::string> devices = {answering->DevicePath(), silent->DevicePath(),
                                              held->DevicePath(), echoing->DevicePath(),
                                              "/dev/orvel-no-such-port"};
    std::vector<int> reported(devices.size(), 0);
    ProbeRun run(devices, [&](std::size_t index, const ProbeResult&) { ++reported[index]; });
    const std::vector<ProbeResult> results = run.Wait();

    ASSERT_EQ(results.size(), devices.size());
    struct Expected {
        ProbeStatus status;
        const char* identity;
    } expected[] = {{ProbeStatus::Radio, "ORVEL-R1"},
                    {ProbeStatus::Silent, ""},
                    {ProbeStatus::Busy, ""},
                    {ProbeStatus::BadFormat, ""},
                    {ProbeStatus::Missing, ""}};
    for (std::size_t i = 0; i < devices.size(); ++i) {
        SCOPED_TRACE(devices[i]);
        EXPECT_EQ(results[i].port, devices[i]);
        EXPECT_EQ(results[i].status, expected[i].status) << results[i].detail;
        EXPECT_EQ(results[i].identity, expected[i].identity);
        EXPECT_EQ(reported[i], 1);
    }
    // Each radio heard exactly one question; the one held by another program heard none.
    EXPECT_EQ(answering->Frames(), std::vector<RadioFrame>{MakeFrame(CmdIdentify)});
    EXPECT_EQ(silent->Frames(), std::vector<RadioFrame>{MakeFrame(CmdIdentify)});
    EXPECT_TRUE(held->Frames().empty());
    // The probe closed what it opened: the ports can be taken again.
    Port after;
    EXPECT_EQ(after.OpenDevice(answering->DevicePath()), 1);
    EXPECT_EQ(otherProgram.IsOpen(), 1);
}

TEST(PortProbe, AnOpenPortIsAskedThroughItselfAndStaysOpen) {
    auto radio = StartedRadio({.identity = "ABCDEFGH"});
    Port port;
    ASSERT_EQ(port.OpenDevice(radio->DevicePath()), 1);
    const ProbeResult result = ProbeOpenPort(port, [](int) { SleepPause(1); });
    EXPECT_EQ(result.status, ProbeStatus::Radio);
    EXPECT_EQ(result.identity, "ABCDEFGH");
    EXPECT_EQ(result.port, radio->DevicePath());
    EXPECT_EQ(port.IsOpen(), 1);
    // Probing it by opening it again would find it busy.
    const ProbeResult again = ProbePort(radio->DevicePath());
    EXPECT_EQ(again.status, ProbeStatus::Busy) << again.detail;
}

TEST(PortProbe, APortThatWentAwayIsMissing) {
    auto radio = StartedRadio({});
    Port port;
    ASSERT_EQ(port.OpenDevice(radio->DevicePath()), 1);
    radio->Stop();
    const ProbeResult result = ProbeOpenPort(port);
    EXPECT_EQ(result.status, ProbeStatus::Missing);
    EXPECT_FALSE(result.detail.empty());
}

TEST(PortProbe, ACancelledSearchStillReportsEveryPort) {
    auto silent = StartedRadio({.silent = true});
    auto other = StartedRadio({.silent = true});
    std::vector<ProbeResult> results;
    {
        ProbeRun run({silent->DevicePath(), other->DevicePath()}, {});
        run.Cancel();
        results = run.Wait();
    }
    ASSERT_EQ(results.size(), 2u);
    for (const ProbeResult& result : results)
        EXPECT_NE(result.status, ProbeStatus::Radio);
}

TEST(PortProbe, ALinkAndItsDeviceAreProbedOnce) {
#ifdef _WIN32
    ORVEL_POSIX_ONLY("symbolic links to a device");
#else
    auto radio = StartedRadio({});
    const std::string link = ScratchPath("probe-link");
    ASSERT_EQ(::symlink(radio->DevicePath().c_str(), link.c_str()), 0);
    EXPECT_EQ(DistinctDevices({link, radio->DevicePath(), "/dev/orvel-x", link, "/dev/orvel-x"}),
              (std::vector<std::string>{link, "/dev/orvel-x"}));
    std::remove(link.c_str());
#endif
}

}  // namespace
}  // namespace orvel::testing
