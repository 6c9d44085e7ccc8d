#include "radio_link.h"

#include <cstdio>

#include "app_paths.h"
#include "codec.h"
#include "commands.h"
#include "configuration.h"
#include "echo_text.h"
#include "file_access.h"
#include "radio_operations.h"
#include "verify_write.h"
#include "write_check.h"
#include "write_signals.h"

namespace orvel::cli {
namespace {

std::string WriteFailure(const WriteOutcome& outcome, std::size_t frames) {
    if (outcome.status == WriteStatus::PortClosed)
        return "the port is not open";
    const std::string frame = std::to_string(outcome.failedFrame) + " of " + std::to_string(frames);
    if (outcome.status == WriteStatus::Interrupted)
        return "interrupted at frame " + frame;
    const char* stage = outcome.failedStage == WriteStage::Channel    ? "channel words"
                        : outcome.failedStage == WriteStage::Settings ? "settings words"
                                                                      : "special-data word";
    const std::string where = frame + " (" + stage + ")";
    switch (outcome.fault) {
        case AckFault::NoAnswer:
            return "no answer to frame " + where;
        case AckFault::BadFormat:
            return "bad format: the answer to frame " + where + " is no acknowledgement";
        default:
            return "the radio did not accept frame " + where;
    }
}

// "word 0x00 (channel 1) reads back 22 30, written 23 01"
std::string DifferenceText(const WordDifference& d) {
    char word[8];
    std::snprintf(word, sizeof word, "0x%02X", d.word);
    const std::string what = d.word < 4 * kChannelCount
                                 ? "channel " + std::to_string(d.word / 4 + 1)
                                 : std::string("settings");
    return std::string("word ") + word + " (" + what + ") reads back " +
           Hex({d.readBack[0], d.readBack[1]}) + ", written " + Hex({d.written[0], d.written[1]});
}

int Verify(Link& link, const WriteRequest& request, const ExchangeHooks& hooks, Context& c) {
    const VerifyOutcome outcome = VerifyWrite(link.port, request, hooks);
    switch (outcome.status) {
        case VerifyStatus::ReadFailed:
            return LinkFail(c, link, "verify: " + ReadFailure(outcome.readBack));
        case VerifyStatus::Mismatch:
            return Fail(c, kExitData,
                        link.name + ": verify: " + DifferenceText(*outcome.difference));
        case VerifyStatus::BadChecksum:
            return Fail(c, kExitData,
                        link.name + ": verify: the image read back fails its checksum");
        case VerifyStatus::Match:
            break;
    }
    c.err << "orvelctl: verify: the radio holds what was written\n" << std::flush;
    return kExitOk;
}

}  // namespace

int LinkFail(Context& c, const Link& link, const std::string& what) {
    if (!link.port.LostReason().empty())
        return Fail(c, kExitLink, link.name + ": the port went away: " + link.port.LostReason());
    return Fail(c, kExitLink, link.name + ": " + what);
}

bool ClassicTimingWanted(const QCommandLineParser& parser) {
    if (parser.isSet(QStringLiteral("classic-timing")))
        return true;
    const bool named = parser.optionNames().contains(QStringLiteral("config"));
    return LoadConfigurationFile(named ? parser.value(QStringLiteral("config")) : ConfigReadPath())
        .classicTiming;
}

int OpenTrace(const std::string& path, Link& link, Context& c) {
    for (const std::string& file : c.files) {
        if (SameFile(path, file)) {
            return Fail(c, kExitData, path + ": a file of the command itself, not for its trace");
        }
    }
    std::string error;
    if (!link.trace.Open(path, error))
        return Fail(c, kExitData, error);
    link.trace.OnWriteFailure([&c](const std::string& reason) {
        c.err << "orvelctl: the trace stopped: " << EchoMessage(reason) << '\n' << std::flush;
    });
    link.port.SetTrace(&link.trace);
    return -1;
}

int OpenPort(const std::string& port, Link& link, Context& c) {
    const std::string device = ResolvePortName(port);
    link.name = device;
    if (link.port.OpenDevice(device) != 1)
        return Fail(c, kExitPort, link.port.LastOpenError());
    return -1;
}

int OpenLink(const QCommandLineParser& parser, Link& link, Context& c) {
    if (parser.isSet(QStringLiteral("trace"))) {
        if (int code = OpenTrace(PathArgument(parser.value(QStringLiteral("trace"))), link, c);
            code >= 0) {
            return code;
        }
    }
    link.timing = ClassicTimingWanted(parser) ? PollTiming::Classic : PollTiming::Prompt;
    if (!parser.isSet(QStringLiteral("simulate")))
        return OpenPort(parser.value(QStringLiteral("port")).toStdString(), link, c);
    link.radio = std::make_unique<sim::InProcessRadio>();
    link.name = "virtual radio";
    link.port.AttachDevice(link.name, link.radio.get());
    if (link.port.OpenDevice(link.name) != 1)
        return Fail(c, kExitPort, link.port.LastOpenError());
    return -1;
}

std::string ReadFailure(const ReadOutcome& outcome) {
    switch (outcome.status) {
        case ReadStatus::NoAnswer:
            return "no answer to the identify command";
        case ReadStatus::BadFormat:
            return "the radio's identification is not valid";
        case ReadStatus::Timeout:
            return "received " + std::to_string(outcome.received) + " of " +
                   std::to_string(kImageSize) + " bytes";
        case ReadStatus::PortClosed:
            return "the port is not open";
        case ReadStatus::Ok:
            break;
    }
    return {};
}

int WriteToRadio(Link& link, const MemoryImage& image, const WriteRequest& request, bool verify,
                 Context& c) {
    if (!request.specialWord.empty() && !ParseSpecialWord(request.specialWord)) {
        c.err << "orvelctl: Word \"" << request.specialWord
              << "\" is not three hexadecimal pairs such as 12 34 56 (0-9, A-F); no special-data "
                 "frame is sent\n"
              << std::flush;
    }
    ExchangeHooks hooks = LogHooks(c.err, link);
    hooks.interrupted = WriteSignals::StopNow;
    const WriteOutcome outcome = WriteRadioKeepingCopy(link.port, image, request, hooks);
    if (outcome.status != WriteStatus::Ok) {
        return LinkFail(c, link, WriteFailure(outcome, WriteFrames(request).size()));
    }
    if (!verify)
        return kExitOk;
    return Verify(link, request, hooks, c);
}

}  // namespace orvel::cli
