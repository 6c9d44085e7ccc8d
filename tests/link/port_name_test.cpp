// Port names as users write them: which kind of port each names, the device that is opened,
// what is wrong with a bad one, and when two names are one port.
#include "port_name.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "link_fixture.h"

namespace orvel::testing {
namespace {

TEST(PortName, EachFormNamesItsKindAndDevice) {
    struct Case {
        const char* name;
        PortKind kind;
        const char* device;
    };
    const Case cases[] = {
#ifdef _WIN32
        {"3", PortKind::Serial, "COM3"},
        {"com3", PortKind::Serial, "COM3"},
        {"COM12", PortKind::Serial, "\\\\.\\COM12"},
        {"ttyUSB0", PortKind::Serial, "ttyUSB0"},
#else
        {"3", PortKind::Serial, "/dev/ttyS2"},
        {"com3", PortKind::Serial, "/dev/ttyS2"},
        {"COM12", PortKind::Serial, "/dev/ttyS11"},
        {"ttyUSB0", PortKind::Serial, "/dev/ttyUSB0"},
        {"virtual radio", PortKind::Serial, "/dev/virtual radio"},  // nothing attached by it
#endif
        {"\\\\.\\COM12", PortKind::Serial, "\\\\.\\COM12"},
        {"/dev/ttyUSB0", PortKind::Serial, "/dev/ttyUSB0"},
        {"./radio-link", PortKind::Serial, "./radio-link"},
        {"rfc2217://Host:4001", PortKind::Network, "rfc2217://Host:4001"},
        {"socket://[::1]:4001/", PortKind::Network, "socket://[::1]:4001/"},
        {"ftp://host:21", PortKind::Network, "ftp://host:21"},
    };
    for (const Case& c : cases) {
        const PortName parsed = ParsePortName(c.name);
        EXPECT_EQ(parsed.kind, c.kind) << c.name;
        EXPECT_EQ(parsed.device, c.device) << c.name;
    }
    const PortName server = ParsePortName("RFC2217://radio-7.local:04001");
    EXPECT_EQ(server.problem, "");
    EXPECT_TRUE(server.address.telnet);
    EXPECT_EQ(server.address.host, "radio-7.local");
    EXPECT_EQ(server.address.port, 4001);
    const PortName inProcess = ParsePortName("virtual radio", "virtual radio");
    EXPECT_EQ(inProcess.kind, PortKind::InProcess);
    EXPECT_EQ(inProcess.device, "virtual radio");
}

TEST(PortName, BadNamesSayWhatIsWrong) {
    const std::pair<const char*, const char*> cases[] = {
        {"0", "a port number goes from 1 to 256"},
        {"COM0", "a port number goes from 1 to 256"},
        {"257", "a port number goes from 1 to 256"},
        {"com300", "a port number goes from 1 to 256"},
        {"-1", "a port number goes from 1 to 256"},
        {"99999999999", "a port number goes from 1 to 256"},
        {"ftp://host:21", "unknown scheme \"ftp://\" (rfc2217://HOST:PORT or socket://HOST:PORT)"},
        {"rfc2217://host", "no port: give HOST:PORT"},
        {"socket://host:0", "the port 0 is out of range (1 to 65535)"},
        // Good ones, and device names that only look like numbers.
        {"1", ""},
        {"COM256", ""},
        {"+7", ""},
        {"COM", ""},
        {"COMX", ""},
        {"ttyS0", ""},
        {"/dev/ttyS0", ""},
        {"socket://host:4001", ""},
    };
    for (const auto& [name, problem] : cases)
        EXPECT_EQ(PortNameProblem(name), problem) << name;
    EXPECT_EQ(ParsePortName("rfc2217://host").problem, "no port: give HOST:PORT");
    // A number out of range is no URL problem: opening it finds no such port.
    EXPECT_EQ(ParsePortName("0").problem, "");
}

TEST(PortName, OnePortWrittenTwoWaysIsOnePort) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"1", "COM1", true},
        {"com1", "COM1", true},
#ifndef _WIN32
        {"1", "/dev/ttyS0", true},
        {"ttyUSB0", "/dev/ttyUSB0", true},
#endif
        {"rfc2217://Radio-Host:4001", "socket://radio-host:04001/", true},
        {"socket://[::1]:4001", "rfc2217://[::1]:4001", true},
        {"1", "2", false},
        {"socket://host:4001", "socket://host:4002", false},
        {"socket://host:4001", "socket://other:4001", false},
        {"rfc2217://host:1", "/dev/ttyS0", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SamePort(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST(PortName, ALinkAndTheDeviceItNamesAreOnePort) {
#ifdef _WIN32
    ORVEL_POSIX_ONLY("symbolic links");
#else
    const std::string target = ScratchPath("port-target");
    const std::string link = ScratchPath("port-link");
    std::ofstream(target).put('\n');
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    EXPECT_TRUE(SamePort(link, target));
    EXPECT_FALSE(SamePort(link, ScratchPath("port-other")));
    std::remove(link.c_str());
    std::remove(target.c_str());
#endif
}

TEST(PortName, NamesAsShownAndInFileNames) {
#ifdef _WIN32
    EXPECT_EQ(ShownPortName("\\\\.\\COM12"), "COM12");
#else
    EXPECT_EQ(ShownPortName("\\\\.\\COM12"), "\\\\.\\COM12");
    EXPECT_EQ(PortFileTag("3"), "ttyS2");
#endif
    EXPECT_EQ(ShownPortName("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(PortFileTag("/dev/ttyUSB0"), "ttyUSB0");
    EXPECT_EQ(PortFileTag("rfc2217://10.0.0.5:4001"), "10.0.0.5-4001");
    EXPECT_EQ(PortFileTag("socket://[::1]:04001/"), "__1-4001");
}

}  // namespace
}  // namespace orvel::testing
