// A device inside the process opened by name through SerialPort: the exchanges, the trace and
// the open state must be those of the same radio on a terminal.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "byte_trace.h"
#include "exchanges.h"
#include "in_process_radio.h"
#include "serial_port.h"
#include "virtual_radio.h"

namespace orvel::testing {
namespace {

const sim::RadioBehaviour kSurplus{.identity = "ABCDEFGH", .extraImageBytes = 2};

// A read whose two surplus bytes are thrown away before the port closes: the trace's lines,
// without their times.
std::vector<std::string> TracedRead(SerialPort& port, const std::string& device) {
    const std::string path =
        ::testing::TempDir() + "orvel-attached-trace-" + std::to_string(::getpid());
    std::remove(path.c_str());
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
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.substr(24));
    std::remove(path.c_str());
    return lines;
}

TEST(AttachedDevice, TracesAndOpensAsTheRadioOnATerminal) {
    sim::VirtualRadio terminal(sim::VirtualRadio::DefaultImage(), kSurplus);
    std::string error;
    ASSERT_TRUE(terminal.Start(&error)) << error;
    SerialPort onTerminal;
    const std::vector<std::string> expected = TracedRead(onTerminal, terminal.DevicePath());
    ASSERT_EQ(expected.size(), 5u);

    sim::InProcessRadio inProcess(sim::RadioEngine::DefaultImage(), kSurplus);
    SerialPort port;
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
