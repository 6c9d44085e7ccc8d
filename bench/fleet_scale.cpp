// The fleet at a utility's scale: 256 paced virtual radios, each behind its own RFC 2217 port
// of a ser2net serving 32, checked and brought into line by orvelctl fleet as a team lead runs it.
// The program runs under the usual limit of 1024 descriptors, and its own peak memory, descriptors
// and threads are measured from outside.
#include "fleet_scale.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cell_rules.h"
#include "channel_file.h"
#include "codec.h"
#include "file_access.h"
#include "ser2net_server.h"
#include "virtual_radio.h"

namespace orvel::bench {
namespace {

constexpr int kUnits = 256;
constexpr int kDiffering = 64;
constexpr int kUnitsAServer = 32;
constexpr rlim_t kUsualFiles = 1024;

// One orvelctl as a user runs it, watched from outside.
struct Child {
    int exit = -1;
    double wall = 0;
    double cpu = 0;       // user and system, its threads included
    long peakKb = 0;      // its resident peak
    int peakFiles = 0;    // the most descriptors it held at one look
    int peakThreads = 0;  // likewise threads
    std::string err;
};

int Entries(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return 0;
    int count = 0;
    while (const dirent* entry = readdir(dir))
        count += entry->d_name[0] != '.';
    closedir(dir);
    return count;
}

// User and system seconds of a process of ours, its threads included.
double CpuSeconds(qint64 pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    // The command's name may hold spaces: the fields are counted from its closing parenthesis.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i >= 14)
            ticks += std::stod(field);
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

class Fleet {
public:
    bool Start(std::string& error);
    // `orvelctl ARGS --config INI`, its stderr kept; a fork of its own so that the usual
    // descriptor limit can be set for it and its resources read back with wait4.
    Child Run(const std::vector<std::string>& arguments);
    void HoldDefault(int first, int count) {
        for (int i = first; i < first + count; ++i)
            radios_[static_cast<std::size_t>(i)]->SetImage(sim::VirtualRadio::DefaultImage());
    }
    ~Fleet() {
        for (auto& radio : radios_)
            radio->Stop();
    }

    // The CPU the radios (this process) and ser2net have used so far.
    double FleetCpu() const {
        double cpu = CpuSeconds(getpid());
        for (const auto& server : servers_)
            cpu += CpuSeconds(server->Pid());
        return cpu;
    }

    // Assigns F-000 onwards, each the port of its radio, `plan`.
    bool Import(const std::string& name, const std::string& plan, int count, std::string& error);

private:
    QTemporaryDir scratch_;
    std::vector<std::unique_ptr<sim::VirtualRadio>> radios_;
    // A utility's radios stand behind many device servers, one a substation; here each
    // serves kUnitsAServer of them.
    std::vector<std::unique_ptr<testing::Ser2Net>> servers_;
    std::string Url(int unit) const {
        return servers_[static_cast<std::size_t>(unit / kUnitsAServer)]->Url(
            static_cast<std::size_t>(unit % kUnitsAServer));
    }
    std::vector<std::string> environment_;
};

Child Fleet::Run(const std::vector<std::string>& arguments) {
    const std::string program = QCoreApplication::applicationDirPath().toStdString() + "/orvelctl";
    const std::string ini = scratch_.filePath("orvel.ini").toStdString();
    const std::string errFile = scratch_.filePath("stderr.txt").toStdString();
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    words.insert(words.end(), {"--config", ini});
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment_)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = std::min(files.rlim_max, kUsualFiles);

    Child child;
    const auto start = std::chrono::steady_clock::now();
    // Between fork and exec only calls that are safe in a threaded program.
    const pid_t pid = fork();
    if (pid == 0) {
        const int devNull = open("/dev/null", O_WRONLY);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(devNull, 1);
        dup2(err, 2);
        // The radios' terminals are the bench's own, not the program's.
        close_range(3, ~0U, 0);
        setrlimit(RLIMIT_NOFILE, &files);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    if (pid < 0)
        return child;
    const std::string proc = "/proc/" + std::to_string(pid);
    // The child's end wakes the watch at once, so that its wall time is exact; between, a look
    // at its descriptors and threads every 20 ms, as a listing of /proc costs most of a
    // millisecond of the cores the program is measured on.
    const int exited = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    for (;;) {
        int status = 0;
        rusage usage{};
        const pid_t ended = wait4(pid, &status, WNOHANG, &usage);
        if (ended == pid) {
            child.wall =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            child.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            child.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
            child.peakKb = usage.ru_maxrss;
            break;
        }
        if (ended < 0)
            break;
        // Until its exec the fork holds the bench's own descriptors.
        std::ifstream comm(proc + "/comm");
        std::string name;
        const bool program = std::getline(comm, name) && name == "orvelctl";
        if (program) {
            child.peakFiles = std::max(child.peakFiles, Entries(proc + "/fd"));
            child.peakThreads = std::max(child.peakThreads, Entries(proc + "/task"));
        }
        pollfd end{exited, POLLIN, 0};
        if (exited < 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(program ? 20 : 1));
        else
            poll(&end, 1, program ? 20 : 1);
    }
    if (exited >= 0)
        close(exited);
    std::ifstream in(errFile);
    child.err.assign(std::istreambuf_iterator<char>(in), {});
    return child;
}

bool Fleet::Import(const std::string& name, const std::string& plan, int count,
                   std::string& error) {
    const std::string csv = scratch_.filePath(QString::fromStdString(name)).toStdString();
    std::ofstream out(csv);
    out << "unit,plan,port,site\n";
    for (int i = 0; i < count; ++i) {
        char unit[16];
        std::snprintf(unit, sizeof unit, "F-%03d", i);
        out << unit << ',' << plan << ',' << Url(i) << ",bench\n";
    }
    out.close();
    const Child imported = Run({"unit", "import", csv});
    if (imported.exit != 0)
        error = "unit import: " + imported.err;
    return imported.exit == 0;
}

bool Fleet::Start(std::string& error) {
    // Each radio holds its terminal, the terminal's other end and a wake pipe: 1024 for 256.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = std::min<rlim_t>(files.rlim_max, 8 * kUsualFiles);
    setrlimit(RLIMIT_NOFILE, &files);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", scratch_.path());
    env.insert("XDG_DATA_HOME", scratch_.filePath("data"));
    env.insert("XDG_CONFIG_HOME", scratch_.filePath("config"));
    for (const QString& entry : env.toStringList())
        environment_.push_back(entry.toStdString());
    std::vector<std::string> devices;
    for (int i = 0; i < kUnits; ++i) {
        radios_.push_back(std::make_unique<sim::VirtualRadio>(
            sim::VirtualRadio::DefaultImage(), sim::RadioBehaviour{.pace = true, .paceGroup = 8}));
        if (!radios_.back()->Start(&error))
            return false;
        devices.push_back(radios_.back()->DevicePath());
    }
    for (std::size_t first = 0; first < devices.size(); first += kUnitsAServer) {
        servers_.push_back(std::make_unique<testing::Ser2Net>());
        const std::vector<std::string> served(
            devices.begin() + static_cast<long>(first),
            devices.begin() + static_cast<long>(first + kUnitsAServer));
        if (!servers_.back()->Start(served, true, error))
            return false;
    }
    // Plan A is what the radios hold; plan B changes a channel, for the units brought into line.
    MemoryImage changed = sim::VirtualRadio::DefaultImage();
    const FrequencyLimits limits{223.0, 235.0};
    DecodedImage decoded = DecodeAsShown(changed, DecodeSource::FromFile, limits);
    decoded.table[0][1] = "231.000";
    EncodeImage(decoded.table, decoded.settings, changed);
    const std::string held = scratch_.filePath("held.dat").toStdString();
    const std::string other = scratch_.filePath("changed.dat").toStdString();
    if (!WriteFileAtomically(held, ChannelFileBytes(sim::VirtualRadio::DefaultImage()), error) ||
        !WriteFileAtomically(other, ChannelFileBytes(changed), error) ||
        !WriteFileAtomically(scratch_.filePath("orvel.ini").toStdString(), std::string("[Set]\n"),
                             error)) {
        return false;
    }
    for (const auto& [file, name] : {std::pair{held, "A"}, std::pair{other, "B"}}) {
        const Child added = Run({"plan", "add", file, "--name", name});
        if (added.exit != 0) {
            error = "plan add: " + added.err;
            return false;
        }
    }
    return Import("units.csv", "A", kUnits, error);
}

void Line(const char* name, double wall, const char* against, double floor, double target,
          int runs) {
    std::printf("%-34s %7.3f s  %-9s %6.3f s  ratio %5.2f  target <= %4.2f  (%d runs)\n", name,
                wall, against, floor, wall / floor, target, runs);
}

}  // namespace

bool BenchFleetScale(int runs) {
    if (!testing::Ser2Net::Available()) {
        std::printf("fleet of 256: skipped, ser2net is not installed (scripts/bootstrap)\n");
        return true;
    }
    Fleet fleet;
    std::string error;
    if (!fleet.Start(error)) {
        std::fprintf(stderr, "fleet of 256: %s\n", error.c_str());
        return false;
    }
    bool ok = true;
    auto run = [&](const std::vector<std::string>& arguments, int exit) {
        Child child = fleet.Run(arguments);
        if (child.exit != exit) {
            std::fprintf(stderr, "orvelctl fleet %s: exit %d\n%s", arguments[1].c_str(), child.exit,
                         child.err.substr(0, 2000).c_str());
            ok = false;
        }
        return child;
    };
    double one = 0;
    double all = 0;
    double rounds = 0;
    double fleetSide = 0;
    Child widest;
    for (int i = 0; i < runs; ++i) {
        one += run({"fleet", "status", "--unit", "F-000"}, 0).wall / runs;
        const double before = fleet.FleetCpu();
        const Child child = run({"fleet", "status", "--all", "--jobs", "256"}, 0);
        fleetSide += (fleet.FleetCpu() - before) / runs;
        all += child.wall / runs;
        widest.cpu += child.cpu / runs;
        widest.peakKb = std::max(widest.peakKb, child.peakKb);
        widest.peakFiles = std::max(widest.peakFiles, child.peakFiles);
        widest.peakThreads = std::max(widest.peakThreads, child.peakThreads);
        rounds += run({"fleet", "status", "--all", "--jobs", "32"}, 0).wall / runs;
    }
    Line("fleet status 256 units, --jobs 256", all, "one unit", one, 2.0, runs);
    Line("fleet status 256 units, --jobs 32", rounds, "8 reads", 8 * one, 1.2, runs);
    std::printf("%-34s %7.1f MB  target 200.0 MB  ratio %5.2f\n", "fleet status 256, peak memory",
                static_cast<double>(widest.peakKb) / 1024,
                static_cast<double>(widest.peakKb) / 1024 / 200);
    std::printf("%-34s %7.2f ms of CPU a unit, %.0f %% of one core over the run\n",
                "fleet status 256, cpu per unit", 1000 * widest.cpu / kUnits,
                100 * widest.cpu / all);
    // On a bench machine the 256 radios and their server share the cores with the program,
    // which a utility's fleet does not: when together they fill the cores, the machine is
    // what the ratio above measures.
    const double cores = static_cast<double>(std::max(1u, std::thread::hardware_concurrency()));
    std::printf(
        "%-34s %7.2f s of CPU for the radios and ser2net, %.2f s for orvelctl: %.0f %% of "
        "%.0f cores over the run\n",
        "fleet status 256, the fleet's side", fleetSide, widest.cpu,
        100 * (fleetSide + widest.cpu) / (all * cores), cores);
    std::printf("%-34s %7d     limit %d  ratio %5.2f  threads at most %d\n",
                "fleet status 256, descriptors", widest.peakFiles, int(kUsualFiles),
                static_cast<double>(widest.peakFiles) / double(kUsualFiles), widest.peakThreads);

    // Plan B for the first 64: each differs by a channel until written, then holds it again.
    if (!fleet.Import("differing.csv", "B", kDiffering, error)) {
        std::fprintf(stderr, "fleet of 256: %s\n", error.c_str());
        return false;
    }
    double write = 0;
    double writes = 0;
    for (int i = 0; i < runs; ++i) {
        fleet.HoldDefault(0, kDiffering);
        writes += run({"fleet", "apply", "--plan", "B", "--jobs", "64"}, 0).wall / runs;
        fleet.HoldDefault(0, 1);
        write += run({"fleet", "apply", "--unit", "F-000"}, 0).wall / runs;
    }
    Line("fleet apply 64 units that differ", writes, "one unit", write, 2.0, runs);
    return ok;
}

}  // namespace orvel::bench
