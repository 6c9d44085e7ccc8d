// A device inside the process opened by name through the port: the exchanges, the trace and
// the open state must be those of the same radio on a terminal.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "byte_trace.h"
#include "exchanges.h"
#include "in_process_radio.h"
#include "link_fixture.h"

namespace orvel::testing {
namespace {

const sim::RadioBehaviour kSurplus{.identity = "ABCDEFGH", .extraImageBytes = 2};

// A read whose two surplus bytes are thrown away before the port closes: the trace's lines,
// without their times.
std::vector<std::string> TracedRead(Port& port, const std::string& device) {
    const std::string path = ScratchPath("attached-trace");
    {
        ByteTrace trace;
        std::string error;
        EXPECT_TRUE(trace.Open(path, error)) << error;
        port.SetTrace(&trace);
        EXPECT_EQ(port.OpenDevice(device), 1) << port.LastOpenError();
        ExchangeHooks hooks;
        hooks.pause = SleepPause;
        EXPECT_EQ(ReadRadio(port, hooks).status, ReadStatus::Ok);
        SleepPause(50);
        port.DiscardInput();
        port.Close();
        port.SetTrace(nullptr);
    }
    const std::vector<std::string> lines = TraceLines(path);
    std::remove(path.c_str());
    return lines;
}

TEST(AttachedDevice, TracesAndOpensAsTheRadioOnATerminal) {
    const auto terminal = StartedRadio(kSurplus);
    Port onTerminal;
    const std::vector<std::string> expected = TracedRead(onTerminal, terminal->DevicePath());
    ASSERT_EQ(expected.size(), 5u);

    sim::InProcessRadio inProcess(sim::RadioEngine::DefaultImage(), kSurplus);
    Port port;
    port.AttachDevice("virtual radio", &inProcess);
    EXPECT_EQ(TracedRead(port, "virtual radio"), expected);
    EXPECT_EQ(port.IsOpen(), 0);
    std::uint8_t byte = 0;
    EXPECT_EQ(port.WriteByte(0xCC), -1);
    EXPECT_EQ(port.ReadByte(byte), -1);
    // Any other name is a system port.
    EXPECT_EQ(port.OpenDevice("/dev/orvel-no-such-port"), 0);
    EXPECT_EQ(port.LastOpenFailure(), OpenFailure::NotFound);
    EXPECT_EQ(port.OpenDevice("virtual radio"), 1);
    EXPECT_EQ(port.OpenDevice("virtual radio"), -1);  // already held
}

}  // namespace
}  // namespace orvel::testing
