#include "radio_link.h"

#include <array>
#include <cstdio>
#include <optional>
#include <vector>

#include "app_paths.h"
#include "codec.h"
#include "commands.h"

namespace orvel::cli {
namespace {

std::string WriteFailure(const WriteOutcome& outcome, std::size_t frames) {
    if (outcome.status == WriteStatus::PortClosed)
        return "the port is not open";
    const char* stage = outcome.failedStage == WriteStage::Channel    ? "channel words"
                        : outcome.failedStage == WriteStage::Settings ? "settings words"
                                                                      : "special-data word";
    return "the radio did not accept frame " + std::to_string(outcome.failedFrame) + " of " +
           std::to_string(frames) + " (" + stage + ")";
}

// The last value each word was written with, compared with what the radio holds. The special
// word is left out, but it counts as written when it lands on a compared word.
std::optional<std::string> FirstDifference(const std::vector<RadioFrame>& frames,
                                           const MemoryImage& image) {
    std::array<std::optional<std::array<std::uint8_t, 2>>, layout::kParameterWords> written;
    for (const RadioFrame& frame : frames) {
        if (frame[1] == CmdWriteWord && frame[2] < layout::kParameterWords) {
            written[frame[2]] = std::array<std::uint8_t, 2>{frame[3], frame[4]};
        }
    }
    std::vector<int> words;
    for (int w = 0; w < 4 * kChannelCount; ++w)
        words.push_back(w);
    words.push_back(layout::kWordTimers);
    words.push_back(layout::kWordModes);
    for (int w : words) {
        const auto& expected = written[static_cast<std::size_t>(w)];
        if (!expected)
            continue;
        const std::uint8_t first = image[layout::WordOffset(w)];
        const std::uint8_t second = image[layout::WordOffset(w) + 1];
        // Bits nothing reads back may come back either way: bit 2 of the first mode byte (the
        // write sets it, the image leaves it clear) and its bits 5..7, and the squelch byte's
        // high nibble.
        const std::uint8_t firstMask = w == layout::kWordModes ? 0x1B : 0xFF;
        const std::uint8_t secondMask = w < 4 * kChannelCount && w % 4 == 1 ? 0x0F : 0xFF;
        const bool same = (((*expected)[0] ^ first) & firstMask) == 0 &&
                          (((*expected)[1] ^ second) & secondMask) == 0;
        if (same)
            continue;
        char word[8];
        std::snprintf(word, sizeof word, "0x%02X", w);
        const std::string what = w < 4 * kChannelCount ? "channel " + std::to_string(w / 4 + 1)
                                                       : std::string("settings");
        return std::string("word ") + word + " (" + what + ") reads back " + Hex({first, second}) +
               ", written " + Hex({(*expected)[0], (*expected)[1]});
    }
    return std::nullopt;
}

int Verify(Link& link, const WriteRequest& request, const ExchangeHooks& hooks, Context& c) {
    const ReadOutcome back = ReadRadio(link.port, hooks);
    if (back.status != ReadStatus::Ok) {
        return Fail(c, kExitLink, link.name + ": verify: " + ReadFailure(back));
    }
    KeepBackup(back.image, "read");
    hooks.Line(back.checksumOk ? lines::kReadDone : lines::kReadDoneBadChecksum);
    if (const auto difference = FirstDifference(WriteFrames(request), back.image)) {
        return Fail(c, kExitData, link.name + ": verify: " + *difference);
    }
    if (!back.checksumOk) {
        return Fail(c, kExitData, link.name + ": verify: the image read back fails its checksum");
    }
    c.err << "orvelctl: verify: the radio holds what was written\n" << std::flush;
    return kExitOk;
}

}  // namespace

std::string Hex(std::initializer_list<std::uint8_t> bytes) {
    std::string text;
    char pair[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, text.empty() ? "%02X" : " %02X", b);
        text += pair;
    }
    return text;
}

int Fail(Context& c, int code, const std::string& message) {
    c.lastError = message;
    c.err << "orvelctl: " << message << '\n' << std::flush;
    return code;
}

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

ExchangeHooks LogHooks(std::ostream& err) {
    ExchangeHooks hooks;
    hooks.line = [&err](std::string_view text) { LogLines(err, text); };
    return hooks;
}

int OpenTrace(const std::string& path, Link& link, Context& c) {
    std::string error;
    if (!link.trace.Open(path, error))
        return Fail(c, kExitData, path + ": " + error);
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
        if (int code = OpenTrace(parser.value(QStringLiteral("trace")).toStdString(), link, c);
            code >= 0) {
            return code;
        }
    }
    if (!parser.isSet(QStringLiteral("simulate")))
        return OpenPort(parser.value(QStringLiteral("port")).toStdString(), link, c);
    std::string error;
    link.radio = std::make_unique<sim::VirtualRadio>();
    if (!link.radio->Start(&error)) {
        return Fail(c, kExitPort, "the virtual radio did not start: " + error);
    }
    const std::string device = link.radio->DevicePath();
    link.name = "virtual radio " + device;
    if (link.port.OpenDevice(device) != 1)
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
    MemoryImage copy = image;
    EncodeImage(request.table, request.settings, copy);
    KeepBackup(copy, "write");
    const ExchangeHooks hooks = LogHooks(c.err);
    const WriteOutcome outcome = WriteRadio(link.port, request, hooks);
    if (outcome.status != WriteStatus::Ok) {
        return Fail(c, kExitLink,
                    link.name + ": " + WriteFailure(outcome, WriteFrames(request).size()));
    }
    if (!verify)
        return kExitOk;
    return Verify(link, request, hooks, c);
}

}  // namespace orvel::cli
