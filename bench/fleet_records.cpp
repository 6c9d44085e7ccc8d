// The bookkeeping of a fleet status at 10 000 units, as orvelctl fleet does it in one thread:
// the selection and its plans from the store, each unit claimed, its read judged against its
// plan's versions and kept as its record. The radios are in process and answer at once, so
// nearly all of the time is the store's and the judging's.
#include "fleet_records.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "cell_rules.h"
#include "codec.h"
#include "fleet_check.h"
#include "outcome.h"
#include "port_session.h"
#include "radio_engine.h"
#include "record_keeper.h"
#include "record_store.h"
#include "unit_claims.h"

namespace orvel::bench {
namespace {

constexpr int kUnits = 10000;
constexpr int kPlans = 100;
constexpr FrequencyLimits kLimits{223.0, 235.0};

// Two versions a plan; the radios hold the newest of the even plans and neither of the odd
// ones', whose differences are then worked out in full.
bool Prepare(RecordStore& store) {
    MemoryImage other = sim::RadioEngine::DefaultImage();
    DecodedImage decoded = DecodeAsShown(other, DecodeSource::FromFile, kLimits);
    decoded.table[0][1] = "231.000";
    EncodeImage(decoded.table, decoded.settings, other);
    for (int p = 0; p < kPlans; ++p) {
        PlanVersion plan;
        plan.name = "FL-" + std::to_string(p);
        plan.image = StartupImage();
        if (!store.AddPlan(plan))
            return false;
        plan.image = p % 2 == 0 ? sim::RadioEngine::DefaultImage() : other;
        if (!store.AddPlan(plan))
            return false;
    }
    std::vector<UnitAssignment> units;
    for (int i = 0; i < kUnits; ++i) {
        units.push_back(Assignment("FL-U" + std::to_string(i), "FL-" + std::to_string(i % kPlans),
                                   "virtual radio", "fleet"));
    }
    return store.Assign(units).ok();
}

}  // namespace

bool BenchFleetRecords(const RecordPlace& place, const char* engine) {
    auto opened = OpenRecordsForReading(place);
    if (!opened || !Prepare(**opened)) {
        std::fprintf(stderr, "%s: the fleet's units were not assigned\n", engine);
        return false;
    }
    RecordStore& store = **opened;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Clock::duration radios{};
    std::vector<UnitAssignment> units;
    std::map<std::string, std::vector<PlanVersion>> plans;
    bool ok = store.Units("fleet", "").Into(units).ok() && units.size() == std::size_t(kUnits);
    for (const UnitAssignment& unit : units) {
        if (!plans.contains(unit.plan))
            ok &= store.PlanVersions(unit.plan).Into(plans[unit.plan]).ok();
    }
    RecordKeeper keeper(place);
    std::string said;
    // Each unit claimed before its read, as a fleet run claims them.
    std::vector<std::string> order;
    for (const UnitAssignment& unit : units)
        order.push_back(unit.unit);
    UnitClaims claims(place, std::move(order), [&](const std::string& line) { said += line; });
    ExchangeHooks hooks;
    hooks.pause = [](int) {};
    std::map<FleetState, int> states;
    for (const UnitAssignment& unit : units) {
        ok &= claims.Take(unit.unit);
        ProgrammingRecord record = StartRecord("orvel_bench", RecordAction::Read);
        record.station = "bench";
        record.operatorName = "bench";
        record.unit = unit.unit;
        record.port = unit.port;
        const Clock::time_point asked = Clock::now();
        PortSession session;
        session.AttachVirtualRadio(unit.port);
        ok &= session.port.OpenDevice(unit.port) == 1;
        const ReadOutcome read = ReadRadio(session.port, hooks);
        radios += Clock::now() - asked;
        RecordRead(record, read, session.port);
        EndRecord(record);
        ++states[JudgeRead(read, plans[unit.plan], kLimits, "").state];
        said += keeper.Keep(record);
    }
    const double perUnit =
        std::chrono::duration<double, std::milli>(Clock::now() - start).count() / kUnits;
    ok &= said.empty() && states[FleetState::InPlan] == kUnits / 2 &&
          states[FleetState::Differs] == kUnits / 2;
    std::printf("%-44s %8.2f ms  target %6.1f ms  ratio %5.2f  (the radios %.2f ms of it)\n",
                (std::string("fleet status of 10 000 units, ") + engine).c_str(), perUnit, 5.0,
                perUnit / 5.0, std::chrono::duration<double, std::milli>(radios).count() / kUnits);
    if (!ok)
        std::fprintf(stderr, "%s: the fleet's status failed %s\n", engine,
                     said.substr(0, 300).c_str());
    return ok && perUnit <= 5.0;
}

}  // namespace orvel::bench
