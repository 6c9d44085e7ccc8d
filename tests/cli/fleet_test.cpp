// orvelctl writing several orvelsim radios at once, and its production line, run as processes
// while the test plays the technician who puts radios on the cable and takes them off.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>

#include "channel_file.h"
#include "codec.h"
#include "exchanges.h"
#include "scratch_home.h"
#include "transfer.h"
#include "virtual_radio.h"

namespace orvel {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

constexpr auto kPatience = 30s;  // a bound on every wait, never a measure

// Every channel away from the virtual radio's own, so a word that was not written shows.
MemoryImage FleetImage() {
    MemoryImage image = StartupImage();
    ChannelTable table = EmptyChannelTable();
    for (int i = 0; i < kChannelCount; ++i) {
        char rx[16];
        std::snprintf(rx, sizeof rx, "%.3f", 233.0 + 0.125 * i);
        table[static_cast<std::size_t>(i)] = {
            ChannelLabel(i + 1), rx, rx, "P2", "1200", "关", "L3"};
    }
    EncodeImage(table, RadioSettings{0, 1, 1, 0, 1, 0, 0, 1, 0, 1, 2, 3}, image);
    return image;
}

// A program running on its own; its output is gathered while the test waits for a line.
class Running {
public:
    explicit Running(const QProcessEnvironment& env) { process.setProcessEnvironment(env); }
    ~Running() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }

    // Until `text` has appeared `times` times on the stream (stderr unless `onStdout`).
    bool WaitFor(const std::string& text, int times = 1, bool onStdout = false) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        for (;;) {
            Gather();
            if (Count(onStdout ? out : err, text) >= times)
                return true;
            if (process.state() == QProcess::NotRunning ||
                std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            process.waitForReadyRead(50);
        }
    }
    bool WaitForOut(const std::string& text) { return WaitFor(text, 1, true); }

    // The exit code once the program has ended (-1 when it did not).
    int Finish() {
        if (!process.waitForFinished(static_cast<int>(kPatience / 1ms)))
            return -1;
        Gather();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    // processId() is 0 once the program has ended, and kill(0) would signal the whole group.
    void Signal(int signal) {
        if (const qint64 pid = process.processId(); pid > 0)
            ::kill(static_cast<pid_t>(pid), signal);
    }

    QProcess process;
    std::string out;
    std::string err;

private:
    static int Count(const std::string& haystack, const std::string& text) {
        int count = 0;
        for (auto at = haystack.find(text); at != std::string::npos;
             at = haystack.find(text, at + 1)) {
            ++count;
        }
        return count;
    }
    void Gather() {
        out += process.readAllStandardOutput().toStdString();
        err += process.readAllStandardError().toStdString();
    }
};

class Fleet : public ScratchHome {
protected:
    void SetUp() override {
        ScratchHome::SetUp();
        // The special word, on a spare word, makes 67 frames a radio.
        WriteIni("50 34 56");
        Write("sample.dat", ChannelFileBytes(FleetImage()));
    }

    // An orvelsim behind Path(name), ready once it printed the link.
    Running& StartSim(const QString& name, const QStringList& faults = {}) {
        auto& sim = sims_[name];
        sim = std::make_unique<Running>(env_);
        sim->process.start(ORVELSIM_PATH, QStringList{"--link", Path(name)} + faults);
        EXPECT_TRUE(sim->WaitForOut(Path(name).toStdString() + "\n")) << sim->err;
        return *sim;
    }
    // The write frames a radio received, as orvelsim printed them.
    int StopSim(const QString& name) {
        Running& sim = *sims_.at(name);
        sim.process.terminate();
        sim.Finish();
        int frames = 0;
        for (auto at = sim.out.find("write word"); at != std::string::npos;
             at = sim.out.find("write word", at + 1)) {
            ++frames;
        }
        return frames;
    }

    std::unique_ptr<Running> StartCtl(const QStringList& arguments) {
        auto ctl = std::make_unique<Running>(env_);
        ctl->process.start(
            ORVELCTL_PATH,
            QStringList{"write", Path("sample.dat"), "--config", Path("orvel.ini")} + arguments);
        return ctl;
    }
    std::unique_ptr<Running> Ctl(const QStringList& arguments) {
        auto ctl = std::make_unique<Running>(env_);
        ctl->process.start(ORVELCTL_PATH, arguments);
        ctl->Finish();
        return ctl;
    }

    // What the radio holds now, read by orvelctl.
    ChannelTable ReadBack(const QString& name) {
        const QString file = Path(name + "-back.dat");
        const auto read = Ctl({"read", "--port", Path(name), "--out", file});
        EXPECT_EQ(read->process.exitCode(), 0) << read->err;
        return TableOf(Read(name + "-back.dat"));
    }

    std::map<QString, std::unique_ptr<Running>> sims_;
};

TEST_F(Fleet, WritesEveryRadioAtOnceAndReportsEachPortInOrder) {
    StartSim("r1");
    StartSim("r2", {"--nak", "5"});
    StartSim("r3");
    const auto ctl = StartCtl({"--port", Path("r1"), "--port", Path("r2"), "--port", Path("r3"),
                               "--verify", "--trace", Path("trace.txt")});
    EXPECT_EQ(ctl->Finish(), 2) << ctl->err;
    const std::string r1 = Path("r1").toStdString();
    const std::string r2 = Path("r2").toStdString();
    const std::string r3 = Path("r3").toStdString();
    EXPECT_EQ(ctl->out, r1 + "\tok\n" + r2 +
                            "\tfailed\tthe radio did not accept frame 5 of 67 (channel words)\n" +
                            r3 + "\tok\n");
    // Every log line carries its port; the failing radio's lines are its own.
    for (const QString& line : QString::fromStdString(ctl->err).split('\n', Qt::SkipEmptyParts)) {
        EXPECT_TRUE(line.startsWith("[" + Path("r1") + "] ") ||
                    line.startsWith("[" + Path("r2") + "] ") ||
                    line.startsWith("[" + Path("r3") + "] "))
            << line.toStdString();
    }
    EXPECT_NE(ctl->err.find("[" + r2 + "] 写入数据[% 0] 失败\n"), std::string::npos) << ctl->err;
    EXPECT_NE(ctl->err.find("[" + r3 + "] orvelctl: verify: the radio holds what was written\n"),
              std::string::npos);

    const ChannelTable written = DecodeAsShown(FleetImage(), DecodeSource::FromFile, kLimits).table;
    EXPECT_EQ(ReadBack("r1"), written);
    EXPECT_EQ(ReadBack("r3"), written);
    const ChannelTable refused = ReadBack("r2");  // four words went in, the fifth was refused
    const ChannelTable untouched =
        DecodeAsShown(sim::VirtualRadio::DefaultImage(), DecodeSource::FromFile, kLimits).table;
    EXPECT_EQ(refused[0], written[0]);
    EXPECT_EQ(refused[1], untouched[1]);

    for (const QString name : {"trace-r1.txt", "trace-r2.txt", "trace-r3.txt"})
        EXPECT_GT(QFileInfo(Path(name)).size(), 0) << name.toStdString();
    EXPECT_FALSE(QFile::exists(Path("trace.txt")));
    EXPECT_EQ(Backups("*-write*.dat").size(), 3);
}

TEST_F(Fleet, JsonGivesEachPortsResultAndAMissingDeviceIsAPortFailure) {
    StartSim("r1");
    const auto ctl = StartCtl({"--port", Path("absent"), "--port", Path("r1"), "--format", "json"});
    EXPECT_EQ(ctl->Finish(), 4) << ctl->err;
    EXPECT_EQ(json::parse(ctl->out), json::parse(R"([
        {"port": ")" + Path("absent").toStdString() +
                                                 R"(", "result": "port", "exit": 4,
         "message": "no such port"},
        {"port": ")" + Path("r1").toStdString() +
                                                 R"(", "result": "ok", "exit": 0, "message": ""}
    ])"));
    EXPECT_EQ(StopSim("r1"), 67);

    // A single port with --format still says how it went.
    const auto alone = StartCtl({"--port", Path("absent"), "--format", "text"});
    EXPECT_EQ(alone->Finish(), 4);
    EXPECT_EQ(alone->out, Path("absent").toStdString() + "\tfailed\tno such port\n");
    EXPECT_EQ(alone->err.find('['), std::string::npos) << "one port is not prefixed";
}

TEST_F(Fleet, ConflictingPortsAndOptionsAreUsageErrors) {
    Write("tty", "");
    ASSERT_TRUE(QFile::link(Path("tty"), Path("tty-link")));
    QDir(dir_.path()).mkpath("a");
    QDir(dir_.path()).mkpath("b");
    const QStringList usageErrors[] = {
        {"--port", Path("r1"), "--port", Path("r1")},
        {"--port", Path("tty"), "--port", Path("tty-link")},
        {"--port", Path("r1"), "--port", ""},
        {"--port", Path("r1"), "--count", "2"},
        {"--port", Path("r1"), "--repeat", "--count", "0"},
        {"--port", Path("r1"), "--repeat", "--count", "many"},
        {"--simulate", "--repeat"},
        {"--port", Path("r1"), "--format", "csv"},
        {"--port", Path("r1"), "--repeat", "--format", "json"},
        {"--port", Path("a/radio"), "--port", Path("b/radio"), "--trace", Path("t.txt")},
        {"--port", "0"},
        {"--port", "COM0"},
        {"--port", "257"},
        {"--port", Path("r1"), "--port", "com300"},
        {"--port", "rfc2217://Radio-Host:4001", "--port", "socket://radio-host:04001/"},
    };
    for (const QStringList& arguments : usageErrors) {
        const auto ctl = StartCtl(arguments);
        EXPECT_EQ(ctl->Finish(), 1) << arguments.join(' ').toStdString() << "\n" << ctl->err;
        EXPECT_EQ(ctl->out, "") << arguments.join(' ').toStdString();
    }
    const auto twice = StartCtl({"--port", Path("r1"), "--port", Path("r1")});
    twice->Finish();
    EXPECT_NE(twice->err.find("the port " + Path("r1").toStdString() + " is named twice"),
              std::string::npos)
        << twice->err;
    const auto oneServerPort =
        StartCtl({"--port", "rfc2217://Radio-Host:4001", "--port", "socket://radio-host:04001/"});
    oneServerPort->Finish();
    EXPECT_NE(oneServerPort->err.find("are the same port"), std::string::npos)
        << oneServerPort->err;
    const auto help = Ctl({"write", "--help"});
    for (const char* option : {"--repeat", "--count N", "--format", "radios: K ok, M failed"})
        EXPECT_NE(help->out.find(option), std::string::npos) << option;
}

TEST_F(Fleet, ProductionLineWaitsForEachRadioAndCountsThemAsTheyCome) {
    // No device yet: the line waits for one.
    const auto line = StartCtl({"--port", Path("bench"), "--repeat", "--count", "3"});
    ASSERT_TRUE(line->WaitFor("waiting for a radio")) << line->err;
    Running& sim = StartSim("bench");
    ASSERT_TRUE(line->WaitForOut("1\tORVEL-R1\tok\n")) << line->err;
    // The bell goes to the other stream, which may reach us a moment later.
    EXPECT_TRUE(line->WaitFor("\a")) << line->err;

    // Off the cable, and the same radio back again: a second radio.
    sim.Signal(SIGUSR1);
    ASSERT_TRUE(line->WaitFor("waiting for a radio", 2)) << line->err;
    sim.Signal(SIGUSR1);
    ASSERT_TRUE(line->WaitForOut("2\tORVEL-R1\tok\n")) << line->err;

    // The device itself goes away and another one appears under its name.
    EXPECT_EQ(StopSim("bench"), 2 * 67);
    ASSERT_TRUE(line->WaitFor("waiting for a radio", 3)) << line->err;
    StartSim("bench", {"--id", "ORVEL-R2"});
    EXPECT_EQ(line->Finish(), 0) << line->err;
    EXPECT_EQ(line->out,
              "1\tORVEL-R1\tok\n2\tORVEL-R1\tok\n3\tORVEL-R2\tok\nradios: 3 ok, 0 failed\n");
    EXPECT_EQ(ReadBack("bench"), TableOf(Read("sample.dat")));
    EXPECT_EQ(StopSim("bench"), 67);
}

TEST_F(Fleet, SigtermOrSighupEndsTheLineOnlyAfterTheRadioInProgress) {
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        StartSim("bench", {"--pace"});
        const auto line = StartCtl({"--port", Path("bench"), "--repeat", "--verify"});
        ASSERT_TRUE(line->WaitFor("写入数据[% 10] 成功")) << line->err;
        line->Signal(signal);
        EXPECT_EQ(line->Finish(), 128 + signal) << line->err;
        EXPECT_EQ(line->out, "1\tORVEL-R1\tok\nradios: 1 ok, 0 failed\n");
        EXPECT_NE(line->err.find("orvelctl: verify: the radio holds what was written"),
                  std::string::npos);
        EXPECT_EQ(StopSim("bench"), 67);
    }
}

TEST_F(Fleet, ASignalLetsEveryWriteFinishAndPrintItsLine) {
    const std::string r1 = Path("r1").toStdString();
    const std::string r2 = Path("r2").toStdString();
    // Only a second Ctrl-C stops at once; any other second signal waits like the first.
    struct Case {
        int signal;
        int second;  // 0: none
        QStringList ports;
        std::string out;
    } cases[] = {
        {SIGTERM, 0, {"--port", Path("r1")}, r1 + "\tok\n"},
        {SIGHUP, 0, {"--port", Path("r1")}, r1 + "\tok\n"},
        {SIGHUP, 0, {"--port", Path("r1"), "--port", Path("r2")}, r1 + "\tok\n" + r2 + "\tok\n"},
        {SIGINT, SIGTERM, {"--port", Path("r1")}, r1 + "\tok\n"},
        {SIGTERM, SIGHUP, {"--port", Path("r1")}, r1 + "\tok\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ports.join(' ').toStdString() + " " + std::to_string(c.second));
        StartSim("r1", {"--pace"});
        StartSim("r2", {"--pace"});
        const auto ctl = StartCtl(c.ports);
        ASSERT_TRUE(ctl->WaitFor("写入数据[% 20] 成功")) << ctl->err;
        ctl->Signal(c.signal);
        if (c.second != 0) {
            ASSERT_TRUE(ctl->WaitFor("Ctrl-C again stops at once")) << ctl->err;
            ctl->Signal(c.second);
        }
        EXPECT_EQ(ctl->Finish(), 128 + c.signal) << ctl->err;
        EXPECT_EQ(ctl->out, c.out);
        EXPECT_EQ(StopSim("r1"), 67);
        EXPECT_EQ(StopSim("r2"), c.ports.size() > 2 ? 67 : 0);
    }
}

TEST_F(Fleet, ASecondCtrlCStopsAtOnceAndSaysWhere) {
    StartSim("bench", {"--pace"});
    const auto ctl = StartCtl({"--port", Path("bench")});
    ASSERT_TRUE(ctl->WaitFor("写入数据[% 10] 成功")) << ctl->err;
    ctl->Signal(SIGINT);
    ASSERT_TRUE(ctl->WaitFor("Ctrl-C again stops at once")) << ctl->err;
    ctl->Signal(SIGINT);
    EXPECT_EQ(ctl->Finish(), 130) << ctl->err;
    const int sent = StopSim("bench");
    EXPECT_LT(sent, 67);
    EXPECT_EQ(ctl->out, Path("bench").toStdString() + "\tfailed\tinterrupted at frame " +
                            std::to_string(sent + 1) + " of 67\n");
}

TEST_F(Fleet, AClosedOutputNeverEndsAWrite) {
    StartSim("bench", {"--pace"});
    Running ctl(env_);
    // As `orvelctl write ... 2>&1 | head -2` in a script; the shell reports orvelctl's exit.
    ctl.process.start("bash",
                      {"-c",
                       "set -o pipefail; \"$0\" write \"$1\" --config \"$2\" "
                       "--port \"$3\" 2>&1 | head -2",
                       ORVELCTL_PATH, Path("sample.dat"), Path("orvel.ini"), Path("bench")});
    EXPECT_EQ(ctl.Finish(), 0) << ctl.err;
    EXPECT_EQ(StopSim("bench"), 67);
}

TEST_F(Fleet, AResultLineNamesThePortAsGivenAndTheDeviceItStandsFor) {
    StartSim("r1");
    const auto ctl = StartCtl({"--port", "200", "--port", Path("r1")});
    EXPECT_EQ(ctl->Finish(), 4) << ctl->err;
    EXPECT_EQ(ctl->out,
              "200\tfailed\t/dev/ttyS199: no such port\n" + Path("r1").toStdString() + "\tok\n");
}

TEST_F(Fleet, AFailureOnTheFirstLineIsTheExitCodeOfAll) {
    StartSim("r1", {"--nak", "66"});
    StartSim("r2");
    const auto line =
        StartCtl({"--port", Path("r1"), "--port", Path("r2"), "--repeat", "--count", "1"});
    EXPECT_EQ(line->Finish(), 2) << line->err;
    EXPECT_TRUE(line->out.ends_with("\nradios: 1 ok, 1 failed\n")) << line->out;
}

TEST_F(Fleet, EveryPortRunsItsOwnLineAndAFailureSetsTheExitCode) {
    StartSim("r1");
    StartSim("r2", {"--nak", "66"});
    const auto line =
        StartCtl({"--port", Path("r1"), "--port", Path("r2"), "--repeat", "--count", "1"});
    EXPECT_EQ(line->Finish(), 2) << line->err;
    const std::string r1 = Path("r1").toStdString();
    const std::string r2 = Path("r2").toStdString();
    EXPECT_NE(line->out.find(r1 + "\t1\tORVEL-R1\tok\n"), std::string::npos) << line->out;
    EXPECT_NE(line->out.find(r2 + "\t1\tORVEL-R1\tfailed\tthe radio did not accept frame 66 of "
                                  "67 (settings words)\n"),
              std::string::npos)
        << line->out;
    EXPECT_TRUE(line->out.ends_with("\nradios: 1 ok, 1 failed\n")) << line->out;
    EXPECT_NE(line->err.find("[" + r2 + "] 写入数据[% 100] 失败\n"), std::string::npos);
}

}  // namespace
}  // namespace orvel
