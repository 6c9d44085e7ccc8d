// orvelctl write: a file's configuration to the radio, or to many.
#include "command_list.h"

#include <string>

#include "echo_text.h"
#include "fleet.h"
#include "radio_link.h"
#include "transfer.h"
#include "write_signals.h"

namespace orvel::cli {

int RunWrite(const QStringList& arguments, Context& c) {
    const CommandInfo info{
        "usage: orvelctl write (--port DEV | --simulate) FILE [--verify] [--config INI]\n"
        "                      [--trace FILE]\n" +
            std::string(kFleetSynopsis),
        "Writes the configuration of FILE (.dat, .json or .csv) to the radio.\n\n" +
            std::string(kPortHelp) +
            "  --verify        read the radio back and compare the channel and settings words\n" +
            kConfigHelp +
            "\n"
            "Ctrl-C, SIGTERM or SIGHUP during a write lets the radio in progress finish, prints\n"
            "its result line, DEV<TAB>ok or DEV<TAB>failed<TAB>REASON, and exits 130, 143 or\n"
            "129; a second Ctrl-C stops at the next frame with \"interrupted at frame N of "
            "66\".\n"
            "A trace that reaches the file size limit (ulimit -f) or a full disk stops with one\n"
            "message; the write goes on.\n" +
            kFleetHelp,
        {FlagOption("verify"), ValueOption("config", "INI")},
        1,
        "one FILE",
        true};
    QCommandLineParser parser;
    parser.addOptions(FleetCommandOptions());
    if (int code = Prepare(parser, info, arguments, c); code >= 0)
        return code;
    const std::string path = PathArgument(parser.positionalArguments().front());
    if (KindOf(path) == FileKind::Unknown) {
        return UsageError(c, info, "'" + path + "' is not a .dat, .json or .csv file");
    }
    FleetOptions fleet;
    const bool several = IsFleetWrite(parser);
    if (const std::string error = several ? ReadFleetOptions(parser, fleet) : std::string();
        !error.empty()) {
        return UsageError(c, info, error);
    }
    Configuration config;
    if (int code = LoadConfig(parser, config, c); code >= 0)
        return code;
    MemoryImage image{};
    if (int code = LoadImageFile(path, Limits(config), image, c, config.limitsFault); code >= 0)
        return code;
    const DecodedImage decoded = DecodeAsShown(image, DecodeSource::FromFile, Limits(config));
    const WriteRequest request{decoded.table, decoded.settings, config.specialWord};
    if (several) {
        fleet.timing = ClassicTimingWanted(parser) ? PollTiming::Classic : PollTiming::Prompt;
        return RunFleet(fleet, image, request, c);
    }
    Link link;
    if (int code = OpenLink(parser, link, c); code >= 0)
        return code;
    const WriteSignals stopLater;
    const int code = WriteToRadio(link, image, request, parser.isSet(QStringLiteral("verify")), c);
    if (WriteSignals::Received() == 0)
        return code;
    // Stopped from outside: say how the radio was left before going.
    c.out << EscapeControls(link.name) << '\t'
          << (code == kExitOk ? std::string("ok")
                              : "failed\t" + FailureReason(c.lastError, link.name))
          << '\n'
          << std::flush;
    return WriteSignals::ExitCode(code);
}

}  // namespace orvel::cli
