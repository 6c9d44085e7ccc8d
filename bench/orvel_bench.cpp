// Measures the exchanges against a virtual radio that answers at the real line rate and prints
// each as a ratio to the least time the line and the mandated pauses allow, with the CPU time
// the polling thread spent as a share of the wall time.
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "codec.h"
#include "exchanges.h"
#include "poll_receive.h"
#include "port_probe.h"
#include "virtual_radio.h"

using namespace orvel;

namespace {

// 9600 baud, 8 data bits, parity and one stop bit: 11 bits a byte.
constexpr double kByteSeconds = 11.0 / 9600.0;
constexpr double kPauseSeconds = kPollPauseMs / 1000.0;

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
            // Silent: the whole identify wait. Answering: eight bytes and the pause after them.
            Report(name.c_str(), probe,
                   silent ? kIdentityPoll.passes * kPauseSeconds : 8 * kByteSeconds + kPauseSeconds,
                   runs);
        }
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    sim::VirtualRadio radio(sim::VirtualRadio::DefaultImage(), sim::RadioBehaviour{.pace = true});
    std::string error;
    if (!radio.Start(&error)) {
        std::fprintf(stderr, "virtual radio: %s\n", error.c_str());
        return 2;
    }
    SerialPort port;
    if (port.OpenDevice(radio.DevicePath()) != 1) {
        std::fprintf(stderr, "%s\n", port.LastOpenError().c_str());
        return 2;
    }
    ExchangeHooks hooks;
    bool ok = true;

    Measure transfer;
    for (int i = 0; i < runs; ++i) {
        port.DiscardInput();
        SendFrame(port, MakeFrame(CmdReadImage));
        const Measure m = Time([&] { ok &= PollReceive(port, kImagePoll, SleepPause).Complete(); });
        transfer.wall += m.wall / runs;
        transfer.cpu += m.cpu / runs;
    }
    // The pass that completes the answer is followed by one pause.
    Report("260-byte image through PollReceive", transfer, 260 * kByteSeconds + kPauseSeconds,
           runs);

    Measure read;
    for (int i = 0; i < runs; ++i) {
        const Measure m = Time([&] { ok &= ReadRadio(port, hooks).status == ReadStatus::Ok; });
        read.wall += m.wall / runs;
        read.cpu += m.cpu / runs;
    }
    Report("full read (identify + image)", read, (8 + 260) * kByteSeconds + 2 * kPauseSeconds,
           runs);

    WriteRequest request;
    const DecodedImage decoded = DecodeImage(radio.Image(), DecodeSource::FromRadio);
    request.table = decoded.table;
    request.settings = decoded.settings;
    Measure write;
    for (int i = 0; i < runs; ++i) {
        const Measure m =
            Time([&] { ok &= WriteRadio(port, request, hooks).status == WriteStatus::Ok; });
        write.wall += m.wall / runs;
        write.cpu += m.cpu / runs;
    }
    // Per frame: 8 bytes out and 3 back on the line; the acknowledgement is polled a byte at a
    // time with a pause after each poll that did not complete it (two at least), and each of
    // the 64 channel frames is followed by one more pause.
    Report("full write (66 frames)", write,
           66 * (11 * kByteSeconds + 2 * kPauseSeconds) + 64 * kPauseSeconds, runs);
    port.Close();
    radio.Stop();
    ok &= BenchProbe(runs);
    if (!ok) {
        std::fprintf(stderr, "an exchange failed during the benchmark\n");
        return 1;
    }
    return 0;
}
