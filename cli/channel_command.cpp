// orvelctl channel: the radio's current channel, read or set.
#include "command_list.h"

#include <string>

#include "exchanges.h"
#include "radio_link.h"

namespace orvel::cli {
namespace {

std::string DataErrorText(const CurrentChannelOutcome& outcome) {
    switch (outcome.dataError) {
        case ChannelDataError::Echo:
            return "the answer repeats the request: the line echoes, no radio answered";
        case ChannelDataError::NotAnAnswer:
            return "the answer does not name the word asked for";
        case ChannelDataError::NoSuchSquelch:
            return "the radio reports squelch byte " +
                   Hex({static_cast<std::uint8_t>(outcome.squelchByte)}) + ", no level from 0 to 9";
        default:
            break;
    }
    return "the radio reports no channel from 1 to 16";
}

}  // namespace

int RunChannel(const QStringList& arguments, Context& c) {
    const CommandInfo info{
        "usage: orvelctl channel (--port DEV | --simulate) [--set N [--squelch K]]\n"
        "                        [--format text|json] [--trace FILE]\n",
        "Reads the radio's current channel and its squelch, or with --set makes channel N\n"
        "current.\n\n" +
            std::string(kPortHelp) +
            "  --set N         make channel N (1..16) current\n"
            "  --squelch K     with --set: squelch 0..9, 0 = none (default)\n"
            "  --format F      text (default) or json: {\"channel\": N, \"squelch\": K}\n"
            "\n"
            "K is the squelch level, the low half of the channel's squelch byte as read shows it.\n"
            "An answer that does not name the word asked for, a level above 9, or the request\n"
            "coming back (an echoing line, at any pace) is a format error, exit 2.\n",
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
            return LinkFail(c, link, DataErrorText(outcome));
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

}  // namespace orvel::cli
