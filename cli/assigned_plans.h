// What `write --assigned` writes each unit: the plan the library assigns it, fetched once per
// run and kept, so a line whose server goes away still writes the units it has fetched.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "configuration.h"
#include "exchanges.h"
#include "fleet_run.h"
#include "memory_image.h"
#include "plan_library.h"
#include "record_keeper.h"
#include "record_store.h"

namespace orvel::cli {

// What a write of `version` sends here, checked (PlanWriteOf): else the exit code, and why in
// `reason`.
int PlanToWriteOf(const PlanVersion& version, const Configuration& config, PlanToWrite& plan,
                  std::string& reason);

class AssignedPlans {
public:
    AssignedPlans(RecordPlace place, Configuration config);
    ~AssignedPlans();

    // The unit's plan into `plan`, checked: its bytes match their SHA-256, and a write here
    // sends exactly them. Else the exit code, with the line that says why nothing is written.
    int For(const std::string& unit, PlanToWrite& plan, std::string& reason);
    // Fetches the plans of `units` now (a --unit-list), up to a library that cannot be reached,
    // then closes the store: a store belongs to the thread that opened it, and the line runs in
    // its own.
    void Fetch(const std::vector<std::string>& units);
    // Lets the store go, in the thread that used it; what was fetched stays.
    void Close() { store_.reset(); }

private:
    int Look(const std::string& unit, PlanToWrite& plan, std::string& reason);

    RecordPlace place_;
    Configuration config_;
    std::unique_ptr<RecordStore> store_;
    std::map<std::string, PlanToWrite> units_;
    std::map<std::string, PlanVersion> plans_;
};

}  // namespace orvel::cli
