// orvelctl convert: one file format to another.
#include "command_list.h"

#include <string>

namespace orvel::cli {

int RunConvert(const QStringList& arguments, Context& c) {
    const CommandInfo info{
        "usage: orvelctl convert IN OUT [--config INI] [--no-safety-copy]\n",
        "Writes OUT from IN; each is a .dat, .json or .csv file. Every cell of a .json or\n"
        ".csv input is checked as the edit panel checks it; the first bad one is reported\n"
        "and OUT is left as it was. A .csv holds the channels only: the rest of the\n"
        "configuration gets its start-up values. A .csv input may be UTF-8 or GBK, with or\n"
        "without a BOM, its cells separated by commas or semicolons, as spreadsheets save\n"
        "it. OUT must be missing or a regular file.\n"
        "A .json or .csv OUT reads back as IN's bytes (a .csv: its channels): codes beyond\n"
        "the panel's items go as P6, P7 and L10 to L15; what such a file cannot carry (an\n"
        "erased image, an empty power or rate cell in a used channel) is named by channel\n"
        "and column, and OUT is left as it was.\n\n"
        "  --no-safety-copy  replace an existing OUT even when its copy cannot be kept\n"
        "                  among the safety copies (without it, OUT then stays as it is)\n\n" +
            std::string(kConfigHelp),
        {ValueOption("config", "INI"), FlagOption("no-safety-copy")},
        2,
        "IN and OUT"};
    QCommandLineParser parser;
    if (int code = Prepare(parser, info, arguments, c); code >= 0)
        return code;
    const QStringList files = parser.positionalArguments();
    const std::string in = PathArgument(files[0]);
    const std::string out = PathArgument(files[1]);
    for (const std::string& path : {in, out}) {
        if (KindOf(path) == FileKind::Unknown) {
            return UsageError(c, info, "'" + path + "' is not a .dat, .json or .csv file");
        }
    }
    Configuration config;
    if (int code = LoadConfig(parser, config, c); code >= 0)
        return code;
    MemoryImage image{};
    if (int code = LoadImageFile(in, Limits(config), image, c, config.limitsFault); code >= 0)
        return code;
    const bool safetyCopy = !parser.isSet(QStringLiteral("no-safety-copy"));
    if (int code = WriteImageFile(out, image, Limits(config), safetyCopy, c); code >= 0)
        return code;
    return kExitOk;
}

}  // namespace orvel::cli
