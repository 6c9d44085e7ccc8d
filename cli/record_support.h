// What the radio commands share for the programming record: where it goes (--record, INI
// Record=), who and where (--operator, INI Operator= and Station=), and one record per radio.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "command_support.h"
#include "programming_record.h"
#include "record_keeper.h"
#include "record_settings.h"

namespace orvel::cli {

extern const char* const kRecordHelp;
// --operator NAME and --record URL.
std::vector<QCommandLineOption> RecordOptions();

// From the command line and the INI. The exit code of a failure (reported), else -1.
int ReadRecordSettings(const QCommandLineParser& parser, const Configuration& config,
                       RecordSettings& settings, Context& c);

// A record of `action` on `port` (as the user named it), started now.
ProgrammingRecord StartRadioRecord(const RecordSettings& settings, RecordAction action,
                                   const std::string& port, const std::string& unit = {});
// The outcome from the command's exit code and its message (without the port's name).
void EndRadioRecord(ProgrammingRecord& record, int exit, const std::string& message,
                    const std::string& device);
// Keeps the record (nothing without a keeper); a line on err when it went elsewhere or nowhere.
void KeepRecord(RecordKeeper* keeper, const ProgrammingRecord& record, std::ostream& err);
// The same for several at once, in one commit where it can.
void KeepRecords(RecordKeeper* keeper, const std::vector<ProgrammingRecord>& records,
                 std::ostream& err);
std::unique_ptr<RecordKeeper> MakeKeeper(const RecordSettings& settings);

// The class of an exit code (--format json names it), and the exit code of a class.
ExitClass ClassOfExit(int exit);
int ExitCodeOf(ExitClass exitClass);

}  // namespace orvel::cli
