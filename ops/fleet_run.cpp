#include "fleet_run.h"

#include <QThread>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "cell_rules.h"
#include "codec.h"
#include "echo_text.h"
#include "outcome.h"
#include "port_name.h"
#include "port_session.h"
#include "radio_operations.h"
#include "record_keeper.h"
#include "unit_claims.h"
#include "write_and_verify.h"

namespace orvel {
namespace {

// One unit, done in a worker thread: its status and the record to keep.
struct UnitDone {
    std::size_t index = 0;
    UnitStatus status;
    ProgrammingRecord record;
};

// What a read of the unit says against its plan's versions, in its status.
void Judge(const ReadOutcome& read, const std::vector<PlanVersion>& versions,
           const Configuration& config, UnitStatus& status) {
    const UnitJudgement judged = JudgeRead(
        read, versions, FrequencyLimits{config.minFreq, config.maxFreq}, config.specialWord);
    status.state = judged.state;
    status.differences = judged.differences;
    if (judged.holds > 0)
        status.holds = versions.back().name + "@" + std::to_string(judged.holds);
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

struct UnitJob {
    const RecordSettings& settings;
    const Configuration& config;
    FleetAction action;
    PollTiming timing;
    const FleetHooks& hooks;
    bool copies;
};

// The port a unit is reached through, and its name in messages.
struct UnitLink : PortSession {
    std::string name;
};

// A failure's message without the device's name in front, for a line that names it already.
std::string WithoutDevice(const std::string& message, const std::string& device) {
    const std::string lead = device + ": ";
    if (!device.empty() && message.starts_with(lead))
        return message.substr(lead.size());
    return message.empty() ? "failed" : message;
}

// An exchange that failed on a port whose device went away says so instead of what went
// missing.
std::string LinkFailure(const UnitLink& link, const std::string& what) {
    if (!link.port.LostReason().empty())
        return link.name + ": the port went away: " + link.port.LostReason();
    return link.name + ": " + what;
}

ProgrammingRecord StartUnitRecord(const UnitJob& job, RecordAction action,
                                  const UnitAssignment& unit) {
    ProgrammingRecord record = StartRecord(job.hooks.program, action);
    record.station = job.settings.station;
    record.operatorName = job.settings.operatorName;
    record.port = unit.port;
    record.unit = unit.unit;
    return record;
}

void EndUnitRecord(ProgrammingRecord& record, ExitClass ending, const std::string& reason) {
    EndRecord(record);
    record.exitClass = ending;
    record.outcome = ending == ExitClass::Ok ? std::string("ok") : WithoutDevice(reason, "");
}

// The plan written and verified over the link of the read; the why of a failure in `message`.
ExitClass WritePlan(UnitLink& link, const PlanToWrite& plan, const UnitJob& job,
                    ProgrammingRecord& record, std::string& message) {
    ExchangeHooks hooks;
    hooks.timing = job.timing;
    hooks.interrupted = job.hooks.stopWrite;
    record.planSha256 = Sha256Hex(WrittenImage(plan.image, plan.request));
    const WriteCheckOutcome outcome =
        WriteAndVerify(link.port, plan.image, plan.request, true, hooks);
    RecordWrite(record, outcome, plan.request, link.port);
    const std::string what = DescribeWriteOutcome(outcome, plan.request);
    switch (outcome.verdict) {
        case WriteVerdict::Written:
        case WriteVerdict::Verified:
            return ExitClass::Ok;
        case WriteVerdict::ReadBackFailed:
            message = LinkFailure(link, what);
            return ExitClass::Communication;
        case WriteVerdict::FolderHeld:
            message = what;
            return ExitClass::Data;
        case WriteVerdict::WriteFailed:
        case WriteVerdict::Mismatch:
        case WriteVerdict::BadChecksum:
            break;
    }
    // A connection or cable lost mid-write also says where the radio was left.
    message = link.name + ": " + record.outcome;
    return record.exitClass;
}

// The plan's newest version written, and verified, over the link of the read; the read is the
// write's before image and its record gives way to the write's.
void WriteUnit(UnitLink& link, const std::vector<PlanVersion>& versions, const ReadOutcome& read,
               const UnitJob& job, UnitDone& done) {
    UnitStatus& status = done.status;
    if (job.action == FleetAction::DryRun) {
        status.write = UnitWrite::WouldWrite;
        return;
    }
    PlanToWrite plan;
    ExitClass ending = ExitClass::Data;
    if (PlanWriteOf(versions.back(), job.config, plan, status.reason)) {
        ProgrammingRecord record = StartUnitRecord(job, RecordAction::Write, status.unit);
        record.planFile = plan.planFile;
        record.radioId = read.identity;
        record.before = read.image;
        std::string message;
        ending = WritePlan(link, plan, job, record, message);
        status.reason = ending == ExitClass::Ok ? std::string() : WithoutDevice(message, link.name);
        EndUnitRecord(record, ending, status.reason);
        done.record = std::move(record);
    }
    status.write = ending == ExitClass::Ok ? UnitWrite::Written : UnitWrite::Failed;
    status.failure = ending;
}

// The exchange's log lines are not shown; the unit's state says what came of it.
UnitDone DoUnit(const UnitAssignment& unit, const std::vector<PlanVersion>& versions,
                const UnitJob& job) {
    UnitDone done;
    UnitStatus& status = done.status;
    status.unit = unit;
    status.plan = PlanLabel(versions.back());
    status.checked = true;
    done.record = StartUnitRecord(job, RecordAction::Read, unit);
    UnitLink link;
    std::string message;
    ExitClass ending = ExitClass::Ok;
    const bool opened = link.port.OpenDevice(unit.port) == 1;
    link.name = link.port.DeviceName();
    ReadOutcome read;
    if (!opened) {
        message = link.port.LastOpenError();
        ending = ExitClass::Port;
    } else {
        ExchangeHooks hooks;
        hooks.timing = job.timing;
        read = job.copies ? ReadRadioKeepingCopy(link.port, hooks) : ReadRadio(link.port, hooks);
        if (read.status != ReadStatus::Ok) {
            message = LinkFailure(link, DescribeReadFailure(read));
            ending = ExitClass::Communication;
        }
    }
    RecordRead(done.record, read, link.port);
    if (ending != ExitClass::Ok) {
        // The port as the unit names it; a device it stands for stays in the reason.
        status.reason = WithoutDevice(message, link.name == unit.port ? unit.port : "");
        EndUnitRecord(done.record, ending, status.reason);
        status.state = FleetState::Unreachable;
        status.failure = ending;
        return done;
    }
    EndRecord(done.record);
    Judge(read, versions, job.config, status);
    if (status.state == FleetState::InPlan)
        return done;
    if (job.action != FleetAction::Check)
        WriteUnit(link, versions, read, job, done);
    return done;
}

bool Cancelled(const FleetHooks& hooks) {
    return hooks.cancelled && hooks.cancelled();
}

}  // namespace

std::string_view ResultWords(const UnitStatus& status) {
    switch (status.write) {
        case UnitWrite::Written:
            return "written";
        case UnitWrite::Failed:
            return "failed";
        case UnitWrite::WouldWrite:
            return "would write";
        case UnitWrite::None:
            break;
    }
    return FleetStateWords(status.state);
}

bool PlanWriteOf(const PlanVersion& version, const Configuration& config, PlanToWrite& plan,
                 std::string& reason) {
    plan.image = version.image;
    const DecodedImage decoded = DecodeAsShown(version.image, DecodeSource::FromFile,
                                               FrequencyLimits{config.minFreq, config.maxFreq});
    plan.request = WriteRequest{decoded.table, decoded.settings, config.specialWord};
    plan.planFile = PlanLabel(version);
    // The store checks the row; what a write sends is checked here: a bench whose frequency
    // limits would change a cell must not write something else under the plan's name.
    if (Sha256Hex(version.image) != version.sha256 ||
        Sha256Hex(WrittenImage(plan.image, plan.request)) != version.sha256) {
        reason = "plan " + EchoText(plan.planFile) +
                 ": a write here would not send the bytes of its SHA-256 (the frequency limits, "
                 "Min= and Max= of the INI?)";
        return false;
    }
    return true;
}

std::optional<UnitStatus> LastSeen(const UnitAssignment& unit,
                                   const std::vector<PlanVersion>& versions,
                                   const std::optional<ProgrammingRecord>& latest,
                                   const Configuration& config) {
    UnitStatus status;
    status.unit = unit;
    status.checked = true;
    if (!versions.empty())
        status.plan = PlanLabel(versions.back());
    if (versions.empty() || unit.port.empty()) {
        status.state = versions.empty() ? FleetState::NoPlan : FleetState::NoPort;
        return status;
    }
    if (!latest)
        return std::nullopt;
    if (!latest->after) {
        if (latest->exitClass == ExitClass::Ok)
            return std::nullopt;
        status.state = FleetState::Unreachable;
        status.failure = latest->exitClass;
        status.reason = latest->outcome;
        return status;
    }
    ReadOutcome read;
    read.status = ReadStatus::Ok;
    read.image = *latest->after;
    read.checksumOk = ImageChecksum(read.image) == read.image[layout::kChecksum];
    read.received = read.image.size();
    Judge(read, versions, config, status);
    return status;
}

std::vector<UnitStatus> CheckUnits(const FleetSelection& selection, const RecordSettings& settings,
                                   const Configuration& config, FleetAction action,
                                   const FleetHooks& hooks) {
    const auto done = [&hooks](const UnitStatus& status) {
        if (hooks.done)
            hooks.done(status);
    };
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
        done(status);
    }

    // Each unit is claimed in the store before its read: runs of other benches at the same
    // time leave it to this one, and this one leaves theirs.
    std::vector<std::string> order;
    for (const std::vector<std::size_t>& task : settings.keep ? toDo : decltype(toDo){}) {
        for (const std::size_t index : task)
            order.push_back(selection.units[index].unit);
    }
    UnitClaims claims(settings.place, std::move(order), [&hooks](const std::string& line) {
        if (hooks.recordLine)
            hooks.recordLine(line);
    });
    const UnitJob job{settings, config,
                      action,   config.classicTiming ? PollTiming::Classic : PollTiming::Prompt,
                      hooks,    selection.safetyCopies};
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<UnitDone> finished;
    std::size_t ended = 0;
    std::atomic<std::size_t> next{0};
    const std::size_t workers = std::min(toDo.size(), std::size_t(std::max(selection.jobs, 1)));
    // Each port is made, used and destroyed inside its own thread.
    std::vector<std::unique_ptr<QThread>> threads;
    for (std::size_t w = 0; w < workers; ++w) {
        threads.emplace_back(QThread::create([&] {
            for (std::size_t k = next++; k < toDo.size(); k = next++) {
                for (const std::size_t index : toDo[k]) {
                    if (Cancelled(hooks))
                        break;
                    const UnitAssignment& unit = selection.units[index];
                    const std::vector<PlanVersion>& versions = selection.plans.at(unit.plan);
                    UnitDone one = !settings.keep || claims.Take(unit.unit)
                                       ? DoUnit(unit, versions, job)
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
    const auto keeper = settings.keep ? std::make_unique<RecordKeeper>(settings.place) : nullptr;
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
        if (keeper) {
            for (const std::string& line : keeper->KeepAll(records)) {
                if (hooks.recordLine)
                    hooks.recordLine(line);
            }
        }
        for (UnitDone& one : batch) {
            statuses[one.index] = std::move(one.status);
            done(statuses[one.index]);
        }
    }
    for (const auto& thread : threads)
        thread->wait();
    return statuses;
}

}  // namespace orvel
