// orvelctl plan: the plan library, where a configuration is kept by name and every change of it
// is a new version that is never altered.
#include "command_list.h"
#include "echo_text.h"
#include "plan_commands.h"
#include "record_commands.h"

namespace orvel::cli {

const char* const kPlanSynopsis =
    "usage: orvelctl plan add FILE [--name NAME] [--note TEXT] [--operator NAME]\n"
    "                         [--record URL] [--config INI]\n"
    "       orvelctl plan list [--format text|json|csv] [--record URL] [--config INI]\n"
    "       orvelctl plan show NAME[@VERSION] [--format text|json|csv] [--record URL]\n"
    "                          [--config INI]\n"
    "       orvelctl plan get NAME[@VERSION] --out FILE.dat [--record URL] [--config INI]\n";

const char* const kLibraryHelp =
    "  --operator NAME  add, assign, import: who does it (default: Operator= of the INI, else\n"
    "                  the system user)\n"
    "  --record URL    the library of this PostgreSQL database,\n"
    "                  postgresql://USER@HOST:PORT/DATABASE (default: Record= of the INI,\n"
    "                  else records.sqlite beside the safety copies); the password comes\n"
    "                  from ~/.pgpass, PGPASSFILE or PGPASSWORD only\n"
    "  --config INI    the INI whose Record= names the database, and Station= the bench\n";

namespace {

constexpr const char* kPlanDetails =
    "The plan library: configurations kept by name, each change of one a new version (1, 2,\n"
    "...) that is never changed or deleted. It is kept with the programming records\n"
    "(records.sqlite, or the PostgreSQL database of Record= or --record), so the benches that\n"
    "share a database share the plans. Units are assigned plans with 'orvelctl unit', and\n"
    "'orvelctl write --assigned' writes each unit its plan.\n\n"
    "  add FILE        keep the 260 bytes a write of FILE (.dat, .json or .csv) sends, their\n"
    "                  SHA-256, who (--operator), where (Station= of the INI) and when, as the\n"
    "                  next version of the name: prints NAME@VERSION<TAB>added<TAB>SHA256, or\n"
    "                  NAME@VERSION<TAB>unchanged<TAB>SHA256 when the newest version holds\n"
    "                  these bytes already (nothing is added; exit 0)\n"
    "  list            each plan: NAME<TAB>NEWEST VERSION<TAB>UNITS ASSIGNED<TAB>UNITS HOLDING\n"
    "                  IT (their latest verified write is its newest version)<TAB>ADDED (UTC)\n"
    "                  <TAB>SHA256\n"
    "  show NAME[@V]   a version (NAME alone: the newest): its SHA-256, who added it where\n"
    "                  and when, its note, its channels and settings as 'orvelctl show' prints\n"
    "                  them, and what changed from the version before as 'orvelctl diff'\n"
    "                  prints it\n"
    "  get NAME[@V]    write the version as a channel file (--out FILE.dat, replaced whole as\n"
    "                  'read --out' replaces it) and print NAME@VERSION<TAB>SHA256\n\n"
    "  --name NAME     add: the plan's name (default: FILE's name without its extension); at\n"
    "                  most 200 bytes, no control characters, no @\n"
    "  --note TEXT     add: a note kept with the version\n"
    "  --format F      list and show: text (default), json or csv (show: the channel table)\n"
    "  --out FILE.dat  get: the channel file to write\n"
    "A plan's bytes are checked against their SHA-256 whenever they are taken from the store:\n"
    "a version whose bytes do not match is refused with a line (exit 3) and never written to a\n"
    "radio. Exit codes: 2 when the server cannot be reached, 3 for a name or version the\n"
    "library does not have, or a file that cannot be read or written.\n";

}  // namespace

int RunPlan(const QStringList& arguments, Context& c) {
    const QString sub = arguments.size() >= 2 ? arguments[1] : QString();
    const QStringList rest = arguments.mid(1);
    if (sub == QLatin1String("add"))
        return RunPlanAdd(rest, c);
    if (sub == QLatin1String("list"))
        return RunPlanList(rest, c);
    if (sub == QLatin1String("show"))
        return RunPlanShow(rest, c);
    if (sub == QLatin1String("get"))
        return RunPlanGet(rest, c);
    if (sub == QLatin1String("--help") || sub == QLatin1String("-h")) {
        c.out << kPlanSynopsis << '\n' << kPlanDetails << kLibraryHelp << std::flush;
        return kExitOk;
    }
    return LibraryUsage(c, kPlanSynopsis, "plan takes add, list, show or get");
}

// --- what the plan and unit commands share ----------------------------------------------------

int Library::Fail(Context& c, const std::string& error) const {
    return cli::Fail(c, kExitData, store->Name() + ": " + error);
}

std::vector<QCommandLineOption> LibraryOptions(bool change) {
    std::vector<QCommandLineOption> options{ValueOption("record", "URL"),
                                            ValueOption("config", "INI")};
    if (change)
        options.push_back(ValueOption("operator", "NAME"));
    return options;
}

int LibraryUsage(Context& c, const char* synopsis, const std::string& message) {
    c.err << "orvelctl: " << EchoMessage(message) << '\n' << synopsis << std::flush;
    return kExitUsage;
}

int PrepareLibraryCommand(QCommandLineParser& parser, const char* synopsis,
                          std::vector<QCommandLineOption> options, int positional,
                          const std::string& positionalNames, const QStringList& arguments,
                          Context& c) {
    const CommandInfo info{synopsis, "", std::move(options), positional, positionalNames, false};
    return Prepare(parser, info, arguments, c);
}

int OpenLibrary(const QCommandLineParser& parser, bool change, Library& library, Context& c) {
    if (int code = ReadRecordPlace(parser, library.settings, library.config, c); code >= 0)
        return code;
    const RecordPlace& place = library.settings.place;
    auto opened = change && !place.server ? RecordStore::OpenFile(place.localFile, true)
                                          : OpenRecordsForReading(place);
    if (const Status status = opened.Into(library.store); !status)
        return cli::Fail(c, place.server ? kExitLink : kExitData, status.error());
    return -1;
}

int FetchPlan(Library& library, const std::string& reference, PlanVersion& plan, Context& c) {
    PlanReference named;
    if (const Status parsed = ParsePlanReference(reference).Into(named); !parsed)
        return cli::Fail(c, kExitUsage, parsed.error());
    if (const Status got = library.store->Plan(named.name, named.version).Into(plan); !got)
        return library.Fail(c, got.error());
    // The store checks the row too; bytes that are not what their SHA-256 says never leave here.
    if (Sha256Hex(plan.image) != plan.sha256) {
        return library.Fail(c, "plan " + EchoText(PlanLabel(plan)) +
                                   ": its bytes do not match their SHA-256; it is not used");
    }
    return -1;
}

int PrepareNamedPlanCommand(QCommandLineParser& parser, QCommandLineOption own,
                            const QStringList& arguments, Context& c) {
    std::vector<QCommandLineOption> options = LibraryOptions(false);
    options.push_back(std::move(own));
    return PrepareLibraryCommand(parser, kPlanSynopsis, std::move(options), 1, "one NAME[@VERSION]",
                                 arguments, c);
}

int OpenNamedPlan(const QCommandLineParser& parser, Library& library, PlanVersion& plan,
                  Context& c) {
    const std::string reference = parser.positionalArguments().front().toStdString();
    // A reference that names no plan is the command line's fault, whatever the library holds.
    if (const auto named = ParsePlanReference(reference); !named)
        return LibraryUsage(c, kPlanSynopsis, named.error());
    if (int code = OpenLibrary(parser, false, library, c); code >= 0)
        return code;
    return FetchPlan(library, reference, plan, c);
}

}  // namespace orvel::cli
