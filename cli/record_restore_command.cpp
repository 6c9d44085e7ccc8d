// orvelctl record restore: the configuration a record saw on a radio, written back to one.
#include "codec.h"
#include "echo_text.h"
#include "radio_link.h"
#include "record_commands.h"
#include "write_signals.h"

namespace orvel::cli {

int RunRecordRestore(const QStringList& arguments, Context& c) {
    CommandInfo info{kRecordSynopsis, "", {}, 1, "one record ID", true};
    for (const char* flag : {"before", "after"})
        info.options.push_back(FlagOption(flag));
    for (const QCommandLineOption& option : RecordOptions())
        info.options.push_back(option);
    info.options.push_back(ValueOption("config", "INI"));
    QCommandLineParser parser;
    if (int code = Prepare(parser, info, arguments, c); code >= 0)
        return code;
    const bool after = parser.isSet(QStringLiteral("after"));
    if (after && parser.isSet(QStringLiteral("before")))
        return UsageError(c, info, "give --before or --after, not both");
    RecordSettings settings;
    Configuration config;
    if (int code = ReadRecordPlace(parser, settings, config, c); code >= 0)
        return code;
    ProgrammingRecord kept;
    {
        std::unique_ptr<RecordStore> store;
        if (int code = OpenRecordsToRead(settings, store, c); code >= 0)
            return code;
        const std::string id = parser.positionalArguments().front().toStdString();
        if (const Status found = store->Find(id).Into(kept); !found)
            return Fail(c, kExitData, store->Name() + ": " + found.error());
    }
    const std::optional<MemoryImage>& image = after ? kept.after : kept.before;
    if (!image) {
        return Fail(c, kExitData,
                    "the record " + kept.id + " holds no image " +
                        (after ? "read after its write or read" : "read before its write") +
                        "; nothing is written");
    }
    // The image is the radio's own: decoded as a read decodes it, so the words go back as read.
    const DecodedImage decoded =
        DecodeAsShown(*image, DecodeSource::FromRadio, Limits(config), RadioSettings{});
    const WriteRequest request{decoded.table, decoded.settings, config.specialWord};
    const std::string shown =
        parser.isSet(QStringLiteral("simulate")) ? "virtual radio" : Value(parser, "port");
    const auto keeper = MakeKeeper(settings);
    ProgrammingRecord record = StartRadioRecord(settings, RecordAction::Write, shown, kept.unit);
    record.planFile = "restore of " + kept.id;
    Link link;
    int code = OpenLink(parser, link, c);
    if (code < 0) {
        const WriteSignals stopLater;
        code = WriteToRadio(link, *image, request, {true, true}, c, record);
    }
    EndRadioRecord(record, code, c.lastError, link.name);
    KeepRecord(keeper.get(), record, c.err);
    return WriteSignals::ExitCode(code);
}

}  // namespace orvel::cli
