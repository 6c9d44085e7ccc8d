#include "serial_port.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <thread>

#include "byte_trace.h"

#include "link_fixture.h"
#include "poll_receive.h"
#include "port_probe.h"

namespace orvel::testing {
namespace {

using SerialPortTest = LinkTest;

TEST_F(SerialPortTest, OpenResultsFollowTheHeldState) {
    StartRadio();
    EXPECT_EQ(port.IsOpen(), 1);
    EXPECT_EQ(port.OpenDevice(radio->DevicePath()), -1);  // already held: untouched
    EXPECT_EQ(port.IsOpen(), 1);
    EXPECT_EQ(port.Close(), 1);
    EXPECT_EQ(port.IsOpen(), 0);
    EXPECT_EQ(port.Close(), 1);                          // closing twice is harmless
    EXPECT_EQ(port.OpenDevice(radio->DevicePath()), 1);  // and the port can be taken again
}

TEST_F(SerialPortTest, MissingPortFailsCleanlyAndALaterOpenSucceeds) {
    EXPECT_EQ(port.OpenDevice("/dev/orvel-no-such-port"), 0);
    EXPECT_EQ(port.IsOpen(), 0);
    EXPECT_EQ(port.LastOpenFailure(), OpenFailure::NotFound);
    EXPECT_NE(port.LastOpenError().find("/dev/orvel-no-such-port"), std::string::npos);
    StartRadio();
}

TEST_F(SerialPortTest, ASecondOpenOfTheSameDeviceIsRefusedAsBusy) {
    StartRadio();
    SerialPort second;
    EXPECT_EQ(second.OpenDevice(radio->DevicePath()), 0);
    EXPECT_EQ(second.LastOpenFailure(), OpenFailure::Busy) << second.LastOpenError();
}

TEST_F(SerialPortTest, ALinkAndTheDeviceItNamesShareOneLock) {
#ifdef _WIN32
    ORVEL_POSIX_ONLY("symbolic links to a device");
#else
    StartRadio();
    const std::string link = ScratchPath("link");
    ASSERT_EQ(::symlink(radio->DevicePath().c_str(), link.c_str()), 0);
    SerialPort second;
    EXPECT_EQ(second.OpenDevice(link), 0);
    EXPECT_EQ(second.LastOpenFailure(), OpenFailure::Busy);
    std::remove(link.c_str());
#endif
}

// A device whose open hangs (a wireless link's virtual port) costs the bound, not the program.
TEST_F(SerialPortTest, AnOpenThatHangsIsGivenUpAtItsBoundAndTheNextOpenWorks) {
    auto release = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    port.SetOpenBound(300);
    port.SetOpener([released](QSerialPort& serial) {
        released.wait();
        return serial.open(QIODevice::ReadWrite);
    });
    radio = StartedRadio({}, sim::VirtualRadio::DefaultImage());
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(port.OpenDevice(radio->DevicePath()), 0);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(250));
    EXPECT_LT(waited, std::chrono::milliseconds(2000));
    EXPECT_EQ(port.IsOpen(), 0);
    EXPECT_EQ(port.LastOpenFailure(), OpenFailure::TimedOut);
    EXPECT_NE(port.LastOpenError().find(radio->DevicePath()), std::string::npos);

    // The abandoned attempt lets go of the device when its open finally returns.
    release->set_value();
    SleepPause(200);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    port.SetOpener([](QSerialPort& serial) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return serial.open(QIODevice::ReadWrite);
    });
    ASSERT_EQ(port.OpenDevice(radio->DevicePath()), 1) << port.LastOpenError();
    // Opened on another thread, the port serves this one.
    EXPECT_EQ(ReadRadio(port, Hooks()).status, ReadStatus::Ok);
}

TEST(PortNames, NumbersSortByValue) {
    std::vector<std::string> names = {"COM10",  "ttyUSB1", "COM2",   "COM1",
                                      "ttyS10", "ttyS2",   "ttyUSB0"};
    std::sort(names.begin(), names.end(), PortNameLess);
    EXPECT_EQ(names, (std::vector<std::string>{"COM1", "COM2", "COM10", "ttyS2", "ttyS10",
                                               "ttyUSB0", "ttyUSB1"}));
}

TEST_F(SerialPortTest, TheTraceHoldsFramesAnswersAndDiscardedBytes) {
    const std::string path = ScratchPath("trace");
    {
        ByteTrace trace;
        std::string error;
        ASSERT_TRUE(trace.Open(path, error)) << error;
        StartRadio(sim::RadioBehaviour{.identity = "ABCDEFGH", .extraImageBytes = 2});
        port.SetTrace(&trace);
        ASSERT_EQ(ReadRadio(port, Hooks()).status, ReadStatus::Ok);
        SleepPause(50);
        port.DiscardInput();
        port.Close();
    }
    const std::vector<std::string> lines = TraceLines(path);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "TX CC 0F 00 00 00 00 00 0F");
    EXPECT_EQ(lines[1], "RX 41 42 43 44 45 46 47 48");
    EXPECT_EQ(lines[2], "TX CC 04 00 00 00 00 00 04");
    EXPECT_EQ(lines[3].size(), 2 + 260 * 3u);
    EXPECT_EQ(lines[4], "RX discarded EE EE");
    std::remove(path.c_str());
}

TEST_F(SerialPortTest, ReadOnAnEmptyQueueReturnsAtOnceWithZero) {
    StartRadio();
    std::uint8_t byte = 0x55;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 512; ++i)
        ASSERT_EQ(port.ReadByte(byte), 0);
    // A read that waited at all would wait a timer tick (15.6 ms on Windows) or more; on a
    // loaded machine under wine a read that does not wait took 1.2 ms.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(byte, 0);
}

TEST_F(SerialPortTest, AfterCloseTheByteOperationsReportNoPort) {
    StartRadio();
    port.Close();
    std::uint8_t byte = 0;
    EXPECT_EQ(port.WriteByte(0xCC), -1);
    EXPECT_EQ(port.ReadByte(byte), -1);
    port.DiscardInput();  // no port: nothing happens, nothing crashes
    port.PurgeOutput();
}

TEST_F(SerialPortTest, AFrameReachesTheRadioAndItsAnswerComesBack) {
    StartRadio();
    SendFrame(port, MakeFrame(CmdIdentify));
    PollResult answer = PollReceive(port, kIdentityPoll, SleepPause);
    ASSERT_TRUE(answer.Complete());
    EXPECT_EQ(std::string(answer.bytes.begin(), answer.bytes.end()), "ORVEL-R1");
    ASSERT_EQ(radio->Frames().size(), 1u);
    EXPECT_EQ(radio->Frames()[0], MakeFrame(CmdIdentify));
}

TEST(RadioFrame, SumIsSixteenBitsHighByteFirst) {
    EXPECT_EQ(MakeFrame(CmdReadImage), (RadioFrame{0xCC, 0x04, 0, 0, 0, 0, 0x00, 0x04}));
    EXPECT_EQ(MakeFrame(CmdIdentify), (RadioFrame{0xCC, 0x0F, 0, 0, 0, 0, 0x00, 0x0F}));
    EXPECT_EQ(MakeFrame(CmdWriteWord, 0xFF, 0xFF, 0xFF),
              (RadioFrame{0xCC, 0x01, 0xFF, 0xFF, 0xFF, 0x00, 0x02, 0xFE}));
}

TEST(RadioFrame, AcknowledgementCountsMissingBytesAsZero) {
    const std::uint8_t full[] = {0x33, 0x06, 0x00};
    const std::uint8_t nak[] = {0x33, 0x15, 0x00};
    const std::uint8_t late[] = {0x33, 0x06, 0x01};
    EXPECT_TRUE(AckAccepted(full, 3));
    EXPECT_TRUE(AckAccepted(full, 2));
    EXPECT_FALSE(AckAccepted(full, 1));
    EXPECT_FALSE(AckAccepted(nak, 3));
    EXPECT_FALSE(AckAccepted(late, 3));
    EXPECT_FALSE(AckAccepted(full, 0));
}

}  // namespace
}  // namespace orvel::testing
