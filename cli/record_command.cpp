// orvelctl record: which radio got which plan, when, where and by whom.
#include "command_list.h"
#include "record_commands.h"

namespace orvel::cli {

const char* const kRecordSynopsis =
    "usage: orvelctl record list [--unit U] [--plan FILE|SHA] [--station S] [--since DATE]\n"
    "                            [--limit N] [--format text|json|csv] [--record URL]\n"
    "                            [--config INI]\n"
    "       orvelctl record show ID [--format text|json] [--record URL] [--config INI]\n"
    "       orvelctl record sync [--record URL] [--config INI]\n"
    "       orvelctl record export FILE.csv [list's filters] [--record URL] [--config INI]\n"
    "       orvelctl record restore ID [--before | --after] (--port DEV | --simulate)\n"
    "                               [--operator NAME] [--record URL] [--config INI]\n"
    "                               [--trace FILE]\n";

const char* const kRecordPlaceHelp =
    "  --record URL    read the records of this PostgreSQL database,\n"
    "                  postgresql://USER@HOST:PORT/DATABASE (default: Record= of the INI,\n"
    "                  else records.sqlite beside the safety copies); the password comes\n"
    "                  from ~/.pgpass, PGPASSFILE or PGPASSWORD only\n"
    "  --config INI    the INI whose Record= names the database\n";

namespace {

constexpr const char* kRecordDetails =
    "Every read and write of orvelctl (each radio of a fleet or a production line) keeps one\n"
    "programming record: its id (a UUID), start and end (UTC), the station (Station= of the\n"
    "INI, else the host name), the operator (--operator, Operator= of the INI, else the system\n"
    "user), the program and version, the port, the radio's identification where it was asked,\n"
    "the unit label, the plan's file name and the SHA-256 of the 260 bytes written (or read),\n"
    "the outcome as the log words it with its class (ok, communication, data, port), whether\n"
    "the verify passed, and the radio's bytes before (--read-first) and after (the verify's\n"
    "read-back, or a read) where they were read.\n"
    "Records go to records.sqlite beside the safety copies, or with Record= in the INI (or\n"
    "--record URL) to a PostgreSQL database that several benches share. When that server\n"
    "cannot be reached or refuses, the record waits in records.sqlite (the outbox) and is\n"
    "sent with the next record that reaches the server, or by 'record sync'; each once.\n"
    "After a connection to the server fails, a production line (or the window) leaves the\n"
    "server alone for 30 s, so a dead server costs one wait and not one per radio: its\n"
    "records meanwhile go to the outbox at once (\"not reached a moment ago\"), and the\n"
    "first one after the pause that reaches the server takes them along. 'record sync',\n"
    "from another terminal too, sends them at once.\n\n"
    "  list            the records, newest first: STARTED<TAB>ID<TAB>ACTION<TAB>UNIT<TAB>RADIO\n"
    "                  <TAB>PLAN<TAB>RESULT (ok, verified, or failed (CLASS): OUTCOME)\n"
    "  show ID         one record (ID or a unique start of it), and what the write changed:\n"
    "                  its before and after images compared as 'orvelctl diff' does; an ID\n"
    "                  no record has, or a start that several share, exits 3\n"
    "  sync            send what the outbox owes the server\n"
    "  export FILE.csv the records as CSV, the database's column names in the first row\n"
    "  restore ID      write the radio's configuration the record kept back to the radio of\n"
    "                  --port: the image read before its write (--before, the default) or\n"
    "                  after it (--after: the verify's read-back, or a read's image); read\n"
    "                  first and verified, and itself a record whose plan is \"restore of\n"
    "                  ID\". A record without that image is refused (exit 3), nothing written\n\n"
    "  --unit U        only the records of unit U\n"
    "  --plan FILE|SHA only those of this plan: the SHA-256 of its 260 bytes or a unique start\n"
    "                  of it (at least 8 hexadecimal digits); a .dat, .json or .csv file that\n"
    "                  exists, by its content (the SHA-256 'orvelctl show' prints for it); any\n"
    "                  other name matches the plan's file name\n"
    "  --station S     only those of station S\n"
    "  --since DATE    only those started on or after DATE (UTC): 2026-12-07 or\n"
    "                  2026-12-07T13:45; another form is a usage error (exit 1)\n"
    "  --limit N       list: only the newest N of them\n"
    "  --format F      list: text (default), json or csv; show: text or json\n"
    "Text shows each field with control characters written out (\\x1B, \\u009B); JSON and CSV\n"
    "give them as stored, but a CSV cell a spreadsheet would run as a formula (= + - @, a tab\n"
    "or CR first) starts with a ' (as '=HYPERLINK(...)).\n";

constexpr const char* kRestoreHelp =
    "  --before, --after  restore: which image of the record (default --before)\n"
    "  --operator NAME  restore: who is at the bench, for the restore's own record\n"
    "Restore's radio options:\n";

}  // namespace

int RunRecord(const QStringList& arguments, Context& c) {
    const QString sub = arguments.size() >= 2 ? arguments[1] : QString();
    const QStringList rest = arguments.mid(1);
    if (sub == QLatin1String("list"))
        return RunRecordList(rest, c);
    if (sub == QLatin1String("show"))
        return RunRecordShow(rest, c);
    if (sub == QLatin1String("sync"))
        return RunRecordSync(rest, c);
    if (sub == QLatin1String("export"))
        return RunRecordExport(rest, c);
    if (sub == QLatin1String("restore"))
        return RunRecordRestore(rest, c);
    if (sub == QLatin1String("--help") || sub == QLatin1String("-h")) {
        c.out << kRecordSynopsis << '\n'
              << kRecordDetails << kRecordPlaceHelp << kRestoreHelp << kPortHelp << std::flush;
        return kExitOk;
    }
    c.err << "orvelctl: record takes list, show, sync, export or restore\n"
          << kRecordSynopsis << std::flush;
    return kExitUsage;
}

int ReadRecordPlace(const QCommandLineParser& parser, RecordSettings& settings,
                    Configuration& config, Context& c) {
    if (int code = LoadConfig(parser, config, c); code >= 0)
        return code;
    if (int code = ReadRecordSettings(parser, config, settings, c); code >= 0)
        return code;
    if (!settings.keep)
        return Fail(c, kExitUsage, "this build keeps no programming records (it has no Qt SQL)");
    return -1;
}

int OpenRecordsToRead(const RecordSettings& settings, std::unique_ptr<RecordStore>& store,
                      Context& c) {
    if (const Status opened = OpenRecordsForReading(settings.place).Into(store); !opened)
        return Fail(c, settings.place.server ? kExitLink : kExitData, opened.error());
    return -1;
}

}  // namespace orvel::cli
