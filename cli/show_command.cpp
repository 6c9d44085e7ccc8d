// orvelctl show: the configuration a file holds.
#include "command_list.h"

#include <string>

#include "app_paths.h"
#include "transfer.h"

namespace orvel::cli {

int RunShow(const QStringList& arguments, Context& c) {
    const CommandInfo info{"usage: orvelctl show FILE [--format text|json|csv]\n",
                           "Shows the configuration FILE (.dat, .json or .csv) holds, decoded as "
                           "opening a channel\nfile decodes it. The text ends with the line "
                           "\"plan sha256: HEX\", the SHA-256 a write\nof FILE records as its "
                           "plan (see 'orvelctl record --help'): that of the 260 bytes\nthe "
                           "write sends, not of the file (a .dat holds them masked, each byte "
                           "XOR 5A).\n\n"
                           "  --format F      text (default), json or csv\n",
                           {ValueOption("format", "FORMAT")},
                           1,
                           "one FILE"};
    QCommandLineParser parser;
    if (int code = Prepare(parser, info, arguments, c); code >= 0)
        return code;
    Format format;
    if (!ParseFormat(parser, true, format))
        return UsageError(c, info, "--format takes text, json or csv");
    const std::string path = PathArgument(parser.positionalArguments().front());
    if (KindOf(path) == FileKind::Unknown) {
        return UsageError(c, info, "'" + path + "' is not a .dat, .json or .csv file");
    }
    const Configuration config = LoadConfigurationFile(ConfigReadPath());
    const FrequencyLimits limits = Limits(config);
    MemoryImage image{};
    if (int code = LoadImageFile(path, limits, image, c, config.limitsFault); code >= 0)
        return code;
    c.out << Render(format, image, DecodeAsShown(image, DecodeSource::FromFile, limits));
    if (format == Format::Text)
        c.out << "\nplan sha256: " << PlanSha256(image, limits) << '\n';
    c.out.flush();
    return kExitOk;
}

}  // namespace orvel::cli
