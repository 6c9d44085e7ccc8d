// orvelctl with --port rfc2217://... and socket://...: through ser2net and pyserial's port
// manager, real device servers, and through the test's own server for the faults a real one
// does not make.
#include <gtest/gtest.h>

#include <QProcess>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "../link/device_server.h"
#include "../link/pyserial_server.h"
#include "../link/ser2net_server.h"
#include "channel_file.h"
#include "codec.h"
#include "scratch_home.h"
#include "virtual_radio.h"

namespace orvel {
namespace {

using testing::DeviceServer;
using testing::ServerFaults;

struct CtlRun {
    int code = -1;
    std::string out;
    std::string err;
    double seconds = 0;
};

// Unlike the virtual radio's own image, with 0xFF among the bytes written.
MemoryImage OtherImage() {
    MemoryImage image = sim::VirtualRadio::DefaultImage();
    ChannelTable table = DecodeImage(image, DecodeSource::FromRadio).table;
    table[2] = {ChannelLabel(3), "229.750", "231.250", "P2", "4800", "开", "L3"};
    EncodeImage(table, DecodeImage(image, DecodeSource::FromRadio).settings, image);
    return image;
}

class NetworkCli : public ScratchHome {
protected:
    void SetUp() override {
        ScratchHome::SetUp();
        WriteIni("12 34 56");
    }

    CtlRun Ctl(const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(env_);
        const auto start = std::chrono::steady_clock::now();
        process.start(ORVELCTL_PATH, arguments);
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
    }

    QStringList Config() { return {"--config", Path("orvel.ini")}; }
};

TEST_F(NetworkCli, RealServersCarryAByteExactReadAndAVerifiedWriteBothWays) {
    enum class Server { Ser2netTelnet, Ser2netRaw, Pyserial };
    for (const Server kind : {Server::Ser2netTelnet, Server::Ser2netRaw, Server::Pyserial}) {
        const bool pyserial = kind == Server::Pyserial;
        SCOPED_TRACE(pyserial ? "pyserial" : kind == Server::Ser2netRaw ? "socket" : "rfc2217");
        if (pyserial ? testing::PyserialServer::Python().isEmpty()
                     : !testing::Ser2Net::Available()) {
            ADD_FAILURE() << "no device server: scripts/bootstrap installs ser2net and pyserial";
            continue;
        }
        sim::VirtualRadio radio;
        ASSERT_TRUE(radio.Start());
        testing::Ser2Net ser2net;
        testing::PyserialServer python;
        std::string error;
        ASSERT_TRUE(pyserial
                        ? python.Start(radio.DevicePath(), error)
                        : ser2net.Start(radio.DevicePath(), kind == Server::Ser2netTelnet, error))
            << error;
        const QString url = QString::fromStdString(pyserial ? python.Url() : ser2net.Url());

        CtlRun r = Ctl(QStringList{"read", "--port", url, "--out", Path("read.dat")} + Config());
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(Read("read.dat"), ChannelFileBytes(radio.Image()));

        Write("other.dat", ChannelFileBytes(OtherImage()));
        r = Ctl(QStringList{"write", Path("other.dat"), "--port", url, "--verify"} + Config());
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.err.find("verify: the radio holds what was written"), std::string::npos)
            << r.err;
        EXPECT_EQ(DecodeImage(radio.Image(), DecodeSource::FromRadio).table[2],
                  DecodeImage(OtherImage(), DecodeSource::FromRadio).table[2]);
        radio.Stop();
    }
}

TEST_F(NetworkCli, BadUrlsAreUsageErrorsNamingTheFault) {
    const std::pair<QString, std::string> cases[] = {
        {"rfc2217://127.0.0.1", "no port"},
        {"socket://127.0.0.1:0", "out of range (1 to 65535)"},
        {"socket://127.0.0.1:65536", "out of range (1 to 65535)"},
        {"rfc2217://:2000", "no host"},
        {"ftp://127.0.0.1:2000", "unknown scheme \"ftp://\""},
    };
    for (const auto& [url, why] : cases) {
        const CtlRun r = Ctl({"read", "--port", url});
        EXPECT_EQ(r.code, 1) << url.toStdString();
        EXPECT_EQ(r.err.rfind("orvelctl: --port " + url.toStdString() + ": ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
    }
    // The same for every port of a fleet and for the finder.
    Write("a.dat", ChannelFileBytes(OtherImage()));
    CtlRun r = Ctl({"write", Path("a.dat"), "--port", "socket://h:1", "--port", "socket://h"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("--port socket://h: no port"), std::string::npos) << r.err;
    r = Ctl({"ports", "--probe", "--port", "rfc2217://h:70000"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("out of range"), std::string::npos) << r.err;
}

TEST_F(NetworkCli, ServerFaultsEndInBoundWithOneLineAndTheirExitCode) {
    sim::VirtualRadio radio;
    ASSERT_TRUE(radio.Start());
    {
        DeviceServer odd(radio.DevicePath(), {.parityAnswer = 2});
        const CtlRun r = Ctl(QStringList{"read", "--port", QString::fromStdString(odd.Url())});
        EXPECT_EQ(r.code, 4);
        EXPECT_EQ(r.err, "orvelctl: " + odd.Url() +
                             ": the server refuses parity even: it answers odd (the radio needs "
                             "9600 baud, 8 data bits, even parity, 1 stop bit)\n");
    }
    {
        DeviceServer silent("", {.silent = true});
        const CtlRun r =
            Ctl(QStringList{"channel", "--port", QString::fromStdString(silent.Url())});
        EXPECT_EQ(r.code, 4);
        EXPECT_LT(r.seconds, 6.0);
        EXPECT_NE(r.err.find("did not take up COM-port control (RFC 2217) within 3 s"),
                  std::string::npos)
            << r.err;
    }
    const std::string refused = "socket://127.0.0.1:" + std::to_string(testing::RefusingPort());
    CtlRun r = Ctl({"read", "--port", QString::fromStdString(refused)});
    EXPECT_EQ(r.code, 4);
    EXPECT_EQ(r.err, "orvelctl: " + refused + ": the server refused the connection\n");

    // The server goes in the middle of frame 8: the write says so, and where.
    DeviceServer cut(radio.DevicePath(), {.closeAfterBytes = 7 * 8 + 3});
    Write("other.dat", ChannelFileBytes(OtherImage()));
    r = Ctl(QStringList{"write", Path("other.dat"), "--port", QString::fromStdString(cut.Url())} +
            Config());
    EXPECT_EQ(r.code, 2);
    EXPECT_LT(r.seconds, 10.0);
    EXPECT_NE(r.err.find("orvelctl: " + cut.Url() +
                         ": the port went away: the server closed the connection; the write "
                         "stopped at frame 8 of 67 (channel words)\n"),
              std::string::npos)
        << r.err;
    radio.Stop();
}

TEST_F(NetworkCli, AFleetAndTheFinderTakeNetworkPortsAsGiven) {
    sim::VirtualRadio first;
    sim::VirtualRadio second;
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());
    DeviceServer a(first.DevicePath(), {});
    DeviceServer b(second.DevicePath(), {.telnet = false});
    const QString urlA = QString::fromStdString(a.Url());
    const QString urlB = QString::fromStdString(b.Url());
    const std::string refused = "socket://127.0.0.1:" + std::to_string(testing::RefusingPort());

    Write("other.dat", ChannelFileBytes(OtherImage()));
    CtlRun r =
        Ctl(QStringList{"write", Path("other.dat"), "--port", urlA, "--port", urlB, "--port",
                        QString::fromStdString(refused), "--verify", "--trace", Path("t.txt")} +
            Config());
    EXPECT_EQ(r.code, 4) << r.err;
    EXPECT_EQ(r.out, a.Url() + "\tok\n" + b.Url() + "\tok\n" + refused +
                         "\tfailed\tthe server refused the connection\n");
    EXPECT_EQ(first.Image(), second.Image());
    EXPECT_TRUE(QFileInfo::exists(Path("t-127.0.0.1-" + QString::number(a.Port()) + ".txt")));

    r = Ctl({"ports", "--probe", "--port", urlA, "--port", QString::fromStdString(refused)});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find(a.Url() + "\tORVEL-R1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(refused + "\t-\tmissing\n"), std::string::npos) << r.out;
    first.Stop();
    second.Stop();
}

// Many units behind one ser2net, a port each: every read is in plan and kept as its unit's
// record, whichever came back together.
TEST_F(NetworkCli, AFleetBehindOneSer2netIsCheckedWholeAndEveryReadKept) {
    if (!testing::Ser2Net::Available())
        GTEST_SKIP() << "ser2net is not installed (scripts/bootstrap installs it)";
    constexpr int kUnits = 12;
    std::vector<std::unique_ptr<sim::VirtualRadio>> radios;
    std::vector<std::string> devices;
    for (int i = 0; i < kUnits; ++i) {
        radios.push_back(std::make_unique<sim::VirtualRadio>());
        ASSERT_TRUE(radios.back()->Start());
        devices.push_back(radios.back()->DevicePath());
    }
    testing::Ser2Net server;
    std::string error;
    ASSERT_TRUE(server.Start(devices, true, error)) << error;
    Write("held.dat", ChannelFileBytes(sim::VirtualRadio::DefaultImage()));
    std::string csv = "unit,plan,port,site\n";
    std::string expected;
    for (int i = 0; i < kUnits; ++i) {
        const std::string unit = "N-" + std::to_string(10 + i);
        csv += unit + ",H," + server.Url(std::size_t(i)) + ",east\n";
        expected += unit + "\tH@1\t" + server.Url(std::size_t(i)) + "\tin plan\tH@1\t-\n";
    }
    Write("units.csv", csv);
    ASSERT_EQ(Ctl(QStringList{"plan", "add", Path("held.dat"), "--name", "H"} + Config()).code, 0);
    ASSERT_EQ(Ctl(QStringList{"unit", "import", Path("units.csv")} + Config()).code, 0);

    CtlRun r = Ctl(QStringList{"fleet", "status", "--all", "--jobs", "12"} + Config());
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, expected + "12 units: 12 in plan\n");
    r = Ctl(QStringList{"record", "list"} + Config());
    for (int i = 0; i < kUnits; ++i)
        EXPECT_NE(r.out.find("\tread\tN-" + std::to_string(10 + i) + "\t"), std::string::npos)
            << r.out;
    for (auto& radio : radios)
        radio->Stop();
}

}  // namespace
}  // namespace orvel
