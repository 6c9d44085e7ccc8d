// A status or an apply of many units at once, for orvelctl's fleet commands and the window's
// fleet dialog alike: each unit that has a port read (and, with an apply, written its plan),
// up to a number of connections at once, every read or write kept as the unit's record.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "configuration.h"
#include "exchanges.h"
#include "fleet_check.h"
#include "memory_image.h"
#include "plan_library.h"
#include "programming_record.h"
#include "record_settings.h"

namespace orvel {

// What became of a unit: its state, and with a write what the write did.
enum class UnitWrite { None, Written, Failed, WouldWrite };

enum class FleetAction { Check, Apply, DryRun };

struct UnitStatus {
    UnitAssignment unit;
    bool checked = false;  // false: a stop came before its turn
    FleetState state = FleetState::NoPlan;
    UnitWrite write = UnitWrite::None;
    std::string plan;    // the newest NAME@VERSION, or empty without a plan
    std::string holds;   // NAME@VERSION the radio held when read, or empty
    std::string reason;  // why it is unreachable, or why its write failed
    std::vector<ConfigDifference> differences;
    // Of an unreachable unit or a failed write: the class of the failure.
    ExitClass failure = ExitClass::Ok;
};

// "in plan", ..., or with a write "written", "failed", "would write".
std::string_view ResultWords(const UnitStatus& status);

struct FleetSelection {
    std::vector<UnitAssignment> units;  // in the library's order, or as they were named
    std::map<std::string, std::vector<PlanVersion>> plans;  // each plan's versions, oldest first
    int jobs = 32;
    // Each read also kept among the safety copies, as a read of one radio keeps it; by default
    // the record alone holds the bytes, and a fleet's reads do not push the bench's own
    // copies out of the folder.
    bool safetyCopies = false;
};

// What one radio is written: a file's configuration, or the plan its unit is assigned.
struct PlanToWrite {
    MemoryImage image{};
    WriteRequest request;
    std::string planFile;  // for the record: the file's name, or NAME@VERSION
};

// What a write of `version` sends here, checked: its bytes match their SHA-256, and the INI's
// frequency limits change no cell. Else false, and why in `reason`.
bool PlanWriteOf(const PlanVersion& version, const Configuration& config, PlanToWrite& plan,
                 std::string& reason);

struct FleetHooks {
    std::string program = "orvelctl";  // the records' program
    // Asked before each unit begins, from the worker threads: true begins no further unit. A
    // unit in progress, a write above all, always ends with its radio.
    std::function<bool()> cancelled;
    // Asked before each frame of a write: true stops the write there (a second Ctrl-C).
    std::function<bool()> stopWrite;
    // Each unit as it is done, in the calling thread.
    std::function<void(const UnitStatus&)> done;
    // A record kept elsewhere than meant (the outbox), or nowhere, and why: in the calling
    // thread.
    std::function<void(const std::string&)> recordLine;
};

// A unit's state as its latest record left it: judged from the bytes it read (a read, or a
// write's read-back), unreachable when it failed without any, no plan or no port from the
// assignment itself; nothing when it has no record yet.
std::optional<UnitStatus> LastSeen(const UnitAssignment& unit,
                                   const std::vector<PlanVersion>& versions,
                                   const std::optional<ProgrammingRecord>& latest,
                                   const Configuration& config);

// Reads every selected unit that has a port, `selection.jobs` at once, and judges each; with
// Apply a unit that is out of date or differs is written its plan's newest version there and
// then (verified; the read is the write's before image), with DryRun it is only said. Each
// unit's read, or its write, is kept as its record. Once `hooks.cancelled` says so no further
// unit begins; the units not begun stay unchecked.
std::vector<UnitStatus> CheckUnits(const FleetSelection& selection, const RecordSettings& settings,
                                   const Configuration& config, FleetAction action,
                                   const FleetHooks& hooks);

}  // namespace orvel
