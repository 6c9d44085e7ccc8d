#include "record_support.h"

#include <QFileInfo>

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
    settings = RecordSettings{};
    settings.keep = RecordsAvailable();
    settings.place.localFile = PathArgument(RecordFilePath());
    settings.station = config.station.empty() ? DefaultStation() : config.station;
    // optionNames() holds the options given; isSet would complain of one the command lacks.
    settings.operatorName = parser.optionNames().contains(QStringLiteral("operator"))
                                ? parser.value(QStringLiteral("operator")).toStdString()
                                : config.operatorName;
    if (settings.operatorName.empty())
        settings.operatorName = DefaultOperator();
    const bool given = parser.isSet(QStringLiteral("record"));
    const std::string url =
        given ? parser.value(QStringLiteral("record")).toStdString() : config.recordUrl;
    if (url.empty())
        return -1;
    ServerAddress address;
    if (const std::string problem = ParseRecordUrl(url, address); !problem.empty()) {
        // The URL is not repeated: it might hold the very password it must not carry.
        const std::string message = (given ? "--record: " : "Record= of the INI: ") + problem;
        return Fail(c, given ? kExitUsage : kExitData, message);
    }
    settings.place.server = address;
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
