// A write to several radios at once, one thread and one port each, and the production line
// that writes radio after radio as they are put on the cable.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <string>
#include <vector>

#include "assigned_plans.h"
#include "exchanges.h"
#include "memory_image.h"
#include "radio_link.h"
#include "record_support.h"
#include "unit_labels.h"

namespace orvel::cli {

extern const char* const kFleetSynopsis;
extern const std::string kFleetHelp;

// --repeat, --count and --format, which only a write to ports takes.
QList<QCommandLineOption> FleetCommandOptions();

struct FleetOptions {
    std::vector<std::string> ports;  // as the user named them, in order
    WriteSteps steps;
    bool repeat = false;
    int count = 0;  // radios per line; 0 = until stopped
    bool json = false;
    std::string tracePath;
    PollTiming timing = PollTiming::Prompt;
    RecordSettings record;
    UnitLabels units;  // with --repeat on one port
    bool skipDone = false;
    // With --assigned (one port): each unit's plan, in place of the file's.
    AssignedPlans* assigned = nullptr;
};

// True when the command line asks for more than one radio on one port: several --port,
// --repeat or --format. The write then goes through RunFleet.
bool IsFleetWrite(const QCommandLineParser& parser);

// The text of a usage error, or empty.
std::string ReadFleetOptions(const QCommandLineParser& parser, FleetOptions& options);

int RunFleet(FleetOptions& options, const PlanToWrite& file, Context& c);

// FILE with the device's base name before its extension: trace.txt, /dev/ttyUSB0 give
// trace-ttyUSB0.txt.
std::string TracePathFor(const std::string& path, const std::string& device);

}  // namespace orvel::cli
