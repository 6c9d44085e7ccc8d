#include "record_support.h"

#include <QFileInfo>
#include <optional>

#include "app_paths.h"
#include "echo_text.h"

namespace orvel::cli {

const char* const kRecordHelp =
    "  --operator NAME  who is at the bench, for the programming record (default: Operator=\n"
    "                  of the INI, else the system user)\n"
    "  --record URL    keep the programming record in a shared PostgreSQL database,\n"
    "                  postgresql://USER@HOST:PORT/DATABASE[?sslmode=require] (default:\n"
    "                  Record= of the INI, else records.sqlite beside the safety copies);\n"
    "                  the password comes from ~/.pgpass, PGPASSFILE or PGPASSWORD only\n";

std::vector<QCommandLineOption> RecordOptions() {
    return {ValueOption("operator", "NAME"), ValueOption("record", "URL")};
}

int ReadRecordSettings(const QCommandLineParser& parser, const Configuration& config,
                       RecordSettings& settings, Context& c) {
    const bool given = parser.isSet(QStringLiteral("record"));
    std::optional<std::string> url;
    if (given)
        url = parser.value(QStringLiteral("record")).toStdString();
    const std::string problem = RecordSettingsFromConfig(config, settings, url);
    settings.place.localFile = PathArgument(RecordFilePath());
    // optionNames() holds the options given; isSet would complain of one the command lacks.
    if (parser.optionNames().contains(QStringLiteral("operator"))) {
        settings.operatorName = parser.value(QStringLiteral("operator")).toStdString();
        if (settings.operatorName.empty())
            settings.operatorName = DefaultOperator();
    }
    if (!problem.empty()) {
        const std::string message = (given ? "--record: " : "Record= of the INI: ") + problem;
        return Fail(c, given ? kExitUsage : kExitData, message);
    }
    return -1;
}

ProgrammingRecord StartRadioRecord(const RecordSettings& settings, std::string_view action,
                                   const std::string& port, const std::string& unit) {
    ProgrammingRecord record = StartRecord("orvelctl", action);
    record.station = settings.station;
    record.operatorName = settings.operatorName;
    record.port = port;
    record.unit = unit;
    return record;
}

void EndRadioRecord(ProgrammingRecord& record, int exit, const std::string& message,
                    const std::string& device) {
    EndRecord(record);
    record.exitClass = ExitClass(exit);
    record.outcome = exit == kExitOk ? std::string("ok") : FailureReason(message, device);
}

std::unique_ptr<RecordKeeper> MakeKeeper(const RecordSettings& settings) {
    if (!settings.keep)
        return nullptr;
    return std::make_unique<RecordKeeper>(settings.place);
}

void KeepRecord(RecordKeeper* keeper, const ProgrammingRecord& record, std::ostream& err) {
    if (keeper == nullptr)
        return;
    if (const std::string line = keeper->Keep(record); !line.empty())
        // Whole: its start names the record, its end the reason.
        err << "orvelctl: " << EscapeControls(line) << '\n' << std::flush;
}

bool FindDone(const RecordSettings& settings, const std::string& unit,
              const std::string& planSha256, ProgrammingRecord& done, std::string& problem) {
    problem.clear();
    RecordFilter filter;
    filter.unit = unit;
    filter.planSha256 = planSha256;
    std::vector<RecordPlace> places{RecordPlace{settings.place.localFile, {}}};
    if (settings.place.server)
        places.insert(places.begin(), settings.place);
    for (const RecordPlace& place : places) {
        std::string error;
        const auto store = OpenRecordsForReading(place, error);
        std::vector<ProgrammingRecord> records;
        if (!store || !store->Query(filter, records, error)) {
            // A bench that has kept no record yet has none to find.
            if (!place.server && !QFileInfo::exists(QString::fromStdString(place.localFile)))
                continue;
            problem += (problem.empty() ? "" : "; ") + error;
            continue;
        }
        for (const ProgrammingRecord& record : records) {
            if (record.action == kActionWrite && record.verified && record.exitClass == "ok") {
                done = record;
                return true;
            }
        }
    }
    return false;
}

const char* ExitClass(int exit) {
    switch (exit) {
        case kExitOk:
            return "ok";
        case kExitLink:
            return "communication";
        case kExitPort:
            return "port";
        default:
            return "data";
    }
}

}  // namespace orvel::cli
