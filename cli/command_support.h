// What the commands of orvelctl share: argument handling, files, the link to the radio and the
// log. A command in a file of its own builds on these.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "channel_edit.h"
#include "codec.h"
#include "commands.h"
#include "configuration.h"
#include "exchanges.h"
#include "image_files.h"
#include "port_session.h"

namespace orvel::cli {

// --port (in the words of the port kinds, port_kinds.h), --simulate, --trace, --classic-timing.
extern const std::string kPortHelp;
inline constexpr const char* kConfigHelp =
    "  --config INI    settings file, section [Set]: Min and Max bound the frequencies,\n"
    "                  Word is the special-data frame of a write (default: OrvelTool.ini\n"
    "                  where the window finds it)\n";

enum class Format { Text, Json, Csv };

struct Context {
    Context(std::ostream& output, std::ostream& errors) : out(output), err(errors) {}

    std::ostream& out;
    std::ostream& err;
    std::string lastError;  // the message of the last Fail, without the program's name
    // The files the command reads or writes, which a trace must never name.
    std::vector<std::string> files;
};

struct CommandInfo {
    std::string synopsis;  // the usage lines
    std::string details;   // the rest of --help
    std::vector<QCommandLineOption> options;
    int positional = 0;  // -1: the command checks the count itself
    std::string positionalNames;
    bool radio = false;          // takes --port or --simulate, and --trace
    bool radioOptional = false;  // with radio: the radio options may also be left out
};

// The port with its trace and, for --simulate, the virtual radio; and the port's name in
// messages.
struct Link : PortSession {
    std::string name;
    PollTiming timing = PollTiming::Prompt;
};

// "05 A0": bytes as hex pairs.
std::string Hex(std::initializer_list<std::uint8_t> bytes);
// Why --port cannot name a port (COM0, 0, 257, a network port's bad URL), or empty.
std::string PortOptionProblem(const std::string& port);
// A failure's message without the device's name in front, for a line that names it already.
std::string FailureReason(const std::string& message, const std::string& device);
// "orvelctl: message" on err; returns code.
int Fail(Context& c, int code, const std::string& message);
// Log text as the window shows it, one line per line, without the carriage returns.
void LogLines(std::ostream& err, std::string_view text);
void LogLines(std::ostream& err, const Message& message);
ExchangeHooks LogHooks(std::ostream& err, const Link& link);

QCommandLineOption ValueOption(const char* name, const char* valueName);
QCommandLineOption FlagOption(const char* name);
int UsageError(Context& c, const CommandInfo& info, const std::string& message);
// Returns the exit code when the command is done already (help, usage error), else -1.
int Prepare(QCommandLineParser& parser, const CommandInfo& info, const QStringList& arguments,
            Context& c);
std::string Value(const QCommandLineParser& parser, const char* name);
bool ParseFormat(const QCommandLineParser& parser, bool csvAllowed, Format& format);
// The option's value as a whole number from low to high.
bool ParseNumber(const QCommandLineParser& parser, const char* name, int low, int high, int& value);

// Each returns the exit code of a failure (reported), else -1.
int LoadConfig(const QCommandLineParser& parser, Configuration& config, Context& c);
FrequencyLimits Limits(const Configuration& config);
// `limitsFault` (Configuration::limitsFault) is named when a frequency is refused.
int LoadImageFile(const std::string& path, const FrequencyLimits& limits, MemoryImage& image,
                  Context& c, const std::string& limitsFault = {});
int OpenLink(const QCommandLineParser& parser, Link& link, Context& c);
// Keeps the replaced file's safety copy first.
int WriteImageFile(const std::string& path, const MemoryImage& image, const FrequencyLimits& limits,
                   bool safetyCopy, Context& c);

// The 260 bytes a write of `image` (a file's, decoded under `limits`) stands for, and their
// SHA-256, which the write records as its plan (not the file's: a .dat holds them masked).
MemoryImage PlanImage(const MemoryImage& image, const FrequencyLimits& limits);
std::string PlanSha256(const MemoryImage& image, const FrequencyLimits& limits);
// What a write of `image`, decoded as a file is, sends.
WriteRequest RequestOf(const MemoryImage& image, const Configuration& config);

// The configuration as text, JSON or a CSV channel table.
std::string Render(Format format, const MemoryImage& image, const DecodedImage& decoded);

}  // namespace orvel::cli
