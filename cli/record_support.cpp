#include "record_support.h"

#include <optional>

#include "app_paths.h"
#include "echo_text.h"

namespace orvel::cli {

const char* const kRecordHelp =
    "  --operator NAME  who is at the bench, for the programming record (default: Operator=\n"
    "                  of the INI, else the system user); a name or a unit label takes at\n"
    "                  most 200 bytes and no control characters\n"
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
    const Status read = RecordSettingsFromConfig(config, settings, url);
    settings.place.localFile = PathArgument(RecordFilePath());
    // optionNames() holds the options given; isSet would complain of one the command lacks.
    if (parser.optionNames().contains(QStringLiteral("operator"))) {
        settings.operatorName = parser.value(QStringLiteral("operator")).toStdString();
        if (const std::string fault = LabelFaultText(settings.operatorName); !fault.empty())
            return Fail(c, kExitUsage, "--operator " + fault);
        if (settings.operatorName.empty())
            settings.operatorName = DefaultOperator();
        std::erase(settings.unusedKeys, "Operator");
    }
    // As a bad Record= does, a bad name stops no script: the default stands in.
    for (const std::string& key : settings.unusedKeys) {
        const bool station = key == "Station";
        c.err << "orvelctl: " << key << "= of the INI "
              << LabelFaultText(station ? config.station : config.operatorName) << "; "
              << (station ? "the host name" : "the system user") << " stands in\n"
              << std::flush;
    }
    if (read) {
        if (settings.place.server) {
            if (const std::string warning = UnencryptedWarning(*settings.place.server);
                !warning.empty())
                c.err << "orvelctl: " << EchoMessage(warning) << '\n' << std::flush;
        }
        return -1;
    }
    if (given)
        return Fail(c, kExitUsage, "--record: " + read.error());
    // A slip in the window's settings must not stop every script: the bench's own file is
    // always there. The URL is not repeated, it may hold the password it must not carry.
    c.err << "orvelctl: Record= of the INI is not used (only this bench's own file is): "
          << EchoMessage(read.error()) << '\n'
          << std::flush;
    return -1;
}

ProgrammingRecord StartRadioRecord(const RecordSettings& settings, RecordAction action,
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
    record.exitClass = ClassOfExit(exit);
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

void KeepRecords(RecordKeeper* keeper, const std::vector<ProgrammingRecord>& records,
                 std::ostream& err) {
    if (keeper == nullptr)
        return;
    for (const std::string& line : keeper->KeepAll(records))
        err << "orvelctl: " << EscapeControls(line) << '\n' << std::flush;
}

ExitClass ClassOfExit(int exit) {
    return exit == kExitOk     ? ExitClass::Ok
           : exit == kExitLink ? ExitClass::Communication
           : exit == kExitPort ? ExitClass::Port
                               : ExitClass::Data;
}

int ExitCodeOf(ExitClass exitClass) {
    constexpr int kCodes[] = {kExitOk, kExitLink, kExitData, kExitPort};  // in ExitClass's order
    return kCodes[int(exitClass)];
}

}  // namespace orvel::cli
