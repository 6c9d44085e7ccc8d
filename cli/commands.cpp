#include "commands.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app_paths.h"
#include "backup_store.h"
#include "byte_trace.h"
#include "channel_file.h"
#include "codec.h"
#include "command_support.h"
#include "diff_command.h"
#include "echo_text.h"
#include "exchanges.h"
#include "fleet.h"
#include "ini_file.h"
#include "port_probe.h"
#include "probe_command.h"
#include "radio_link.h"
#include "serial_port.h"
#include "text_view.h"
#include "transfer.h"
#include "verify_write.h"
#include "write_signals.h"

namespace orvel::cli {

constexpr const char* kOverview =
    "usage: orvelctl COMMAND [options]\n"
    "\n"
    "  read     read the radio's configuration\n"
    "  write    write a file's configuration to the radio, or to many\n"
    "  show     show the configuration a file holds\n"
    "  convert  convert between .dat, .json and .csv\n"
    "  diff     compare two files, or a file and the radio\n"
    "  channel  read or set the radio's current channel\n"
    "  ports    list the serial ports, or find the radio on them (--probe)\n"
    "\n"
    "'orvelctl COMMAND --help' describes a command. Files are told apart by their extension:\n"
    ".dat channel file, .json full configuration, .csv channel table.\n"
    "Exit codes: 0 success, 1 usage error, 2 communication failure, 3 data error (checksum,\n"
    "a file that is invalid or cannot be read or written, verify mismatch), 4 the port cannot\n"
    "be opened, 5 diff found differences.\n"
    "'orvelctl --version' prints the version.\n";

FileKind KindOf(const std::string& path) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    if (suffix == QLatin1String("dat"))
        return FileKind::Dat;
    if (suffix == QLatin1String("json"))
        return FileKind::Json;
    if (suffix == QLatin1String("csv"))
        return FileKind::Csv;
    return FileKind::Unknown;
}

std::string Hex(std::initializer_list<std::uint8_t> bytes) {
    std::string text;
    char pair[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, text.empty() ? "%02X" : " %02X", b);
        text += pair;
    }
    return text;
}

std::string PortNameProblem(const std::string& port) {
    std::string_view number = port;
    if (number.size() > 3 && QString::fromStdString(port.substr(0, 3)).toUpper() == "COM")
        number.remove_prefix(3);
    const bool negative = number.starts_with('-');
    if (negative || number.starts_with('+'))
        number.remove_prefix(1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
        return {};  // a device name, not a number
    // Past nine digits it is past 256 too, and need not fit an int.
    if (!negative && number.size() < 10) {
        const int value = std::stoi(std::string(number));
        if (value >= 1 && value <= kHighestPortNumber)
            return {};
    }
    return "--port " + EchoText(port) + ": a port number goes from 1 to " +
           std::to_string(kHighestPortNumber);
}

std::string FailureReason(const std::string& message, const std::string& device) {
    const std::string lead = device + ": ";
    if (!device.empty() && message.starts_with(lead))
        return message.substr(lead.size());
    return message.empty() ? "failed" : message;
}

int Fail(Context& c, int code, const std::string& message) {
    c.lastError = message;
    c.err << "orvelctl: " << message << '\n' << std::flush;
    return code;
}

// Log text as the window shows it, one line per line, without the carriage returns.
void LogLines(std::ostream& err, std::string_view text) {
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        err << line << '\n';
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    err.flush();
}

ExchangeHooks LogHooks(std::ostream& err, const Link& link) {
    ExchangeHooks hooks;
    hooks.line = [&err](std::string_view text) { LogLines(err, text); };
    hooks.timing = link.timing;
    return hooks;
}

// --- arguments -------------------------------------------------------------------------------

QCommandLineOption HelpOption() {
    return QCommandLineOption(QStringList{QStringLiteral("help"), QStringLiteral("h")});
}
QCommandLineOption ValueOption(const char* name, const char* valueName) {
    return QCommandLineOption(QString::fromLatin1(name), QString(), QString::fromLatin1(valueName));
}
QCommandLineOption FlagOption(const char* name) {
    return QCommandLineOption(QString::fromLatin1(name), QString());
}

int UsageError(Context& c, const CommandInfo& info, const std::string& message) {
    c.err << "orvelctl: " << message << '\n' << info.synopsis << std::flush;
    return kExitUsage;
}

// Returns the exit code when the command is done already (help, usage error), else -1.
int Prepare(QCommandLineParser& parser, const CommandInfo& info, const QStringList& arguments,
            Context& c) {
    parser.addOption(HelpOption());
    parser.addOptions(QList<QCommandLineOption>(info.options.begin(), info.options.end()));
    if (info.radio) {
        parser.addOptions({ValueOption("port", "DEV"), FlagOption("simulate"),
                           ValueOption("trace", "FILE"), FlagOption("classic-timing")});
    }
    if (!parser.parse(arguments))
        return UsageError(c, info, EscapeControls(parser.errorText().toStdString()));
    if (parser.isSet(QStringLiteral("help"))) {
        c.out << info.synopsis << '\n' << info.details;
        return kExitOk;
    }
    const qsizetype given = parser.positionalArguments().size();
    if (info.positional >= 0 && given != info.positional) {
        return UsageError(c, info,
                          info.positional == 0
                              ? "unexpected argument '" +
                                    EchoText(parser.positionalArguments().front().toStdString()) +
                                    "'"
                              : "expects " + info.positionalNames);
    }
    if (!info.radio || info.radioOptional)
        return -1;
    if (parser.isSet(QStringLiteral("simulate")) && parser.isSet(QStringLiteral("port"))) {
        return UsageError(c, info, "give --port or --simulate, not both");
    }
    if (!parser.isSet(QStringLiteral("simulate")) &&
        parser.value(QStringLiteral("port")).isEmpty()) {
        return UsageError(c, info, "give the radio's port with --port DEV, or --simulate");
    }
    for (const QString& port : parser.values(QStringLiteral("port"))) {
        if (const std::string problem = PortNameProblem(port.toStdString()); !problem.empty())
            return UsageError(c, info, problem);
    }
    return -1;
}

std::string Value(const QCommandLineParser& parser, const char* name) {
    return PathArgument(parser.value(QString::fromLatin1(name)));
}

bool ParseFormat(const QCommandLineParser& parser, bool csvAllowed, Format& format) {
    const QString value = parser.value(QStringLiteral("format"));
    if (value.isEmpty() || value == QLatin1String("text")) {
        format = Format::Text;
    } else if (value == QLatin1String("json")) {
        format = Format::Json;
    } else if (value == QLatin1String("csv") && csvAllowed) {
        format = Format::Csv;
    } else {
        return false;
    }
    return true;
}

bool ParseNumber(const QCommandLineParser& parser, const char* name, int low, int high,
                 int& value) {
    bool ok = false;
    value = parser.value(QString::fromLatin1(name)).toInt(&ok);
    return ok && value >= low && value <= high;
}

// --- files -----------------------------------------------------------------------------------

int LoadConfig(const QCommandLineParser& parser, Configuration& config, Context& c) {
    if (!parser.isSet(QStringLiteral("config"))) {
        config = LoadConfigurationFile(ConfigReadPath());
        return -1;
    }
    const std::string path = Value(parser, "config");
    IniFile ini;
    std::string error;
    if (!IniFile::Load(path, ini, error))
        return Fail(c, kExitData, path + ": " + error);
    // Unlike the window's own file, one named on purpose has to be there.
    if (!ini.exists())
        return Fail(c, kExitData, path + ": no such file");
    config = ReadConfiguration(ini);
    return -1;
}

FrequencyLimits Limits(const Configuration& config) {
    return {config.minFreq, config.maxFreq};
}

int LoadImageFile(const std::string& path, const FrequencyLimits& limits, MemoryImage& image,
                  Context& c, const std::string& limitsFault) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    const bool channelFile = KindOf(path) == FileKind::Dat;
    if (!(channelFile ? ReadChannelFileHead(path, bytes, error)
                      : ReadFileBytes(path, bytes, error)))
        return Fail(c, kExitData, path + ": " + error);
    if (channelFile) {
        const ChannelFileContent content = ImageFromChannelFile(bytes);
        if (!content.complete) {
            return Fail(c, kExitData,
                        path + ": " + std::to_string(bytes.size()) +
                            " bytes; a channel file holds " + std::to_string(kImageSize));
        }
        const std::uint8_t computed = ImageChecksum(content.image);
        if (computed != content.image[layout::kChecksum]) {
            LogLines(c.err, lines::kChecksum);
            return Fail(c, kExitData,
                        path + ": checksum " + Hex({content.image[layout::kChecksum]}) +
                            ", computed " + Hex({computed}));
        }
        image = content.image;
        return -1;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    ImportError importError;
    const bool ok = KindOf(path) == FileKind::Json ? ImageFromJson(text, limits, image, importError)
                                                   : ImageFromCsv(text, limits, image, importError);
    if (!ok) {
        // Limits that hold no frequency refuse every one: the configuration is the cause.
        const bool frequency = importError.column == "rx" || importError.column == "tx";
        const std::string cause = frequency && !limitsFault.empty() ? "; " + limitsFault : "";
        return Fail(c, kExitData, path + ": " + importError.Text() + cause);
    }
    return -1;
}

std::string Render(Format format, const MemoryImage& image, const DecodedImage& decoded) {
    switch (format) {
        case Format::Json:
            return ImageToJson(image, decoded);
        case Format::Csv:
            return TableToCsv(decoded.table);
        case Format::Text:
            break;
    }
    return TextView(image, decoded);
}

int WriteImageFile(const std::string& path, const MemoryImage& image, const FrequencyLimits& limits,
                   bool safetyCopy, Context& c) {
    const FileKind kind = KindOf(path);
    std::vector<std::uint8_t> bytes;
    if (kind == FileKind::Dat) {
        bytes = ChannelFileBytes(image);
    } else {
        const std::string text = Render(kind == FileKind::Json ? Format::Json : Format::Csv, image,
                                        DecodeAsShown(image, DecodeSource::FromFile, limits));
        bytes.assign(text.begin(), text.end());
    }
    std::string error;
    // A file's old bytes go to the safety copies first; without that copy it stays as it is,
    // unless the user says to go on without one.
    std::string copy;
    if (safetyCopy && !KeepReplacedFile(path, error, &copy)) {
        return Fail(c, kExitData,
                    path + ": not replaced, its safety copy failed: " + error +
                        " (--no-safety-copy replaces it without one)");
    }
    if (!WriteFileAtomically(path, bytes, error)) {
        // The file is as it was: a copy of it would only crowd out older ones.
        if (!copy.empty())
            DiscardBackup(copy);
        return Fail(c, kExitData, path + ": " + error);
    }
    return -1;
}

namespace {

// --- commands --------------------------------------------------------------------------------

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
    const ReadOutcome outcome = ReadRadio(link.port, hooks);
    if (outcome.status != ReadStatus::Ok) {
        return LinkFail(c, link, ReadFailure(outcome));
    }
    KeepBackup(outcome.image, "read");
    const DecodedImage decoded =
        DecodeAsShown(outcome.image, DecodeSource::FromRadio, Limits(config), RadioSettings{});
    hooks.Line(outcome.checksumOk ? lines::kReadDone : lines::kReadDoneBadChecksum);
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
            "66\".\n" +
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

int RunShow(const QStringList& arguments, Context& c) {
    const CommandInfo info{"usage: orvelctl show FILE [--format text|json|csv]\n",
                           "Shows the configuration FILE (.dat, .json or .csv) holds, decoded as "
                           "opening a channel\nfile decodes it.\n\n"
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
    c.out << Render(format, image, DecodeAsShown(image, DecodeSource::FromFile, limits))
          << std::flush;
    return kExitOk;
}

int RunConvert(const QStringList& arguments, Context& c) {
    const CommandInfo info{
        "usage: orvelctl convert IN OUT [--config INI] [--no-safety-copy]\n",
        "Writes OUT from IN; each is a .dat, .json or .csv file. Every cell of a .json or\n"
        ".csv input is checked as the edit panel checks it; the first bad one is reported\n"
        "and OUT is left as it was. A .csv holds the channels only: the rest of the\n"
        "configuration gets its start-up values. OUT must be missing or a regular file.\n\n"
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

int RunChannel(const QStringList& arguments, Context& c) {
    const CommandInfo info{
        "usage: orvelctl channel (--port DEV | --simulate) [--set N [--squelch K]]\n"
        "                        [--format text|json] [--trace FILE]\n",
        "Reads the radio's current channel and its squelch, or with --set makes channel N\n"
        "current.\n\n" +
            std::string(kPortHelp) +
            "  --set N         make channel N (1..16) current\n"
            "  --squelch K     with --set: squelch 0..9, 0 = none (default)\n"
            "  --format F      text (default) or json: {\"channel\": N, \"squelch\": K}\n",
        {ValueOption("set", "N"), ValueOption("squelch", "K"), ValueOption("format", "FORMAT")},
        0,
        "",
        true};
    QCommandLineParser parser;
    if (int code = Prepare(parser, info, arguments, c); code >= 0)
        return code;
    Format format;
    if (!ParseFormat(parser, false, format))
        return UsageError(c, info, "--format takes text or json");
    const bool set = parser.isSet(QStringLiteral("set"));
    int channel = 0;
    int squelch = 0;
    if (set && !ParseNumber(parser, "set", 1, kChannelCount, channel)) {
        return UsageError(c, info, "--set takes a channel from 1 to 16");
    }
    if (parser.isSet(QStringLiteral("squelch"))) {
        if (!set)
            return UsageError(c, info, "--squelch goes with --set");
        if (!ParseNumber(parser, "squelch", 0, 9, squelch)) {
            return UsageError(c, info, "--squelch takes a value from 0 to 9");
        }
    }
    Link link;
    if (int code = OpenLink(parser, link, c); code >= 0)
        return code;
    const ExchangeHooks hooks = LogHooks(c.err, link);

    if (set) {
        switch (SetCurrentChannel(link.port, channel - 1, squelch, hooks)) {
            case SetChannelStatus::Accepted:
                LogLines(c.err, "写入数据成功\r\n");
                return kExitOk;
            case SetChannelStatus::Rejected:
                LogLines(c.err, "写入数据失败\r\n");
                break;
            case SetChannelStatus::PortClosed:
                break;
        }
        return LinkFail(c, link, "the set-channel frame was not accepted");
    }
    const CurrentChannelOutcome outcome = ReadCurrentChannel(link.port, hooks);
    switch (outcome.status) {
        case ChannelStatus::Ok:
            break;
        case ChannelStatus::Timeout:
            LogLines(c.err, lines::kReadTimeout);
            return LinkFail(c, link, "no answer to a read-word frame");
        case ChannelStatus::DataError:
            LogLines(c.err, lines::kBadFormat);
            return LinkFail(c, link,
                            outcome.echoed ? "the answer repeats the request: the line echoes, "
                                             "no radio answered"
                                           : "the radio reports no channel from 1 to 16");
        case ChannelStatus::PortClosed:
            return LinkFail(c, link, "the port is not open");
    }
    LogLines(c.err, "成功接收数据\r\n");
    const int number = outcome.channelIndex + 1;
    if (format == Format::Json) {
        c.out << "{\"channel\": " << number << ", \"squelch\": " << outcome.squelch << "}\n";
    } else {
        c.out << "channel " << number << ", squelch " << outcome.squelch << '\n';
    }
    c.out.flush();
    return kExitOk;
}

int RunPorts(const QStringList& arguments, Context& c) {
    const CommandInfo info{
        "usage: orvelctl ports\n"
        "       orvelctl ports --probe [--port DEV]... [--format text|json]\n",
        "Lists the serial ports found, one device per line.\n\n"
        "  --probe         ask every port at once for a radio's identification: the ports\n"
        "                  the system lists and each --port; one line per port,\n"
        "                  DEVICE<TAB>IDENTITY for a radio, otherwise DEVICE<TAB>-<TAB>REASON\n"
        "                  (no answer, bad format, busy, permission denied, missing, not a\n"
        "                  serial port). A device named twice (a link and its target) is one\n"
        "                  line that names both: \"LINK, DEVICE\". Exit 0 when a radio\n"
        "                  answered, 2 when none did\n"
        "  --port DEV      also probe DEV (a path, COMn or n; pseudo-terminals and links are\n"
        "                  not listed by the system); may be given more than once\n"
        "  --format F      text (default) or json: [{\"port\": ..., \"names\": [...],\n"
        "                  \"status\": \"radio\" | \"silent\" | \"badformat\" | \"busy\" |\n"
        "                  \"denied\" | \"missing\" | \"notaport\", \"identity\": ... or null}]\n",
        {FlagOption("probe"), ValueOption("port", "DEV"), ValueOption("format", "FORMAT")},
        0,
        ""};
    QCommandLineParser parser;
    if (int code = Prepare(parser, info, arguments, c); code >= 0)
        return code;
    if (parser.isSet(QStringLiteral("probe"))) {
        Format format;
        if (!ParseFormat(parser, false, format))
            return UsageError(c, info, "--format takes text or json");
        std::vector<std::string> devices;
        for (const QString& port : parser.values(QStringLiteral("port"))) {
            if (const std::string problem = PortNameProblem(port.toStdString()); !problem.empty())
                return UsageError(c, info, problem);
            devices.push_back(ResolvePortName(port.toStdString()));
        }
        return ProbeAllPorts(devices, format == Format::Json, c.out, c.err);
    }
    if (parser.isSet(QStringLiteral("port")) || parser.isSet(QStringLiteral("format")))
        return UsageError(c, info, "--port and --format go with --probe");
    const std::vector<std::string> ports = SystemSerialPorts();
    for (const std::string& port : ports)
        c.out << port << '\n';
    c.out.flush();
    if (ports.empty())
        c.err << "orvelctl: no serial ports found\n" << std::flush;
    return kExitOk;
}

}  // namespace

namespace {

// The length of the valid UTF-8 sequence at `text`, or 0. Overlong forms, surrogates and values
// past U+10FFFF are not valid.
int Utf8SequenceLength(const unsigned char* text, std::size_t left) {
    const unsigned char lead = text[0];
    int length = 0;
    char32_t low = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        low = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = 0x10000;
    } else {
        return 0;
    }
    if (left < static_cast<std::size_t>(length))
        return 0;
    char32_t value = lead & (0x3F >> (length - 1));
    for (int i = 1; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (text[i] & 0x3F);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return value < low || surrogate || value > 0x10FFFF ? 0 : length;
}

QString ArgumentText(const char* argument) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(argument);
    const std::size_t size = std::strlen(argument);
    QString text;
    for (std::size_t i = 0; i < size;) {
        const int length = Utf8SequenceLength(bytes + i, size - i);
        if (length == 0) {
            text += QChar(static_cast<char16_t>(0xDC00 + bytes[i]));
            ++i;
            continue;
        }
        text += QString::fromUtf8(argument + i, length);
        i += static_cast<std::size_t>(length);
    }
    return text;
}

}  // namespace

QStringList ProgramArguments(int argc, char* argv[]) {
#ifdef Q_OS_WIN
    (void)argc;
    (void)argv;
    return QCoreApplication::arguments();
#else
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(ArgumentText(argv[i]));
    return arguments;
#endif
}

std::string PathArgument(const QString& argument) {
#ifdef Q_OS_WIN
    return argument.toStdString();
#else
    std::string bytes;
    const qsizetype size = argument.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = argument[i].unicode();
        const bool pairs = QChar::isHighSurrogate(unit) && i + 1 < size &&
                           QChar::isLowSurrogate(argument[i + 1].unicode());
        if (unit >= 0xDC80 && unit <= 0xDCFF && !pairs) {
            bytes += static_cast<char>(unit - 0xDC00);
            continue;
        }
        const qsizetype length = pairs ? 2 : 1;
        bytes += argument.mid(i, length).toStdString();
        i += length - 1;
    }
    return bytes;
#endif
}

int Run(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    Context c{out, err};
    const QString command = arguments.size() >= 2 ? arguments[1] : QString();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        out << kOverview << std::flush;
        return kExitOk;
    }
    // The command's name stands in for the program's, which the parser skips.
    const QStringList rest = arguments.mid(1);
    using Handler = int (*)(const QStringList&, Context&);
    const std::pair<const char*, Handler> commands[] = {
        {"read", RunRead},       {"write", RunWrite}, {"show", RunShow}, {"convert", RunConvert},
        {"channel", RunChannel}, {"ports", RunPorts}, {"diff", RunDiff},
    };
    for (const auto& [name, handler] : commands) {
        if (command == QLatin1String(name))
            return handler(rest, c);
    }
    if (command.isEmpty()) {
        err << kOverview << std::flush;
    } else {
        err << "orvelctl: unknown command '" << command.toStdString() << "'\n"
            << kOverview << std::flush;
    }
    return kExitUsage;
}

}  // namespace orvel::cli
