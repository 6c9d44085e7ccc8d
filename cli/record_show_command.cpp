// orvelctl record show: one record whole, and what its write changed on the radio.
#include <nlohmann/json.hpp>

#include "diff_command.h"
#include "record_commands.h"
#include "record_view.h"

namespace orvel::cli {

int RunRecordShow(const QStringList& arguments, Context& c) {
    const CommandInfo info{kRecordSynopsis,
                           "",
                           {ValueOption("format", "FORMAT"), ValueOption("record", "URL"),
                            ValueOption("config", "INI")},
                           1,
                           "one record ID",
                           false};
    QCommandLineParser parser;
    if (int code = Prepare(parser, info, arguments, c); code >= 0)
        return code;
    Format format;
    if (!ParseFormat(parser, false, format)) {
        c.err << "orvelctl: --format takes text or json\n" << kRecordSynopsis << std::flush;
        return kExitUsage;
    }
    RecordSettings settings;
    Configuration config;
    if (int code = ReadRecordPlace(parser, settings, config, c); code >= 0)
        return code;
    std::unique_ptr<RecordStore> store;
    if (int code = OpenRecordsToRead(settings, store, c); code >= 0)
        return code;
    ProgrammingRecord record;
    const std::string id = parser.positionalArguments().front().toStdString();
    if (const Status found = store->Find(id).Into(record); !found)
        return Fail(c, kExitData, store->Name() + ": " + found.error());
    std::vector<ConfigDifference> differences;
    const bool both = record.before && record.after;
    if (both) {
        differences =
            CompareConfigurations(Compared(*record.before, DecodeSource::FromRadio, Limits(config)),
                                  Compared(*record.after, DecodeSource::FromRadio, Limits(config)));
    }
    if (format == Format::Json) {
        nlohmann::ordered_json shown = nlohmann::ordered_json::parse(RecordsJson({record}))[0];
        shown["differences"] =
            both ? nlohmann::ordered_json::parse(DifferencesJson(differences))["differences"]
                 : nlohmann::ordered_json(nullptr);
        c.out << JsonText(shown) << std::flush;
        return kExitOk;
    }
    c.out << RecordText(record);
    if (!both) {
        c.out << "changes: not known (the radio was not read both before and after)\n";
    } else if (differences.empty()) {
        c.out << "changes: none\n";
    } else {
        c.out << "changes (before -> after):\n";
        PrintDifferences(c.out, Format::Text, differences);
    }
    c.out.flush();
    return kExitOk;
}

}  // namespace orvel::cli
