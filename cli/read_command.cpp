// orvelctl read: the radio's configuration, printed and optionally kept as a channel file.
#include "command_list.h"

#include <string>

#include "app_paths.h"
#include "channel_file.h"
#include "codec.h"
#include "file_access.h"
#include "radio_link.h"
#include "radio_operations.h"
#include "transfer.h"

namespace orvel::cli {

int RunRead(const QStringList& arguments, Context& c) {
    const CommandInfo info{
        "usage: orvelctl read (--port DEV | --simulate) [--out FILE.dat] [--format text|json|csv]\n"
        "                     [--config INI] [--trace FILE]\n",
        "Reads the radio's configuration and prints it. With a checksum mismatch the data is\n"
        "still printed and the exit code is 3.\n\n" +
            std::string(kPortHelp) +
            "  --out FILE.dat  also store the 260 bytes as received as a channel file\n"
            "  --format F      text (default), json or csv\n" +
            kConfigHelp,
        {ValueOption("out", "FILE"), ValueOption("format", "FORMAT"), ValueOption("config", "INI")},
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
    Configuration config;
    if (int code = LoadConfig(parser, config, c); code >= 0)
        return code;
    // A device or a FIFO named by --out is refused before the radio is asked.
    if (std::string error; !outPath.empty() && !WritableTarget(outPath, error))
        return Fail(c, kExitData, outPath + ": " + error);
    Link link;
    if (int code = OpenLink(parser, link, c); code >= 0)
        return code;

    const ExchangeHooks hooks = LogHooks(c.err, link);
    const ReadOutcome outcome = ReadRadioKeepingCopy(link.port, hooks);
    if (outcome.status != ReadStatus::Ok) {
        return LinkFail(c, link, ReadFailure(outcome));
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

}  // namespace orvel::cli
