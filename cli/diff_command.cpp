#include "diff_command.h"

#include "app_paths.h"
#include "commands.h"
#include "image_diff.h"
#include "outcome.h"
#include "radio_link.h"
#include "radio_operations.h"
#include "transfer.h"

namespace orvel::cli {

ComparedConfiguration Compared(const MemoryImage& image, DecodeSource source,
                               const FrequencyLimits& limits) {
    const DecodedImage decoded = DecodeAsShown(image, source, limits);
    return {image, decoded.table, decoded.settings};
}

void PrintDifferences(std::ostream& out, Format format,
                      const std::vector<ConfigDifference>& differences) {
    if (format == Format::Json) {
        out << DifferencesJson(differences);
    } else {
        for (const ConfigDifference& difference : differences)
            out << DifferenceLine(difference) << '\n';
    }
    out.flush();
}

int RunDiff(const QStringList& arguments, Context& c) {
    const CommandInfo info{
        "usage: orvelctl diff A B [--config INI] [--format text|json]\n"
        "       orvelctl diff A (--port DEV | --simulate) [--config INI] [--format text|json]\n"
        "                       [--trace FILE]\n",
        "Compares two configurations, each a .dat, .json or .csv file or the radio (read as\n"
        "'read' does): the channel cells, the settings, then the header and spare bytes. Text\n"
        "gives one line per difference, e.g.\n"
        "  channel 3 rx: 226.000 -> 226.500\n"
        "  settings baudRate: 1 -> 3\n"
        "  header: 330681 -> 330682\n"
        "  spareA: byte 131 05 -> 07\n"
        "and nothing when they are equal. JSON: {\"equal\": false, \"differences\": [{\"where\":\n"
        "\"channel 3\", \"field\": \"rx\", \"a\": \"226.000\", \"b\": \"226.500\"}, ...]}.\n"
        "Exit 0 when equal, 5 when they differ; 1 usage, 2 communication, 3 data, 4 port.\n\n" +
            std::string(kPortHelp) + "  --format F      text (default) or json\n" + kConfigHelp,
        {ValueOption("format", "FORMAT"), ValueOption("config", "INI")},
        -1,
        "",
        true,
        true};
    QCommandLineParser parser;
    if (int code = Prepare(parser, info, arguments, c); code >= 0)
        return code;
    const QStringList files = parser.positionalArguments();
    const bool radio =
        parser.isSet(QStringLiteral("simulate")) || parser.isSet(QStringLiteral("port"));
    if (parser.isSet(QStringLiteral("simulate")) && parser.isSet(QStringLiteral("port")))
        return UsageError(c, info, "give --port or --simulate, not both");
    if (radio && files.size() != 1)
        return UsageError(c, info, "with the radio, diff expects one file A");
    if (!radio && files.size() != 2)
        return UsageError(c, info, "expects A and B, or A and --port DEV or --simulate");
    for (const QString& file : files) {
        if (KindOf(PathArgument(file)) == FileKind::Unknown) {
            return UsageError(c, info,
                              "'" + PathArgument(file) + "' is not a .dat, .json or .csv file");
        }
    }
    Format format;
    if (!ParseFormat(parser, false, format))
        return UsageError(c, info, "--format takes text or json");
    Configuration config;
    if (int code = LoadConfig(parser, config, c); code >= 0)
        return code;

    MemoryImage imageA{};
    if (int code =
            LoadImageFile(PathArgument(files[0]), Limits(config), imageA, c, config.limitsFault);
        code >= 0)
        return code;
    const ComparedConfiguration a = Compared(imageA, DecodeSource::FromFile, Limits(config));
    ComparedConfiguration b;
    bool checksumOk = true;
    Link link;
    if (radio) {
        if (int code = OpenLink(parser, link, c); code >= 0)
            return code;
        const ExchangeHooks hooks = LogHooks(c.err, link);
        const ReadOutcome outcome = ReadRadioKeepingCopy(link.port, hooks);
        if (outcome.status != ReadStatus::Ok)
            return LinkFail(c, link, DescribeReadFailure(outcome));
        checksumOk = outcome.checksumOk;
        b = Compared(outcome.image, DecodeSource::FromRadio, Limits(config));
    } else {
        MemoryImage imageB{};
        if (int code = LoadImageFile(PathArgument(files[1]), Limits(config), imageB, c,
                                     config.limitsFault);
            code >= 0) {
            return code;
        }
        b = Compared(imageB, DecodeSource::FromFile, Limits(config));
    }

    const std::vector<ConfigDifference> differences = CompareConfigurations(a, b);
    PrintDifferences(c.out, format, differences);
    // The comparison is shown, but a radio image that fails its checksum is no basis for "equal".
    if (!checksumOk)
        return Fail(c, kExitData, link.name + ": the image read fails its checksum");
    return differences.empty() ? kExitOk : kExitDiffer;
}

}  // namespace orvel::cli
