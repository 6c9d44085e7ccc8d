// orvelctl plan and orvelctl unit: the plan library and what each unit should hold, kept in the
// records' store. One file per subcommand; this is what they share.
#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "command_support.h"
#include "plan_library.h"
#include "record_store.h"
#include "record_support.h"

namespace orvel::cli {

extern const char* const kPlanSynopsis;
extern const char* const kUnitSynopsis;
// --operator, --record and --config of the plan and unit commands.
extern const char* const kLibraryHelp;

int RunPlanAdd(const QStringList& arguments, Context& c);
int RunPlanList(const QStringList& arguments, Context& c);
int RunPlanShow(const QStringList& arguments, Context& c);
int RunPlanGet(const QStringList& arguments, Context& c);
int RunUnitAssign(const QStringList& arguments, Context& c);
int RunUnitImport(const QStringList& arguments, Context& c);
int RunUnitList(const QStringList& arguments, Context& c);
int RunUnitExport(const QStringList& arguments, Context& c);
int RunUnitShow(const QStringList& arguments, Context& c);

// The store of the records, where the library is kept, with the settings it was found by.
struct Library {
    RecordSettings settings;
    Configuration config;
    std::unique_ptr<RecordStore> store;

    // "STORE: reason" and the exit code 3.
    int Fail(Context& c, const std::string& error) const;
};

// --record, --config and for a change --operator: the options of every plan and unit command.
std::vector<QCommandLineOption> LibraryOptions(bool change);
// Parses the subcommand's arguments: the exit code when it is done already, else -1.
int PrepareLibraryCommand(QCommandLineParser& parser, const char* synopsis,
                          std::vector<QCommandLineOption> options, int positional,
                          const std::string& positionalNames, const QStringList& arguments,
                          Context& c);
// A usage error of a subcommand: the message and the synopsis.
int LibraryUsage(Context& c, const char* synopsis, const std::string& message);
// A change (`change`) makes the bench's own file where it is missing; a look does not. The
// exit code of a failure (2 for a server that cannot be reached), else -1.
int OpenLibrary(const QCommandLineParser& parser, bool change, Library& library, Context& c);

// The version `reference` (NAME or NAME@VERSION) names, checked: the exit code of a failure.
int FetchPlan(Library& library, const std::string& reference, PlanVersion& plan, Context& c);
// Why a unit cannot be assigned so (its label, the plan's name, the port, the site), or empty.
std::string AssignmentFault(const UnitAssignment& unit);
// Assigns `units` all or none, as the bench's operator, and prints UNIT<TAB>NAME@VERSION each.
int Assign(Library& library, std::vector<UnitAssignment>& units, Context& c);

// Parses a command on one NAME[@VERSION] that looks at the library, with its one option
// `own`: the exit code when it is done already, else -1.
int PrepareNamedPlanCommand(QCommandLineParser& parser, QCommandLineOption own,
                            const QStringList& arguments, Context& c);
// The library, and the plan the command's one argument names in it: the exit code of a failure.
int OpenNamedPlan(const QCommandLineParser& parser, Library& library, PlanVersion& plan,
                  Context& c);

}  // namespace orvel::cli
