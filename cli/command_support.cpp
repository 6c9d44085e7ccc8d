#include "command_support.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app_paths.h"
#include "codec.h"
#include "echo_text.h"
#include "file_operations.h"
#include "ini_file.h"
#include "port_kinds.h"
#include "programming_record.h"
#include "radio_operations.h"
#include "text_view.h"
#include "transfer.h"

namespace orvel::cli {

// The network kinds' words (port_kinds.h) go on under the option's.
const std::string kPortHelp =
    "  --port DEV      serial port: a device path, COMn, or the port number n; or one\n"
    "                  behind a serial device server: " +
    QString::fromStdString(NetworkPortForms(" or ", PortWords::Help))
        .replace(QLatin1Char('\n'), QStringLiteral("\n                  "))
        .toStdString() +
    "\n"
    "  --simulate      talk to a built-in virtual radio\n"
    "  --trace FILE    append a byte trace of the exchange to FILE, which may be none of\n"
    "                  the command's other files\n"
    "  --classic-timing  pause a fixed 20 ms between polls for the radio's answers, as\n"
    "                  older versions did (also ClassicTiming=1 in [Set] of the INI)\n";

std::string Hex(std::initializer_list<std::uint8_t> bytes) {
    std::string text;
    char pair[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, text.empty() ? "%02X" : " %02X", b);
        text += pair;
    }
    return text;
}

std::string PortOptionProblem(const std::string& port) {
    const std::string problem = PortNameProblem(port);
    return problem.empty() ? problem : "--port " + EchoText(port) + ": " + problem;
}

std::string FailureReason(const std::string& message, const std::string& device) {
    const std::string lead = device + ": ";
    if (!device.empty() && message.starts_with(lead))
        return message.substr(lead.size());
    return message.empty() ? "failed" : message;
}

int Fail(Context& c, int code, const std::string& message) {
    c.lastError = message;
    c.err << "orvelctl: " << EchoMessage(message) << '\n' << std::flush;
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

void LogLines(std::ostream& err, const Message& message) {
    LogLines(err, FormatLine(message));
}

ExchangeHooks LogHooks(std::ostream& err, const Link& link) {
    ExchangeHooks hooks;
    hooks.line = [&err](const Message& message) { LogLines(err, message); };
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
    c.err << "orvelctl: " << EchoMessage(message) << '\n' << info.synopsis << std::flush;
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
    if (info.radio) {
        for (const QString& file : parser.positionalArguments())
            c.files.push_back(PathArgument(file));
        for (const char* option : {"out", "config"}) {
            if (parser.optionNames().contains(QLatin1String(option)))
                c.files.push_back(Value(parser, option));
        }
        if (!parser.optionNames().contains(QLatin1String("config")))
            c.files.push_back(PathArgument(ConfigReadPath()));
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
        if (const std::string problem = PortOptionProblem(port.toStdString()); !problem.empty())
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
    const ImageFileRead read = ReadImageFile(path, limits, image, limitsFault);
    if (read.ok)
        return -1;
    if (read.badChecksum)
        LogLines(c.err, lines::kChecksum);
    return Fail(c, kExitData, read.error);
}

MemoryImage PlanImage(const MemoryImage& image, const FrequencyLimits& limits) {
    const DecodedImage decoded = DecodeAsShown(image, DecodeSource::FromFile, limits);
    return WrittenImage(image, WriteRequest{decoded.table, decoded.settings, {}});
}

std::string PlanSha256(const MemoryImage& image, const FrequencyLimits& limits) {
    return Sha256Hex(PlanImage(image, limits));
}

WriteRequest RequestOf(const MemoryImage& image, const Configuration& config) {
    return FileWriteRequest(image, Limits(config), config.specialWord);
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
    // A file's old bytes go to the safety copies first; without that copy it stays as it is,
    // unless the user says to go on without one.
    const SaveOutcome saved = SaveImageFile(path, image, limits, !safetyCopy);
    if (saved.status == SaveStatus::NoSafetyCopy) {
        return Fail(c, kExitData,
                    path + ": not replaced, its safety copy failed: " + saved.error +
                        " (--no-safety-copy replaces it without one)");
    }
    if (saved.status == SaveStatus::WriteFailed)
        return Fail(c, kExitData, path + ": " + saved.error);
    return -1;
}

}  // namespace orvel::cli
