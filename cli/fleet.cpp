#include "fleet.h"

#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "app_paths.h"
#include "commands.h"
#include "echo_text.h"
#include "port_kinds.h"
#include "port_probe.h"
#include "radio_operations.h"
#include "serial_port.h"
#include "write_signals.h"

namespace orvel::cli {

const char* const kFleetSynopsis =
    "       orvelctl write FILE --port DEV --port DEV ... [--verify] [--format text|json]\n"
    "       orvelctl write FILE --port DEV [--port DEV ...] --repeat [--count N] [--verify]\n"
    "                      [--unit ask | --unit-list FILE] [--skip-done]\n";

const std::string kFleetHelp =
    "\n"
    "Several radios at once: give --port once per radio. Each port runs the same write (and\n"
    "verify) on its own, all at the same time. Log lines go to stderr behind \"[DEV] \"; at the\n"
    "end stdout holds one line per port in the order given, \"DEV<TAB>ok\" or\n"
    "\"DEV<TAB>failed<TAB>REASON\". The exit code is the largest among the ports. The same port\n"
    "named twice is a usage error. Each port keeps its own safety copy, and --trace FILE\n"
    "gives each port its own file, the device's name before the extension\n"
    "(trace.txt, /dev/ttyUSB0: trace-ttyUSB0.txt; rfc2217://10.0.0.5:4001:\n"
    "trace-10.0.0.5-4001.txt). Network ports (" +
    NetworkPortForms(", ") +
    ")\n"
    "mix freely with local ones.\n"
    "  --format F      text (default) or json, an array of {\"port\", \"result\": \"ok\",\n"
    "                  \"communication\", \"data\" or \"port\", \"exit\", \"message\"}; also\n"
    "                  prints the result of a single port\n"
    "\n"
    "Production line: with --repeat each port waits for a radio that answers the identify\n"
    "command (asking every 0.5 s; a missing or vanished device is waited for too), writes\n"
    "it, prints \"N<TAB>IDENTITY<TAB>ok\" or \"N<TAB>IDENTITY<TAB>failed<TAB>REASON\" (behind\n"
    "\"DEV<TAB>\" with several ports), rings the terminal bell and waits until the radio stops\n"
    "answering before it waits for the next one. Ctrl-C, SIGTERM or SIGHUP ends the line\n"
    "after the radio in progress, never in the middle of a write. At the end stdout has\n"
    "\"radios: K ok, M failed\"; the exit code is 0 when none failed, otherwise the largest\n"
    "among the failures, and 130, 143 or 129 after a signal.\n"
    "  --repeat        write radio after radio\n"
    "  --count N       with --repeat: stop after N radios on each port (skipped units count)\n"
    "  --unit-list FILE  with --repeat on one port: the unit labels in order, one a line;\n"
    "                  the line ends when they are used up. --unit ask instead asks for each\n"
    "                  radio's label on stdin before it waits for the radio (a barcode\n"
    "                  scanner types like a keyboard); the end of stdin ends the line. The\n"
    "                  result line then carries the label: \"N<TAB>IDENTITY<TAB>UNIT<TAB>ok\"\n"
    "  --skip-done     read each labelled radio first and leave it alone when it already\n"
    "                  holds this plan (the words a verify compares, a good checksum):\n"
    "                  \"N<TAB>IDENTITY<TAB>UNIT<TAB>skipped<TAB>already holds this plan (read\n"
    "                  back)\", the read its unit's record; \"radios: ...\" counts them. A\n"
    "                  radio that cannot be read is not written\n";

namespace {

constexpr int kAskAgainMs = 500;
constexpr int kStopCheckMs = 50;
constexpr int kMostRadios = 1'000'000;

// --- output shared by the threads ------------------------------------------------------------

struct SharedStream {
    std::ostream& stream;
    std::mutex mutex;

    void Line(const std::string& text) {
        const std::lock_guard lock(mutex);
        stream << text << '\n' << std::flush;
    }
};

// Collects one thread's text and hands it on a whole line at a time, behind a prefix, so
// that lines of ports running side by side never mix.
class LineBuffer : public std::streambuf {
public:
    LineBuffer(SharedStream& sink, std::string prefix) : sink_(sink), prefix_(std::move(prefix)) {}
    ~LineBuffer() override {
        if (!line_.empty())
            sink_.Line(prefix_ + line_);
    }

protected:
    int_type overflow(int_type ch) override {
        if (traits_type::eq_int_type(ch, traits_type::eof()))
            return traits_type::not_eof(ch);
        const char c = traits_type::to_char_type(ch);
        if (c == '\n') {
            sink_.Line(prefix_ + line_);
            line_.clear();
        } else {
            line_ += c;
        }
        return ch;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        for (std::streamsize i = 0; i < count; ++i)
            overflow(traits_type::to_int_type(text[i]));
        return count;
    }

private:
    SharedStream& sink_;
    const std::string prefix_;
    std::string line_;
};

class LineStream : public std::ostream {
public:
    LineStream(SharedStream& sink, std::string prefix)
        : std::ostream(nullptr), buffer_(sink, std::move(prefix)) {
        rdbuf(&buffer_);
    }

private:
    LineBuffer buffer_;
};

// --- stopping a production line --------------------------------------------------------------

// Waits `milliseconds`; false as soon as a stop is asked for.
bool Rest(int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += kStopCheckMs) {
        if (WriteSignals::Received() != 0)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(kStopCheckMs));
    }
    return WriteSignals::Received() == 0;
}

// --- one port --------------------------------------------------------------------------------

struct Job {
    const FleetOptions& options;
    const PlanToWrite& file;
    UnitLabels& units;
};

struct PortResult {
    int exit = kExitOk;
    std::string reason;
};

PortResult WriteOnePort(const std::string& port, const std::string& tracePath, const Job& job,
                        std::ostream& log) {
    Context c{log, log};
    Link link;
    link.timing = job.options.timing;
    int code = tracePath.empty() ? -1 : OpenTrace(tracePath, link, c);
    if (code >= 0)
        return {code, FailureReason(c.lastError, "")};
    const auto keeper = MakeKeeper(job.options.record);
    ProgrammingRecord record = StartRadioRecord(job.options.record, RecordAction::Write, port);
    record.planFile = job.file.planFile;
    code = OpenPort(port, link, c);
    if (code < 0)
        code = WriteToRadio(link, job.file.image, job.file.request, job.options.steps, c, record);
    // The line names the port as given; a device it stands for (COM1: /dev/ttyS0) stays in.
    const std::string reason = FailureReason(c.lastError, link.name == port ? port : "");
    EndRadioRecord(record, code, reason, "");
    KeepRecord(keeper.get(), record, c.err);
    return {code, code == kExitOk ? std::string() : reason};
}

// --- one production line ---------------------------------------------------------------------

// The port is opened afresh whenever it is closed: a device that is missing now, or went away
// with the last radio, is simply not there yet.
bool Reopen(Link& link, const std::string& device) {
    return link.port.IsOpen() == 1 || link.port.OpenDevice(device) == 1;
}

// Asks for the radio's identification the way a read starts. The link check's "通信错误" is
// not logged: every half second it would bury the log.
LinkStatus Ask(Link& link, std::string* identity) {
    link.port.DiscardInput();
    link.port.PurgeOutput();
    ExchangeHooks hooks;
    hooks.timing = link.timing;
    return LinkCheck(link.port, hooks, identity);
}

enum class Presence { Radio, Stopped, Refused };

Presence WaitForRadio(Link& link, const std::string& device, std::string& identity, Context& c) {
    bool toldBadFormat = false;
    do {
        if (Reopen(link, device)) {
            const LinkStatus status = Ask(link, &identity);
            if (status == LinkStatus::Ok)
                return Presence::Radio;
            if (status == LinkStatus::BadFormat && !toldBadFormat) {
                LogLines(c.err, lines::kBadFormat);
                toldBadFormat = true;
            }
            // The device may have gone and come back as a new one under the same name.
            link.port.Close();
        } else if (link.port.LastOpenFailure() == OpenFailure::PermissionDenied) {
            Fail(c, kExitPort, link.port.LastOpenError());
            return Presence::Refused;
        }
    } while (Rest(kAskAgainMs));
    return Presence::Stopped;
}

// True once the radio stopped answering (or its device went away); false on a stop.
bool WaitForRemoval(Link& link, const std::string& device) {
    while (Rest(kAskAgainMs)) {
        if (!Reopen(link, device))
            return true;
        if (Ask(link, nullptr) != LinkStatus::Ok) {
            link.port.Close();
            return true;
        }
    }
    return false;
}

struct LineTotals {
    int ok = 0;
    int failed = 0;
    int skipped = 0;
    int exit = kExitOk;
};

bool UsedUp(const UnitLabels& units, const std::string& port, Context& c) {
    if (units.UsedUp())
        c.err << "orvelctl: " << EchoMessage(port) << ": the unit list is used up\n" << std::flush;
    return units.UsedUp();
}

enum class Check { Write, Skipped, Failed };

// With --skip-done the radio on the cable is read first: one that holds the plan is left
// alone, its read kept as its unit's record; what another held is the write's before image.
Check CheckDone(Link& link, const Job& job, const PlanToWrite& plan, const std::string& port,
                const std::string& unit, RecordKeeper* keeper, ProgrammingRecord& write, int& code,
                std::string& reason, Context& c) {
    if (!job.options.skipDone || unit.empty())
        return Check::Write;
    ProgrammingRecord read = StartRadioRecord(job.options.record, RecordAction::Read, port, unit);
    bool holds = false;
    const int failed = ReadHolding(link, plan.request, c, read, holds);
    code = failed < 0 ? kExitOk : failed;
    reason = FailureReason(c.lastError, link.name);
    EndRadioRecord(read, code, reason, "");
    if (failed >= 0 || holds) {
        KeepRecord(keeper, read, c.err);
        return holds ? Check::Skipped : Check::Failed;
    }
    write.before = read.after;
    return Check::Write;
}

LineTotals RunLine(const std::string& port, const std::string& tracePath, const Job& job,
                   SharedStream& out, bool tagged, std::ostream& log) {
    Context c{log, log};
    LineTotals totals;
    Link link;
    link.timing = job.options.timing;
    const std::string device = ResolvePortName(port);
    link.name = device;
    if (!tracePath.empty()) {
        if (const int code = OpenTrace(tracePath, link, c); code >= 0) {
            totals.exit = code;
            return totals;
        }
    }
    const auto keeper = MakeKeeper(job.options.record);
    const bool units = job.units.source() != UnitLabels::Source::None;
    const std::string lead = tagged ? EscapeControls(port) + "\t" : std::string();
    const int count = job.options.count;
    for (int number = 1; count == 0 || number <= count; ++number) {
        std::string unit;
        if (!job.units.Next(unit, port, number, c.err))
            break;
        // The unit's plan is known before its radio is waited for: one without a plan is said
        // at once, and the operator sets that radio aside.
        PlanToWrite assigned;
        if (job.options.assigned != nullptr) {
            std::string reason;
            if (const int code = job.options.assigned->For(unit, assigned, reason); code >= 0) {
                ++totals.failed;
                totals.exit = std::max(totals.exit, code);
                out.Line(lead + std::to_string(number) + "\t-\t" + EscapeControls(unit) +
                         "\tfailed\t" + reason);
                if (number == count || UsedUp(job.units, port, c))
                    break;
                continue;
            }
        }
        const PlanToWrite& plan = job.options.assigned != nullptr ? assigned : job.file;
        c.err << "orvelctl: " << EchoMessage(port) << ": waiting for a radio\n" << std::flush;
        std::string identity;
        const Presence presence = WaitForRadio(link, device, identity, c);
        if (presence == Presence::Refused)
            totals.exit = std::max(totals.exit, static_cast<int>(kExitPort));
        if (presence != Presence::Radio)
            break;
        c.err << "orvelctl: " << EchoMessage(port) << ": radio " << number << " (" << identity
              << ")\n"
              << std::flush;
        c.lastError.clear();
        ProgrammingRecord record =
            StartRadioRecord(job.options.record, RecordAction::Write, port, unit);
        record.planFile = plan.planFile;
        record.radioId = identity;
        std::string reason;
        int code = kExitOk;
        const Check check =
            CheckDone(link, job, plan, port, unit, keeper.get(), record, code, reason, c);
        if (check == Check::Write) {
            code = WriteToRadio(link, plan.image, plan.request, job.options.steps, c, record);
            reason = FailureReason(c.lastError, device);
            EndRadioRecord(record, code, reason, "");
            KeepRecord(keeper.get(), record, c.err);
        }
        std::string line = lead + std::to_string(number) + "\t" + identity + "\t" +
                           (units ? EscapeControls(unit) + "\t" : std::string());
        if (check == Check::Skipped) {
            ++totals.skipped;
            line += "skipped\talready holds this plan (read back)";
        } else if (code == kExitOk) {
            ++totals.ok;
            line += "ok";
        } else {
            ++totals.failed;
            totals.exit = std::max(totals.exit, code);
            line += "failed\t" + reason;
        }
        out.Line(line);
        c.err << '\a' << "orvelctl: " << EchoMessage(port) << ": radio " << number
              << (check == Check::Skipped ? " left as it is"
                  : code == kExitOk       ? " written"
                                          : " failed")
              << "; take it off the cable\n"
              << std::flush;
        if (number == count || UsedUp(job.units, port, c) || !WaitForRemoval(link, device))
            break;
    }
    if (job.options.assigned != nullptr)
        job.options.assigned->Close();
    if (WriteSignals::Received() != 0)
        c.err << "orvelctl: " << EchoMessage(port) << ": stopped\n" << std::flush;
    return totals;
}

}  // namespace

QList<QCommandLineOption> FleetCommandOptions() {
    return {QCommandLineOption(QStringLiteral("repeat"), QString()),
            QCommandLineOption(QStringLiteral("count"), QString(), QStringLiteral("N")),
            QCommandLineOption(QStringLiteral("format"), QString(), QStringLiteral("FORMAT"))};
}

bool IsFleetWrite(const QCommandLineParser& parser) {
    return parser.values(QStringLiteral("port")).size() > 1 ||
           parser.isSet(QStringLiteral("repeat")) || parser.isSet(QStringLiteral("count")) ||
           parser.isSet(QStringLiteral("format"));
}

std::string TracePathFor(const std::string& path, const std::string& device) {
    namespace fs = std::filesystem;
    const fs::path file(path);
    const std::string base = PortFileTag(device);
    return (file.parent_path() / (file.stem().string() + "-" + base + file.extension().string()))
        .string();
}

std::string ReadFleetOptions(const QCommandLineParser& parser, FleetOptions& options) {
    if (parser.isSet(QStringLiteral("simulate")))
        return "several radios and --repeat, --count, --format take --port DEV, not --simulate";
    options = FleetOptions{};
    options.steps.verify = parser.isSet(QStringLiteral("verify"));
    options.steps.readFirst = parser.isSet(QStringLiteral("read-first"));
    options.repeat = parser.isSet(QStringLiteral("repeat"));
    if (parser.isSet(QStringLiteral("count"))) {
        bool ok = false;
        options.count = parser.value(QStringLiteral("count")).toInt(&ok);
        if (!options.repeat)
            return "--count goes with --repeat";
        if (!ok || options.count < 1 || options.count > kMostRadios)
            return "--count takes a number of radios from 1 to " + std::to_string(kMostRadios);
    }
    const QString format = parser.value(QStringLiteral("format"));
    if (!format.isEmpty() && format != QLatin1String("text") && format != QLatin1String("json"))
        return "--format takes text or json";
    options.json = format == QLatin1String("json");
    if (options.json && options.repeat)
        return "--format json does not go with --repeat, which prints a line per radio";
    std::map<std::string, std::string> devices;
    std::map<std::string, std::string> traces;
    for (const QString& value : parser.values(QStringLiteral("port"))) {
        const std::string port = value.toStdString();
        if (port.empty())
            return "--port needs a device";
        // One port however it is written: COM1, 1 and /dev/ttyS0, a link and its target, a
        // server's port in either scheme.
        if (const auto [it, added] = devices.emplace(CanonicalDevice(port), port); !added) {
            return it->second == port ? "the port " + port + " is named twice"
                                      : it->second + " and " + port + " are the same port";
        }
        const std::string base = PortFileTag(port);
        if (const auto [it, added] = traces.emplace(base, port);
            !added && parser.isSet(QStringLiteral("trace"))) {
            return "--trace: " + it->second + " and " + port + " would share one trace file";
        }
        options.ports.push_back(port);
    }
    options.tracePath = PathArgument(parser.value(QStringLiteral("trace")));
    return {};
}

int RunFleet(FleetOptions& options, const PlanToWrite& file, Context& c) {
    SharedStream out{c.out, {}};
    SharedStream err{c.err, {}};
    const bool several = options.ports.size() > 1;
    const std::size_t n = options.ports.size();
    std::vector<std::unique_ptr<LineStream>> logs;
    std::vector<std::string> traces;
    for (const std::string& port : options.ports) {
        logs.push_back(
            std::make_unique<LineStream>(err, several ? "[" + EchoMessage(port) + "] " : ""));
        traces.push_back(several && !options.tracePath.empty()
                             ? TracePathFor(options.tracePath, port)
                             : options.tracePath);
    }
    const WriteSignals stopLater;
    const Job job{options, file, options.units};
    std::vector<PortResult> results(n);
    std::vector<LineTotals> totals(n);
    // Each port's serial port object is made, used and destroyed inside its own thread.
    std::vector<std::unique_ptr<QThread>> threads;
    for (std::size_t i = 0; i < n; ++i) {
        threads.emplace_back(QThread::create([&, i] {
            if (options.repeat) {
                totals[i] = RunLine(options.ports[i], traces[i], job, out, several, *logs[i]);
            } else {
                results[i] = WriteOnePort(options.ports[i], traces[i], job, *logs[i]);
            }
        }));
        threads.back()->start();
    }
    for (const auto& thread : threads)
        thread->wait();
    logs.clear();

    int exit = kExitOk;
    if (options.repeat) {
        LineTotals all;
        for (const LineTotals& line : totals) {
            all.ok += line.ok;
            all.failed += line.failed;
            all.skipped += line.skipped;
            exit = std::max(exit, line.exit);
        }
        out.Line("radios: " + std::to_string(all.ok) + " ok, " + std::to_string(all.failed) +
                 " failed" +
                 (options.skipDone ? ", " + std::to_string(all.skipped) + " skipped" : ""));
        return WriteSignals::ExitCode(exit);
    }
    for (const PortResult& result : results)
        exit = std::max(exit, result.exit);
    if (options.json) {
        nlohmann::ordered_json array = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < n; ++i) {
            array.push_back({{"port", options.ports[i]},
                             {"result", Text(ClassOfExit(results[i].exit))},
                             {"exit", results[i].exit},
                             {"message", results[i].reason}});
        }
        out.Line(array.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
        return WriteSignals::ExitCode(exit);
    }
    for (std::size_t i = 0; i < n; ++i) {
        out.Line(EscapeControls(options.ports[i]) + "\t" +
                 (results[i].exit == kExitOk ? "ok" : "failed\t" + results[i].reason));
    }
    return WriteSignals::ExitCode(exit);
}

}  // namespace orvel::cli
