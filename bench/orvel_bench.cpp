// Measures the exchanges against a virtual radio that takes and answers at the real line rate
// and prints each as a ratio to the least time the line and the mandated pauses allow, with the
// CPU time the polling thread spent as a share of the wall time. Every byte on the line counts,
// the program's as well as the radio's, so no ratio can fall below 1.
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "channel_file.h"
#include "codec.h"
#include "commands.h"
#include "exchanges.h"
#include "fleet_scale.h"
#include "poll_receive.h"
#include "port_probe.h"
#include "ser2net_server.h"
#include "virtual_radio.h"

using namespace orvel;

namespace {

// 9600 baud, 8 data bits, parity and one stop bit: 11 bits a byte.
constexpr double kByteSeconds = 11.0 / 9600.0;
constexpr double kPauseSeconds = kPollPauseMs / 1000.0;
// Per frame 8 bytes out and 3 back on the line, and a 20 ms pause after each channel frame.
constexpr double kWriteLeast = 66 * 11 * kByteSeconds + 64 * kPauseSeconds;
// Two frames out, the identify answer and the image back, each answer followed by one pause.
constexpr double kReadLeast = (2 * 8 + 8 + 260) * kByteSeconds + 2 * kPauseSeconds;

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

struct Measure {
    double wall = 0;
    double cpu = 0;
};

Measure Time(const std::function<void()>& work) {
    const double cpuStart = ThreadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    return {wall.count(), ThreadCpuSeconds() - cpuStart};
}

void Report(const char* name, const Measure& m, double least, int runs) {
    std::printf("%-34s %7.3f s  least %6.3f s  ratio %5.2f  cpu %5.1f %% of wall  (%d runs)\n",
                name, m.wall, least, m.wall / least, 100.0 * m.cpu / m.wall, runs);
}

// orvelctl's write to several paced radios at once against the same write to one of them: the
// ports run side by side, so four should take hardly longer than one.
bool BenchFleet(int runs) {
    QTemporaryDir scratch;
    // The safety copies of the writes stay out of the user's folders.
    qputenv("XDG_DATA_HOME", scratch.filePath("data").toLocal8Bit());
    const QString file = scratch.filePath("radio.dat");
    const QString ini = scratch.filePath("orvel.ini");
    std::string error;
    if (!WriteFileAtomically(file.toStdString(),
                             ChannelFileBytes(sim::VirtualRadio::DefaultImage()), error) ||
        !WriteFileAtomically(ini.toStdString(), std::string("[Set]\n"), error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    std::vector<std::unique_ptr<sim::VirtualRadio>> radios;
    QStringList ports;
    for (int i = 0; i < 4; ++i) {
        radios.push_back(std::make_unique<sim::VirtualRadio>(sim::VirtualRadio::DefaultImage(),
                                                             sim::RadioBehaviour{.pace = true}));
        if (!radios.back()->Start(&error)) {
            std::fprintf(stderr, "virtual radio: %s\n", error.c_str());
            return false;
        }
        ports << QStringLiteral("--port") << QString::fromStdString(radios.back()->DevicePath());
    }
    bool ok = true;
    auto write = [&](const QStringList& portArguments) {
        return Time([&] {
            std::ostringstream out;
            std::ostringstream err;
            const QStringList arguments =
                QStringList{"orvelctl", "write", file, "--config", ini} + portArguments;
            ok &= cli::Run(arguments, out, err) == 0;
        });
    };
    Measure one;
    Measure four;
    for (int i = 0; i < runs; ++i) {
        one.wall += write(ports.mid(0, 2)).wall / runs;
        four.wall += write(ports).wall / runs;
    }
    std::printf("%-34s %7.3f s  one radio %6.3f s  ratio %5.2f  target <= 1.20  (%d runs)\n",
                "write to 4 radios at once", four.wall, one.wall, four.wall / one.wall, runs);
    for (auto& radio : radios)
        radio->Stop();
    return ok;
}

// The finder asks every port at once: one identify wait, however many ports. The CPU share is
// the whole process's, the radios' threads included.
bool BenchProbe(int runs) {
    bool ok = true;
    for (const bool silent : {true, false}) {
        for (const int count : {1, 8}) {
            std::vector<std::unique_ptr<sim::VirtualRadio>> radios;
            std::vector<std::string> devices;
            for (int i = 0; i < count; ++i) {
                radios.push_back(std::make_unique<sim::VirtualRadio>(
                    sim::VirtualRadio::DefaultImage(),
                    sim::RadioBehaviour{.silent = silent, .pace = true}));
                ok &= radios.back()->Start();
                devices.push_back(radios.back()->DevicePath());
            }
            Measure probe;
            for (int i = 0; i < runs; ++i) {
                timespec cpuStart{};
                clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuStart);
                Measure m = Time([&] {
                    for (const ProbeResult& result : ProbePorts(devices))
                        ok &= (result.status == ProbeStatus::Radio) != silent;
                });
                timespec cpuEnd{};
                clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuEnd);
                m.cpu = static_cast<double>(cpuEnd.tv_sec - cpuStart.tv_sec) +
                        static_cast<double>(cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e9;
                probe.wall += m.wall / runs;
                probe.cpu += m.cpu / runs;
            }
            const std::string name = "probe " + std::to_string(count) +
                                     (silent ? " silent port" : " answering radio") +
                                     (count > 1 ? "s" : "");
            // Silent: the whole identify wait. Answering: the frame out, eight bytes back and the
            // pause after them.
            Report(name.c_str(), probe,
                   silent ? kIdentityPoll.passes * kPauseSeconds
                          : (8 + 8) * kByteSeconds + kPauseSeconds,
                   runs);
        }
    }
    return ok;
}

// The same read and write through ser2net, Telnet with RFC 2217, to the paced radio: the
// floors are the line's, so the ratio shows what the network and the server add.
bool BenchNetwork(int runs) {
    if (!testing::Ser2Net::Available()) {
        std::printf("network port: skipped, ser2net is not installed (scripts/bootstrap)\n");
        return true;
    }
    sim::VirtualRadio radio(sim::VirtualRadio::DefaultImage(), sim::RadioBehaviour{.pace = true});
    std::string error;
    testing::Ser2Net server;
    if (!radio.Start(&error) || !server.Start(radio.DevicePath(), true, error)) {
        std::fprintf(stderr, "network port: %s\n", error.c_str());
        return false;
    }
    Port port;
    if (port.OpenDevice(server.Url()) != 1) {
        std::fprintf(stderr, "%s\n", port.LastOpenError().c_str());
        return false;
    }
    WriteRequest request;
    const DecodedImage decoded = DecodeImage(radio.Image(), DecodeSource::FromRadio);
    request.table = decoded.table;
    request.settings = decoded.settings;
    bool ok = true;
    Measure read;
    Measure write;
    for (int i = 0; i < runs; ++i) {
        const Measure r = Time([&] { ok &= ReadRadio(port, {}).status == ReadStatus::Ok; });
        read.wall += r.wall / runs;
        read.cpu += r.cpu / runs;
        const Measure w =
            Time([&] { ok &= WriteRadio(port, request, {}).status == WriteStatus::Ok; });
        write.wall += w.wall / runs;
        write.cpu += w.cpu / runs;
    }
    Report("full read, ser2net rfc2217", read, kReadLeast, runs);
    Report("full write, ser2net rfc2217", write, kWriteLeast, runs);
    std::printf("targets (ser2net): read and write ratio <= 1.15\n");
    port.Close();
    radio.Stop();
    return ok;
}

// orvelctl read and write as a user runs them, each a program of its own that keeps its safety
// copy and its programming record in the local file: the floors are the line's, so the ratio
// shows what starting, the copies and the record add.
bool BenchCommands(int runs) {
    QTemporaryDir scratch;
    sim::VirtualRadio radio(sim::VirtualRadio::DefaultImage(), sim::RadioBehaviour{.pace = true});
    const QString file = scratch.filePath("radio.dat");
    const QString ini = scratch.filePath("orvel.ini");
    std::string error;
    if (!radio.Start(&error) ||
        !WriteFileAtomically(file.toStdString(),
                             ChannelFileBytes(sim::VirtualRadio::DefaultImage()), error) ||
        !WriteFileAtomically(ini.toStdString(), std::string("[Set]\n"), error)) {
        std::fprintf(stderr, "orvelctl: %s\n", error.c_str());
        return false;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", scratch.path());
    environment.insert("XDG_DATA_HOME", scratch.filePath("data"));
    environment.insert("XDG_CONFIG_HOME", scratch.filePath("config"));
    const QString port = QString::fromStdString(radio.DevicePath());
    bool ok = true;
    auto run = [&](const QStringList& arguments) {
        return Time([&] {
            QProcess process;
            process.setProcessEnvironment(environment);
            process.start(QCoreApplication::applicationDirPath() + "/orvelctl",
                          arguments + QStringList{"--config", ini, "--port", port});
            ok &= process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
                  process.exitCode() == 0;
        });
    };
    Measure read;
    Measure write;
    for (int i = 0; i < runs; ++i) {
        read.wall += run({"read", "--out", scratch.filePath("read.dat")}).wall / runs;
        write.wall += run({"write", file}).wall / runs;
    }
    for (const auto& [name, m, least] :
         {std::tuple{"orvelctl read, copy and record", read, kReadLeast},
          std::tuple{"orvelctl write, copy and record", write, kWriteLeast}}) {
        std::printf("%-34s %7.3f s  least %6.3f s  ratio %5.2f  (%d runs)\n", name, m.wall, least,
                    m.wall / least, runs);
    }
    std::printf("targets (orvelctl): read and write ratio <= 1.10\n");
    radio.Stop();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    // The fleet of 256 alone, when only its figures are wanted.
    if (qEnvironmentVariable("BENCH_PART") == QLatin1String("fleet"))
        return bench::BenchFleetScale(runs) ? 0 : 1;
    sim::VirtualRadio radio(sim::VirtualRadio::DefaultImage(), sim::RadioBehaviour{.pace = true});
    std::string error;
    if (!radio.Start(&error)) {
        std::fprintf(stderr, "virtual radio: %s\n", error.c_str());
        return 2;
    }
    Port port;
    if (port.OpenDevice(radio.DevicePath()) != 1) {
        std::fprintf(stderr, "%s\n", port.LastOpenError().c_str());
        return 2;
    }
    bool ok = true;
    const double writeLeast = kWriteLeast;
    const double readLeast = kReadLeast;
    WriteRequest request;
    const DecodedImage decoded = DecodeImage(radio.Image(), DecodeSource::FromRadio);
    request.table = decoded.table;
    request.settings = decoded.settings;

    for (PollTiming timing : {PollTiming::Prompt, PollTiming::Classic}) {
        const std::string label = timing == PollTiming::Prompt ? "" : " classic";
        ExchangeHooks hooks;
        hooks.timing = timing;
        radio.SetBehaviour(sim::RadioBehaviour{.pace = true});
        Measure transfer;
        for (int i = 0; i < runs; ++i) {
            port.DiscardInput();
            SendFrame(port, MakeFrame(CmdReadImage));
            const Measure m = Time(
                [&] { ok &= PollReceive(port, kImagePoll, SleepPause, {}, timing).Complete(); });
            transfer.wall += m.wall / runs;
            transfer.cpu += m.cpu / runs;
        }
        // The request, then the image; the pass that completes it is followed by one pause.
        Report(("260-byte image" + label).c_str(), transfer,
               (8 + 260) * kByteSeconds + kPauseSeconds, runs);

        Measure read;
        for (int i = 0; i < runs; ++i) {
            const Measure m = Time([&] { ok &= ReadRadio(port, hooks).status == ReadStatus::Ok; });
            read.wall += m.wall / runs;
            read.cpu += m.cpu / runs;
        }
        Report(("full read" + label).c_str(), read, readLeast, runs);

        Measure write;
        for (int i = 0; i < runs; ++i) {
            const Measure m =
                Time([&] { ok &= WriteRadio(port, request, hooks).status == WriteStatus::Ok; });
            write.wall += m.wall / runs;
            write.cpu += m.cpu / runs;
        }
        Report(("full write, 66 frames" + label).c_str(), write, writeLeast, runs);

        // A radio that stays silent: the whole acknowledgement bound is spent waiting.
        radio.SetBehaviour(sim::RadioBehaviour{.silent = true, .pace = true});
        Measure idle = Time([&] {
            for (int i = 0; i < runs; ++i) {
                SendFrame(port, MakeFrame(CmdWriteWord, 0, 0x23, 0x01));
                ok &= !PollReceive(port, kAckPoll, SleepPause, {}, timing).Complete();
            }
        });
        idle.wall /= runs;
        idle.cpu /= runs;
        Report(("silent radio, one ack bound" + label).c_str(), idle,
               kAckPoll.passes * kPauseSeconds, runs);
    }
    std::printf(
        "targets (default timing): write ratio <= 1.25, read ratio <= 1.10, "
        "cpu <= 2 %% of wall\n");
    port.Close();
    radio.Stop();
    ok &= BenchFleet(runs);
    ok &= BenchProbe(runs);
    ok &= BenchNetwork(runs);
    ok &= BenchCommands(runs);
    ok &= bench::BenchFleetScale(runs);
    if (!ok) {
        std::fprintf(stderr, "an exchange failed during the benchmark\n");
        return 1;
    }
    return 0;
}
