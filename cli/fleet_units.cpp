#include "fleet_units.h"

#include <QThread>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>

#include "assigned_plans.h"
#include "echo_text.h"
#include "outcome.h"
#include "port_name.h"
#include "radio_link.h"
#include "unit_claims.h"
#include "write_signals.h"

namespace orvel::cli {
namespace {

// Each a connection and its thread's wake-up descriptor: about 520 at 256, inside the usual
// 1024.
constexpr int kMostJobs = 256;

// One unit, done in a worker thread: its status and the record to keep.
struct UnitDone {
    std::size_t index = 0;
    UnitStatus status;
    ProgrammingRecord record;
};

struct UnitJob {
    const Library& library;
    FleetAction action;
    PollTiming timing;
};

// The plan's newest version written, and verified, over the link of the read; the read is the
// write's before image and its record gives way to the write's.
void WriteUnit(Link& link, const std::vector<PlanVersion>& versions, const ReadOutcome& read,
               const UnitJob& job, Context& c, UnitDone& done) {
    UnitStatus& status = done.status;
    if (job.action == FleetAction::DryRun) {
        status.write = UnitWrite::WouldWrite;
        return;
    }
    PlanToWrite plan;
    int code = PlanToWriteOf(versions.back(), job.library.config, plan, status.reason);
    if (code < 0) {
        ProgrammingRecord record = StartRadioRecord(job.library.settings, RecordAction::Write,
                                                    status.unit.port, status.unit.unit);
        record.planFile = plan.planFile;
        record.radioId = read.identity;
        record.before = read.image;
        code = WriteToRadio(link, plan.image, plan.request, WriteSteps{true, true}, c, record);
        status.reason = code == kExitOk ? std::string() : FailureReason(c.lastError, link.name);
        EndRadioRecord(record, code, status.reason, "");
        done.record = std::move(record);
    }
    status.write = code == kExitOk ? UnitWrite::Written : UnitWrite::Failed;
    status.exit = code;
}

// Without a safety copy of the read: the record keeps the bytes. The exchange's log lines are
// not shown; the unit's state says what came of it.
UnitDone DoUnit(const UnitAssignment& unit, const std::vector<PlanVersion>& versions,
                const UnitJob& job) {
    std::ostringstream log;
    Context c{log, log};
    UnitDone done;
    UnitStatus& status = done.status;
    status.unit = unit;
    status.plan = PlanLabel(versions.back());
    status.checked = true;
    done.record = StartRadioRecord(job.library.settings, RecordAction::Read, unit.port, unit.unit);
    Link link;
    link.timing = job.timing;
    int exit = OpenPort(unit.port, link, c);
    ReadOutcome read;
    if (exit < 0) {
        ExchangeHooks hooks;
        hooks.timing = job.timing;
        read = ReadRadio(link.port, hooks);
        if (read.status != ReadStatus::Ok)
            exit = LinkFail(c, link, DescribeReadFailure(read));
    }
    RecordRead(done.record, read, link.port);
    if (exit >= 0) {
        // The port as the unit names it; a device it stands for stays in the reason.
        status.reason = FailureReason(c.lastError, link.name == unit.port ? unit.port : "");
        EndRadioRecord(done.record, exit, status.reason, "");
        status.state = FleetState::Unreachable;
        status.exit = exit;
        return done;
    }
    EndRecord(done.record);
    const Configuration& config = job.library.config;
    const UnitJudgement judged = JudgeRead(read, versions, Limits(config), config.specialWord);
    status.state = judged.state;
    status.differences = judged.differences;
    if (judged.holds > 0)
        status.holds = versions.back().name + "@" + std::to_string(judged.holds);
    if (judged.state == FleetState::InPlan)
        return done;
    status.exit = kExitDiffer;
    if (job.action != FleetAction::Check)
        WriteUnit(link, versions, read, job, c, done);
    return done;
}

// A unit another run reads: neither read nor written here, and no record.
UnitDone Elsewhere(const UnitAssignment& unit, const std::vector<PlanVersion>& versions) {
    UnitDone done;
    done.status.unit = unit;
    done.status.plan = PlanLabel(versions.back());
    done.status.checked = true;
    done.status.state = FleetState::ClaimedElsewhere;
    return done;
}

}  // namespace

std::vector<QCommandLineOption> SelectionOptions() {
    return {ValueOption("site", "S"), ValueOption("plan", "NAME"), ValueOption("unit", "UNIT"),
            FlagOption("all"), ValueOption("jobs", "N")};
}

std::string SelectionProblem(const QCommandLineParser& parser) {
    const bool byUnit = parser.isSet(QStringLiteral("unit"));
    const bool filtered =
        parser.isSet(QStringLiteral("site")) || parser.isSet(QStringLiteral("plan"));
    const bool all = parser.isSet(QStringLiteral("all"));
    if (int(byUnit) + int(filtered) + int(all) != 1)
        return "choose the units: --site S and/or --plan NAME, --unit UNIT... or --all";
    for (const QString& unit : parser.values(QStringLiteral("unit"))) {
        if (unit.isEmpty())
            return "--unit needs a unit's label";
    }
    int jobs = 0;
    if (parser.isSet(QStringLiteral("jobs")) && !ParseNumber(parser, "jobs", 1, kMostJobs, jobs))
        return "--jobs takes a number of ports at once from 1 to " + std::to_string(kMostJobs);
    return {};
}

int SelectUnits(const QCommandLineParser& parser, Library& library, FleetSelection& selection,
                Context& c) {
    if (parser.isSet(QStringLiteral("jobs")))
        ParseNumber(parser, "jobs", 1, kMostJobs, selection.jobs);
    if (parser.isSet(QStringLiteral("unit"))) {
        std::set<std::string> named;
        for (const QString& value : parser.values(QStringLiteral("unit"))) {
            const std::string label = value.toStdString();
            if (!named.insert(label).second)
                continue;
            std::optional<UnitAssignment> assignment;
            if (const Status found = library.store->Unit(label).Into(assignment); !found)
                return library.Fail(c, found.error());
            selection.units.push_back(assignment.value_or(Assignment(label)));
        }
    } else if (const Status listed = library.store
                                         ->Units(parser.value(QStringLiteral("site")).toStdString(),
                                                 parser.value(QStringLiteral("plan")).toStdString())
                                         .Into(selection.units);
               !listed) {
        return library.Fail(c, listed.error());
    }
    for (const UnitAssignment& unit : selection.units) {
        if (unit.plan.empty() || selection.plans.contains(unit.plan))
            continue;
        std::vector<PlanVersion> versions;
        if (const Status got = library.store->PlanVersions(unit.plan).Into(versions); !got)
            return library.Fail(c, got.error());
        if (versions.empty())
            return library.Fail(c, "no plan is named " + EchoText(unit.plan));
        selection.plans.emplace(unit.plan, std::move(versions));
    }
    return -1;
}

std::vector<UnitStatus> CheckUnits(const FleetSelection& selection, const Library& library,
                                   FleetAction action,
                                   const std::function<void(const UnitStatus&)>& done, Context& c) {
    std::vector<UnitStatus> statuses(selection.units.size());
    // Units behind one port are done one after another; each port is one task.
    std::vector<std::vector<std::size_t>> toDo;
    std::map<std::string, std::size_t> taskOfPort;
    for (std::size_t i = 0; i < statuses.size(); ++i) {
        UnitStatus& status = statuses[i];
        status.unit = selection.units[i];
        const auto plan = selection.plans.find(status.unit.plan);
        if (plan != selection.plans.end() && !status.unit.port.empty()) {
            const auto [task, added] =
                taskOfPort.emplace(CanonicalDevice(status.unit.port), toDo.size());
            if (added)
                toDo.emplace_back();
            toDo[task->second].push_back(i);
            continue;
        }
        status.checked = true;
        status.state = plan == selection.plans.end() ? FleetState::NoPlan : FleetState::NoPort;
        if (plan != selection.plans.end())
            status.plan = PlanLabel(plan->second.back());
        status.exit = kExitData;
        done(status);
    }

    // Each unit is claimed in the store before its read: runs of other benches at the same
    // time leave it to this one, and this one leaves theirs.
    std::vector<std::string> order;
    for (const std::vector<std::size_t>& task : toDo) {
        for (const std::size_t index : task)
            order.push_back(selection.units[index].unit);
    }
    UnitClaims claims(library.settings.place, std::move(order), [&](const std::string& line) {
        c.err << "orvelctl: " << EscapeControls(line) << '\n' << std::flush;
    });
    const UnitJob job{library, action,
                      library.config.classicTiming ? PollTiming::Classic : PollTiming::Prompt};
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<UnitDone> finished;
    std::size_t ended = 0;
    std::atomic<std::size_t> next{0};
    const std::size_t workers = std::min(toDo.size(), std::size_t(selection.jobs));
    // Each port is made, used and destroyed inside its own thread.
    std::vector<std::unique_ptr<QThread>> threads;
    for (std::size_t w = 0; w < workers; ++w) {
        threads.emplace_back(QThread::create([&] {
            for (std::size_t k = next++; k < toDo.size(); k = next++) {
                for (const std::size_t index : toDo[k]) {
                    if (WriteSignals::Received() != 0)
                        break;
                    const UnitAssignment& unit = selection.units[index];
                    const std::vector<PlanVersion>& versions = selection.plans.at(unit.plan);
                    UnitDone one = claims.Take(unit.unit) ? DoUnit(unit, versions, job)
                                                          : Elsewhere(unit, versions);
                    one.index = index;
                    const std::lock_guard lock(mutex);
                    finished.push_back(std::move(one));
                    changed.notify_one();
                }
            }
            const std::lock_guard lock(mutex);
            ++ended;
            changed.notify_one();
        }));
        threads.back()->start();
    }
    // The records go to the store from this thread alone, over one connection; those done
    // while the last were kept go together, as one commit of the file rather than one each.
    const auto keeper = MakeKeeper(library.settings);
    for (;;) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return !finished.empty() || ended == workers; });
        if (finished.empty())
            break;
        std::deque<UnitDone> batch;
        batch.swap(finished);
        lock.unlock();
        std::vector<ProgrammingRecord> records;
        for (UnitDone& one : batch) {
            if (one.status.state != FleetState::ClaimedElsewhere)
                records.push_back(std::move(one.record));
        }
        KeepRecords(keeper.get(), records, c.err);
        for (UnitDone& one : batch) {
            statuses[one.index] = std::move(one.status);
            done(statuses[one.index]);
        }
    }
    for (const auto& thread : threads)
        thread->wait();
    return statuses;
}

}  // namespace orvel::cli
