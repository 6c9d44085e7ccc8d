// Ports behind a serial device server: the virtual radio served by the test's own server, with
// Telnet COM-port control and raw, and the faults a server can make.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#ifndef _WIN32
#include <netinet/tcp.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>

#include "byte_trace.h"
#include "codec.h"
#include "device_server.h"
#include "link_fixture.h"
#include "network_address.h"

#ifdef _WIN32
// After windows.h, which the server's header brings.
#include <psapi.h>
#endif

namespace orvel::testing {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Every byte value, 0xFF among them, in the image: the Telnet escape must pass both ways.
MemoryImage EveryByteImage() {
    MemoryImage image = sim::VirtualRadio::DefaultImage();
    for (std::size_t i = 0; i + 1 < kImageSize; ++i)
        image[i] = static_cast<std::uint8_t>(0xFF - i % 7);
    // CR NUL is data in binary mode, not a Telnet line end.
    image[10] = 0x0D;
    image[11] = 0x00;
    return image;
}

// Waits up to 2 s for `done`, then a little longer for anything that follows.
void AwaitServer(const std::function<bool()>& done) {
    for (int waited = 0; waited < 2000 && !done(); waited += 10)
        SleepPause(10);
    SleepPause(50);
}

// The bytes the tool sent after the first `from`.
std::vector<std::uint8_t> WireAfter(const DeviceServer& server, std::size_t from) {
    const std::vector<std::uint8_t> wire = server.WireFromTool();
    return {wire.begin() + static_cast<std::ptrdiff_t>(std::min(from, wire.size())), wire.end()};
}

// What the port hands on: `count` bytes within 2 s, and whatever follows at once.
std::vector<std::uint8_t> Received(Port& port, std::size_t count) {
    std::vector<std::uint8_t> got;
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (got.size() < count ? Clock::now() < deadline : port.WaitForData(50)) {
        port.WaitForData(20);
        for (std::uint8_t byte = 0; port.ReadByte(byte) == 1;)
            got.push_back(byte);
    }
    return got;
}

#ifndef _WIN32
// The descriptor of this process's socket connected to local port `port`; -1 when none is.
int SocketTo(int port) {
    for (int fd = 0; fd < 4096; ++fd) {
        sockaddr_in peer{};
        socklen_t size = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) == 0 &&
            peer.sin_family == AF_INET && ntohs(peer.sin_port) == port)
            return fd;
    }
    return -1;
}

bool OptionOn(int fd, int level, int name) {
    int value = 0;
    socklen_t size = sizeof value;
    return ::getsockopt(fd, level, name, &value, &size) == 0 && value != 0;
}
#endif

std::size_t ResidentBytes() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
#else
    // Read without the heap, which the sanitizer's quarantine would make grow by itself.
    char text[128] = {};
    const int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    static_cast<void>(::read(fd, text, sizeof text - 1));
    ::close(fd);
    unsigned long size = 0;
    unsigned long pages = 0;
    std::sscanf(text, "%lu %lu", &size, &pages);
    return pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
#endif
}

// How much more memory the process held at most while `run` ran than before.
std::size_t MemoryGrowth(const std::function<void()>& run) {
    const std::size_t before = ResidentBytes();
    std::atomic<std::size_t> peak{before};
    std::atomic<bool> done{false};
    std::thread watch([&] {
        for (; !done; SleepPause(2))
            peak = std::max(peak.load(), ResidentBytes());
    });
    run();
    done = true;
    watch.join();
    return peak - before;
}

bool Ipv6Loopback() {
    StartWinsock();
    const auto fd = ::socket(AF_INET6, SOCK_STREAM, 0);
    sockaddr_in6 addr{};
    addr.sin6_family = AF_INET6;
    addr.sin6_addr = in6addr_loopback;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(static_cast<int>(fd));
    return bound;
}

TEST(NetworkPortName, BadUrlsSayWhatIsWrong) {
    const std::pair<const char*, const char*> cases[] = {
        {"rfc2217://127.0.0.1", "no port: give HOST:PORT"},
        {"rfc2217://127.0.0.1:", "no port: give HOST:PORT"},
        {"socket://127.0.0.1:0", "the port 0 is out of range (1 to 65535)"},
        {"socket://127.0.0.1:65536", "the port 65536 is out of range (1 to 65535)"},
        {"socket://127.0.0.1:99999999999", "out of range"},
        {"rfc2217://:4000", "no host: give HOST:PORT"},
        {"telnet://127.0.0.1:4000", "unknown scheme \"telnet://\""},
        {"socket://127.0.0.1:40x", "the port \"40x\" is not a number"},
        {"rfc2217://host:4000?ign_set_control", "options after '?'"},
        {"socket://radio\\7:4001", "\"radio\\7\" is no host name"},
    };
    for (const auto& [url, why] : cases) {
        NetworkAddress address;
        EXPECT_NE(ParseNetworkPort(url, address).find(why), std::string::npos) << url;
        Port port;
        EXPECT_EQ(port.OpenDevice(url), 0) << url;
        EXPECT_EQ(port.LastOpenFailure(), OpenFailure::BadName) << url;
        EXPECT_EQ(port.LastOpenError().rfind(std::string(url) + ": ", 0), 0u)
            << port.LastOpenError();
    }
    NetworkAddress address;
    EXPECT_EQ(ParseNetworkPort("RFC2217://[::1]:4001/", address), "");
    EXPECT_TRUE(address.telnet);
    EXPECT_EQ(address.host, "::1");
    EXPECT_EQ(address.port, 4001);
    EXPECT_EQ(ParseNetworkPort("socket://radio-7.local:65535", address), "");
    EXPECT_FALSE(address.telnet);
    EXPECT_EQ(address.port, 65535);
}

class NetworkPortTest : public LinkTest {
protected:
    void Serve(ServerFaults faults, MemoryImage image = sim::VirtualRadio::DefaultImage()) {
        radio = StartedRadio({}, image);
        server = std::make_unique<DeviceServer>(radio->DevicePath(), faults);
    }
    // The server goes before the radio it serves. A case's own trace is gone by now, also when
    // the case stopped early.
    void TearDown() override {
        port.SetTrace(nullptr);
        port.Close();
        server.reset();
        LinkTest::TearDown();
    }
    std::unique_ptr<DeviceServer> server;
};

TEST_F(NetworkPortTest, Rfc2217AgreesTheLineAndReadsTheImageByteExact) {
    // Telnet commands the tool must strip and refuse (WILL ECHO among them), and stale bytes
    // that the read discards before it asks.
    Serve({.sendNoise = true, .greeting = {0x55, 0xFF, 0x0D}}, EveryByteImage());
    const std::string trace = ScratchPath("net-trace");
    ByteTrace byteTrace;
    std::string error;
    ASSERT_TRUE(byteTrace.Open(trace, error)) << error;
    port.SetTrace(&byteTrace);
    ASSERT_EQ(port.OpenDevice(server->Url()), 1) << port.LastOpenError();
    // 9600 baud, 8 data bits, even parity, one stop bit, as RFC 2217 codes them.
    const std::vector<std::vector<std::uint8_t>> line = {
        {1, 0, 0, 0x25, 0x80}, {2, 8}, {3, 3}, {4, 1}};
    EXPECT_EQ(server->ComPortCommands(), line);
    SleepPause(100);
    const ReadOutcome outcome = ReadRadio(port, Hooks());
    ASSERT_EQ(outcome.status, ReadStatus::Ok);
    EXPECT_EQ(outcome.image, radio->Image());
    port.Close();
    byteTrace.Flush();
    // The trace holds the radio's bytes, not the Telnet escapes: it ends in the image.
    std::vector<std::uint8_t> received;
    std::vector<std::uint8_t> sent;
    for (const std::string& l : TraceLines(trace)) {
        auto& bytes = l.starts_with("RX ") ? received : sent;
        if (!l.starts_with("RX ") && !l.starts_with("TX "))
            continue;
        for (std::size_t at = 3; at + 1 < l.size(); at += 3)
            bytes.push_back(static_cast<std::uint8_t>(std::stoi(l.substr(at, 2), nullptr, 16)));
    }
    std::vector<std::uint8_t> frames;
    for (const RadioFrame& frame : Sent())
        frames.insert(frames.end(), frame.begin(), frame.end());
    EXPECT_EQ(sent, frames);
    ASSERT_GE(received.size(), kImageSize);
    EXPECT_TRUE(std::equal(outcome.image.begin(), outcome.image.end(),
                           received.end() - static_cast<std::ptrdiff_t>(kImageSize)));
    std::remove(trace.c_str());
}

TEST_F(NetworkPortTest, AWriteReachesTheRadioFrameForFrameThroughBothForms) {
    for (const bool telnet : {true, false}) {
        SCOPED_TRACE(telnet ? "rfc2217" : "socket");
        Serve({.telnet = telnet});
        ASSERT_EQ(port.OpenDevice(server->Url()), 1) << port.LastOpenError();
        WriteRequest request;
        const DecodedImage decoded =
            DecodeImage(sim::VirtualRadio::DefaultImage(), DecodeSource::FromRadio);
        request.table = decoded.table;
        request.table[4] = {ChannelLabel(5), "229.750", "231.250", "P2", "4800", "开", "L3"};
        request.settings = decoded.settings;
        const auto start = Clock::now();
        EXPECT_EQ(WriteRadio(port, request, Hooks()).status, WriteStatus::Ok);
        // A frame's bytes go out as they are written, not held for the server's acknowledgement.
        EXPECT_LT(SecondsSince(start), 2.0);
        EXPECT_EQ(Sent(), WriteFrames(request));
        const ReadOutcome back = ReadRadio(port, Hooks());
        ASSERT_EQ(back.status, ReadStatus::Ok);
        EXPECT_EQ(DecodeImage(back.image, DecodeSource::FromRadio).table, request.table);
        // 0xFF from the tool arrives as one byte, escaped on the way only where Telnet is spoken.
        // Every frame before it has reached the server: the radio behind it answered them.
        const std::size_t framed = server->DataFromTool().size();
        ASSERT_EQ(port.WriteByte(0xFF), 1);
        ASSERT_EQ(port.WriteByte(0x01), 1);
        port.Close();
        std::vector<std::uint8_t> data;
        for (int waited = 0; waited < 5000 && data.size() < framed + 2; waited += 10) {
            SleepPause(10);
            data = server->DataFromTool();
        }
        ASSERT_GE(data.size(), 2u);
        EXPECT_EQ(std::vector<std::uint8_t>(data.end() - 2, data.end()),
                  (std::vector<std::uint8_t>{0xFF, 0x01}));
        server.reset();
        radio->Stop();
    }
}

TEST_F(NetworkPortTest, AnotherBaudRateGoesOutInNetworkOrder) {
    Serve({});
    ASSERT_EQ(port.OpenDevice(server->Url(), 115200), 1) << port.LastOpenError();
    ASSERT_FALSE(server->ComPortCommands().empty());
    EXPECT_EQ(server->ComPortCommands().front(),
              (std::vector<std::uint8_t>{1, 0, 0x01, 0xC2, 0x00}));
}

TEST_F(NetworkPortTest, ARefusedSettingEndsTheOpenNamingIt) {
    Serve({.parityAnswer = 1});
    EXPECT_EQ(port.OpenDevice(server->Url()), 0);
    EXPECT_EQ(port.IsOpen(), 0);
    EXPECT_EQ(port.LastOpenError(),
              server->Url() +
                  ": the server refuses parity even: it answers none (the radio needs 9600 "
                  "baud, 8 data bits, even parity, 1 stop bit)");
    // Each of the four settings is checked, the last as much as the first.
    const std::pair<ServerFaults, const char*> settings[] = {
        {{.wrongSetting = 1, .wrongAnswer = {0, 0, 0x4B, 0}}, "baud rate 9600: it answers 19200"},
        {{.wrongSetting = 2, .wrongAnswer = {7}}, "data bits 8: it answers 7"},
        {{.wrongSetting = 3, .wrongAnswer = {5}}, "parity even: it answers space"},
        {{.wrongSetting = 4, .wrongAnswer = {2}}, "stop bits 1: it answers 2"},
    };
    for (const auto& [faults, refused] : settings) {
        DeviceServer wrong("", faults);
        EXPECT_EQ(port.OpenDevice(wrong.Url()), 0) << refused;
        EXPECT_EQ(port.IsOpen(), 0);
        EXPECT_NE(port.LastOpenError().find(std::string(": the server refuses ") + refused + " ("),
                  std::string::npos)
            << port.LastOpenError();
    }
    server =
        std::make_unique<DeviceServer>(radio->DevicePath(), ServerFaults{.refuseComPort = true});
    EXPECT_EQ(port.OpenDevice(server->Url()), 0);
    EXPECT_NE(port.LastOpenError().find("does not offer COM-port control"), std::string::npos)
        << port.LastOpenError();
}

TEST_F(NetworkPortTest, ASilentOrRefusingServerEndsWithinTheBound) {
    DeviceServer silent("", {.silent = true});
    auto start = Clock::now();
    const double openCpu = ProcessCpuSeconds();
    EXPECT_EQ(port.OpenDevice(silent.Url()), 0);
    EXPECT_LT(SecondsSince(start), 4.0);
    EXPECT_GE(SecondsSince(start), 2.5);
    // The wait for the server's answers sleeps on the socket.
    EXPECT_LT(ProcessCpuSeconds() - openCpu, 0.2 * SecondsSince(start));
    EXPECT_EQ(port.LastOpenFailure(), OpenFailure::Unreachable);
    EXPECT_EQ(port.LastOpenError(),
              silent.Url() + ": the server did not take up COM-port control (RFC 2217) within 3 s");

    const std::string refusing = "socket://127.0.0.1:" + std::to_string(RefusingPort());
    start = Clock::now();
    EXPECT_EQ(port.OpenDevice(refusing), 0);
    EXPECT_LT(SecondsSince(start), 1.0);
    EXPECT_EQ(port.LastOpenFailure(), OpenFailure::Unreachable);
    EXPECT_EQ(port.LastOpenError(), refusing + ": the server refused the connection");

    // An IPv6 literal is dialled as IPv6, where the machine has IPv6 on its loopback.
    if (Ipv6Loopback()) {
        const std::string refusing6 = "socket://[::1]:" + std::to_string(RefusingPort());
        EXPECT_EQ(port.OpenDevice(refusing6), 0);
        EXPECT_EQ(port.LastOpenError(), refusing6 + ": the server refused the connection");
    }

    // Raw, a silent server is a silent radio: the exchange's own bound ends it.
    DeviceServer rawSilent("", {.telnet = false, .silent = true});
    ASSERT_EQ(port.OpenDevice(rawSilent.Url()), 1);
    start = Clock::now();
    const double cpu = ProcessCpuSeconds();
    EXPECT_EQ(ReadRadio(port, Hooks()).status, ReadStatus::NoAnswer);
    EXPECT_LT(SecondsSince(start), 5.0);
    // The wait sleeps on the socket rather than spinning.
    EXPECT_LT(ProcessCpuSeconds() - cpu, 0.25 * SecondsSince(start));
}

// 0xFF, CR and NUL are frame bytes like any other. Raw TCP carries them as they are; Telnet
// doubles 0xFF and, with a server that keeps to plain Telnet (no binary mode), sends CR as
// CR NUL. The radio gets the frame whole every way.
TEST_F(NetworkPortTest, AFrameHoldingTelnetBytesReachesTheRadioWhole) {
    const std::vector<std::uint8_t> frame = {0x52, 0xFF, 0x0D, 0x00, 0x0A, 0x00, 0xFF, 0x0D};
    const struct {
        const char* form;
        ServerFaults faults;
        std::vector<std::uint8_t> wire;
    } forms[] = {
        {"socket", {.telnet = false}, frame},
        {"rfc2217", {}, {0x52, 0xFF, 0xFF, 0x0D, 0x00, 0x0A, 0x00, 0xFF, 0xFF, 0x0D}},
        {"rfc2217, plain Telnet",
         {.refuseBinary = true},
         {0x52, 0xFF, 0xFF, 0x0D, 0x00, 0x00, 0x0A, 0x00, 0xFF, 0xFF, 0x0D, 0x00}},
    };
    for (const auto& [form, faults, wire] : forms) {
        SCOPED_TRACE(form);
        DeviceServer server("", faults);
        ASSERT_EQ(port.OpenDevice(server.Url()), 1) << port.LastOpenError();
        const std::size_t negotiated = server.WireFromTool().size();
        for (const std::uint8_t byte : frame)
            ASSERT_EQ(port.WriteByte(byte), 1);
        AwaitServer([&] { return server.DataFromTool().size() >= frame.size(); });
        EXPECT_EQ(WireAfter(server, negotiated), wire);
        EXPECT_EQ(server.DataFromTool(), frame);
        port.Close();
    }
}

// What the server sends reaches the exchanges with Telnet taken out: a doubled 0xFF is one,
// commands and subnegotiations vanish (an offered option is declined), and from a plain Telnet
// server CR NUL is CR, while a NUL after anything else stays.
TEST_F(NetworkPortTest, OnlyTheRadiosBytesComeThroughTelnet) {
    const struct {
        const char* what;
        bool plain;
        std::vector<std::uint8_t> wire;
        std::vector<std::uint8_t> data;
        std::vector<std::uint8_t> answer;
    } cases[] = {
        {"a doubled 0xFF", false, {0x41, 0xFF, 0xFF, 0x42}, {0x41, 0xFF, 0x42}, {}},
        {"NOP and go-ahead", false, {0xFF, 0xF1, 0x43, 0xFF, 0xF9, 0x44}, {0x43, 0x44}, {}},
        {"an offered echo", false, {0xFF, 0xFB, 0x01, 0x45}, {0x45}, {0xFF, 0xFE, 0x01}},
        {"a line-state report holding 0xFF",
         false,
         {0xFF, 0xFA, 0x2C, 0x6A, 0xFF, 0xFF, 0x46, 0xFF, 0xF0, 0x47},
         {0x47},
         {}},
        {"CR NUL in binary mode", false, {0x0D, 0x00, 0x0A, 0x00}, {0x0D, 0x00, 0x0A, 0x00}, {}},
        {"CR NUL from plain Telnet",
         true,
         {0x0D, 0x00, 0x0A, 0x00, 0x0D, 0x0A, 0x00},
         {0x0D, 0x0A, 0x00, 0x0D, 0x0A, 0x00},
         {}},
    };
    for (const auto& [what, plain, wire, data, answer] : cases) {
        SCOPED_TRACE(what);
        DeviceServer server("", {.refuseBinary = plain});
        ASSERT_EQ(port.OpenDevice(server.Url()), 1) << port.LastOpenError();
        const std::size_t negotiated = server.WireFromTool().size();
        ASSERT_TRUE(server.SendToTool(wire));
        EXPECT_EQ(Received(port, data.size()), data);
        AwaitServer([&] { return WireAfter(server, negotiated).size() >= answer.size(); });
        EXPECT_EQ(WireAfter(server, negotiated), answer);
        port.Close();
    }
}

// Frame bytes leave one by one as on a serial line, not held for the server's acknowledgement,
// and a connection that died silently is found: both are options of the port's own socket.
TEST_F(NetworkPortTest, ThePortsSocketSendsAtOnceAndKeepsAlive) {
    ORVEL_POSIX_ONLY("the port's socket is found among the process's descriptors");
#ifndef _WIN32
    for (const bool telnet : {true, false}) {
        SCOPED_TRACE(telnet ? "rfc2217" : "socket");
        DeviceServer server("", {.telnet = telnet});
        ASSERT_EQ(port.OpenDevice(server.Url()), 1) << port.LastOpenError();
        const int fd = SocketTo(server.Port());
        ASSERT_GE(fd, 0);
        EXPECT_TRUE(OptionOn(fd, IPPROTO_TCP, TCP_NODELAY));
        EXPECT_TRUE(OptionOn(fd, SOL_SOCKET, SO_KEEPALIVE));
        port.Close();
    }
#endif
}

// A wait with nothing coming takes its whole bound asleep on the socket, not spinning.
TEST_F(NetworkPortTest, AWaitWithNothingComingSleeps) {
    for (const bool telnet : {true, false}) {
        SCOPED_TRACE(telnet ? "rfc2217" : "socket");
        DeviceServer server("", {.telnet = telnet});
        ASSERT_EQ(port.OpenDevice(server.Url()), 1) << port.LastOpenError();
        const auto start = Clock::now();
        const double cpu = ProcessCpuSeconds();
        EXPECT_FALSE(port.WaitForData(500));
        const double wall = SecondsSince(start);
        EXPECT_GE(wall, 0.45);
        EXPECT_LT(ProcessCpuSeconds() - cpu, 0.2 * wall);
        port.Close();
    }
}

// A server that misbehaves on purpose costs seconds, never memory, whether the port opens, idles
// in an event loop as the window's does, or reads as orvelctl does: each ends with one line that
// names what the server did.
TEST_F(NetworkPortTest, AHostileServerEndsWithinTheBoundAndMemoryStaysFlat) {
    const struct {
        const char* server;
        ServerFaults faults;
        bool idle;
        std::string line;
    } cases[] = {
        {"an endless subnegotiation",
         {.raw = {0xFF, 0xFA, 0x2C}, .endless = {0}},
         false,
         "the server sent a subnegotiation longer than 1024 bytes while the line was being set "
         "up"},
        {"a flood at an idle port",
         {.endless = {0}, .endlessFrom = ServerFaults::kAfterSetUp},
         true,
         "the server sent more than 65536 bytes nobody asked for"},
        {"a greeting just past the bound",
         {.greeting = std::vector<std::uint8_t>(65537 + 1024, 'x')},
         true,
         "the server sent more than 65536 bytes nobody asked for while the line was being set up"},
        // The read takes the answer it asked for and ends on it while the flood goes on.
        {"a flood answering the first frame",
         {.endless = {0}, .endlessFrom = ServerFaults::kAfterData},
         false,
         "格式出错\r\n"},
        {"an option storm that reads nothing",
         {.endless = {0xFF, 0xFD, 0x63}},
         false,
         "the server keeps repeating its option negotiation while the line was being set up"},
        {"a trickle",
         {.trickleMs = 100},
         false,
         "the server did not confirm the line settings within 3 s"},
    };
    for (const auto& [server, faults, idle, line] : cases) {
        SCOPED_TRACE(server);
        DeviceServer hostile("", faults);
        const auto start = Clock::now();
        std::string said;
        linkLog.clear();
        const std::size_t growth = MemoryGrowth([&] {
            if (port.OpenDevice(hostile.Url()) != 1) {
                said = port.LastOpenError();
                return;
            }
            if (idle) {
                QEventLoop loop;
                QTimer::singleShot(2000, &loop, &QEventLoop::quit);
                port.SetLostHandler([&](const std::string&, const std::string&) { loop.quit(); });
                loop.exec();
            } else {
                ReadRadio(port, Hooks());
            }
            said = hostile.Url() + ": " +
                   (port.LostReason().empty() && !linkLog.empty() ? linkLog.back()
                                                                  : port.LostReason());
        });
        EXPECT_EQ(said, hostile.Url() + ": " + line);
        EXPECT_LT(SecondsSince(start), 4.0);
        EXPECT_LT(growth, 16u << 20);
        port.SetLostHandler({});
        port.Close();
    }
}

TEST_F(NetworkPortTest, AServerGoingAwayMidFrameEndsTheWriteAtThatFrame) {
    // Seven frames go through; the eighth is cut after its third byte.
    Serve({.closeAfterBytes = 7 * static_cast<long>(kFrameSize) + 3});
    std::vector<std::string> lost;
    port.SetLostHandler([&](const std::string& device, const std::string& reason) {
        lost.push_back(device + ": " + reason);
    });
    ASSERT_EQ(port.OpenDevice(server->Url()), 1) << port.LastOpenError();
    const auto start = Clock::now();
    const WriteOutcome outcome = WriteRadio(port, WriteRequest{}, Hooks());
    EXPECT_LT(SecondsSince(start), 5.0);
    EXPECT_EQ(outcome.status, WriteStatus::Rejected);
    EXPECT_EQ(outcome.failedFrame, 8);
    EXPECT_EQ(port.IsOpen(), 0);
    EXPECT_EQ(port.LostReason(), "the server closed the connection");
    EXPECT_EQ(lost, std::vector<std::string>{server->Url() + ": the server closed the connection"});
    EXPECT_EQ(Sent().size(), 7u);
    std::uint8_t byte = 0;
    EXPECT_EQ(port.WriteByte(0x33), -1);
    EXPECT_EQ(port.ReadByte(byte), -1);
    EXPECT_FALSE(port.CheckConnection());
}

TEST_F(NetworkPortTest, WritesToAServerThatHungUpFailAndTheProcessLives) {
    // Raw, nothing tells of the hang-up but the writes themselves: they end in a lost port, not
    // in a signal.
    DeviceServer cut("", {.telnet = false, .closeAfterBytes = 1});
    ASSERT_EQ(port.OpenDevice(cut.Url()), 1) << port.LastOpenError();
    int result = 1;
    for (int i = 0; i < 200 && result == 1; ++i) {
        result = port.WriteByte(0x55);
        SleepPause(5);
    }
    EXPECT_EQ(result, -1);
    EXPECT_EQ(port.IsOpen(), 0);
    EXPECT_EQ(port.LostReason(), "the server closed the connection");
}

}  // namespace
}  // namespace orvel::testing
