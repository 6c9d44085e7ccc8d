// orvelctl read: the radio's configuration, printed and optionally kept as a channel file.
#include "command_list.h"

#include <filesystem>
#include <string>

#include "app_paths.h"
#include "channel_file.h"
#include "codec.h"
#include "file_access.h"
#include "outcome.h"
#include "radio_link.h"
#include "radio_operations.h"
#include "record_support.h"
#include "transfer.h"
#include "unit_labels.h"

namespace orvel::cli {

namespace {

// The read, its output and its --out file.
int ReadAndShow(const QCommandLineParser& parser, const Configuration& config,
                const std::string& outPath, Format format, Link& link, ReadOutcome& outcome,
                Context& c) {
    if (int code = OpenLink(parser, link, c); code >= 0)
        return code;
    const ExchangeHooks hooks = LogHooks(c.err, link);
    outcome = ReadRadioKeepingCopy(link.port, hooks);
    if (outcome.status != ReadStatus::Ok) {
        return LinkFail(c, link, DescribeReadFailure(outcome));
    }
    const DecodedImage decoded =
        DecodeAsShown(outcome.image, DecodeSource::FromRadio, Limits(config), RadioSettings{});
    c.out << Render(format, outcome.image, decoded) << std::flush;
    std::string error;
    if (!outPath.empty() && !WriteFileAtomically(outPath, ChannelFileBytes(outcome.image), error)) {
        return Fail(c, kExitData, outPath + ": " + error);
    }
    if (!outcome.checksumOk) {
        return Fail(c, kExitData,
                    link.name + ": checksum " + Hex({outcome.image[layout::kChecksum]}) +
                        ", computed " + Hex({ImageChecksum(outcome.image)}));
    }
    return kExitOk;
}

}  // namespace

int RunRead(const QStringList& arguments, Context& c) {
    const CommandInfo info{
        "usage: orvelctl read (--port DEV | --simulate) [--out FILE.dat] [--format text|json|csv]\n"
        "                     [--unit LABEL|ask] [--operator NAME] [--record URL]\n"
        "                     [--config INI] [--trace FILE]\n",
        "Reads the radio's configuration and prints it. With a checksum mismatch the data is\n"
        "still printed and the exit code is 3. The read becomes one programming record, with\n"
        "the bytes read and their SHA-256 (see 'orvelctl record --help').\n\n" +
            std::string(kPortHelp) +
            "  --out FILE.dat  also store the 260 bytes as received as a channel file\n"
            "  --format F      text (default), json or csv\n"
            "  --unit LABEL    the unit's label (its serial number) for the record; ask: read\n"
            "                  it from stdin\n" +
            kRecordHelp + kConfigHelp,
        {ValueOption("out", "FILE"), ValueOption("format", "FORMAT"), ValueOption("config", "INI"),
         ValueOption("unit", "LABEL"), ValueOption("operator", "NAME"),
         ValueOption("record", "URL")},
        0,
        "",
        true};
    QCommandLineParser parser;
    if (int code = Prepare(parser, info, arguments, c); code >= 0)
        return code;
    Format format;
    if (!ParseFormat(parser, true, format))
        return UsageError(c, info, "--format takes text, json or csv");
    const std::string outPath = Value(parser, "out");
    if (parser.isSet(QStringLiteral("out")) && KindOf(outPath) != FileKind::Dat) {
        return UsageError(c, info, "--out takes a .dat file, not '" + outPath + "'");
    }
    UnitLabels units;
    if (const std::string error = units.Read(parser); !error.empty())
        return UsageError(c, info, error);
    Configuration config;
    if (int code = LoadConfig(parser, config, c); code >= 0)
        return code;
    RecordSettings settings;
    if (int code = ReadRecordSettings(parser, config, settings, c); code >= 0)
        return code;
    // A device or a FIFO named by --out is refused before the radio is asked.
    if (std::string error; !outPath.empty() && !WritableTarget(outPath, error))
        return Fail(c, kExitData, outPath + ": " + error);
    const std::string shown =
        parser.isSet(QStringLiteral("simulate")) ? "virtual radio" : Value(parser, "port");
    std::string unit;
    if (!units.Next(unit, shown, 1, c.err))
        return Fail(c, kExitUsage, "no unit label was given; the radio is not read");
    const auto keeper = MakeKeeper(settings);
    ProgrammingRecord record = StartRadioRecord(settings, RecordAction::Read, shown, unit);
    if (!outPath.empty())
        record.planFile = std::filesystem::path(outPath).filename().string();
    Link link;
    ReadOutcome outcome;
    const int code = ReadAndShow(parser, config, outPath, format, link, outcome, c);
    RecordRead(record, outcome, link.port);
    EndRadioRecord(record, code, c.lastError, link.name);
    KeepRecord(keeper.get(), record, c.err);
    return code;
}

}  // namespace orvel::cli
