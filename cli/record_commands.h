// orvelctl record: the programming records, listed, shown, exported and sent on. One file per
// subcommand; this is what they share.
#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <memory>
#include <string>

#include "command_support.h"
#include "record_store.h"
#include "record_support.h"

namespace orvel::cli {

extern const char* const kRecordSynopsis;
extern const char* const kRecordPlaceHelp;

int RunRecordList(const QStringList& arguments, Context& c);
int RunRecordExport(const QStringList& arguments, Context& c);
int RunRecordShow(const QStringList& arguments, Context& c);
int RunRecordSync(const QStringList& arguments, Context& c);
int RunRecordRestore(const QStringList& arguments, Context& c);

// --record and --config, read after Prepare. The exit code of a failure, else -1.
int ReadRecordPlace(const QCommandLineParser& parser, RecordSettings& settings,
                    Configuration& config, Context& c);
// The store the records are read from; the exit code of a failure (2 for a server that cannot
// be reached, 3 for a file), else -1.
int OpenRecordsToRead(const RecordSettings& settings, std::unique_ptr<RecordStore>& store,
                      Context& c);

}  // namespace orvel::cli
