// orvelctl record sync: what the outbox owes the shared database, sent now.
#include "record_commands.h"

namespace orvel::cli {

int RunRecordSync(const QStringList& arguments, Context& c) {
    const CommandInfo info{kRecordSynopsis,
                           "",
                           {ValueOption("record", "URL"), ValueOption("config", "INI")},
                           0,
                           "",
                           false};
    QCommandLineParser parser;
    if (int code = Prepare(parser, info, arguments, c); code >= 0)
        return code;
    RecordSettings settings;
    Configuration config;
    if (int code = ReadRecordPlace(parser, settings, config, c); code >= 0)
        return code;
    if (!settings.place.server) {
        return Fail(c, kExitUsage,
                    "record sync needs the server: Record= in the INI, or --record URL");
    }
    RecordKeeper keeper(settings.place);
    const RecordKeeper::SyncOutcome outcome = keeper.Sync();
    c.out << "sent " << outcome.sent << ", waiting " << outcome.left << '\n' << std::flush;
    if (!outcome.error.empty())
        return Fail(c, kExitLink, outcome.error);
    return kExitOk;
}

}  // namespace orvel::cli
