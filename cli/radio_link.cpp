#include "radio_link.h"

#include "app_paths.h"
#include "codec.h"
#include "commands.h"
#include "configuration.h"
#include "echo_text.h"
#include "file_access.h"
#include "outcome.h"
#include "radio_operations.h"
#include "record_support.h"
#include "verify_write.h"
#include "write_and_verify.h"
#include "write_check.h"
#include "write_signals.h"

namespace orvel::cli {

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
    const Status traced = link.TraceTo(path, [&c](const std::string& reason) {
        c.err << "orvelctl: the trace stopped: " << EchoMessage(reason) << '\n' << std::flush;
    });
    if (!traced)
        return Fail(c, kExitData, traced.error());
    return -1;
}

int OpenPort(const std::string& port, Link& link, Context& c) {
    const int opened = link.port.OpenDevice(port);
    link.name = link.port.DeviceName();
    if (opened != 1)
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
    link.AttachVirtualRadio("virtual radio");
    return OpenPort("virtual radio", link, c);
}

int ReadHolding(Link& link, const WriteRequest& request, Context& c, ProgrammingRecord& read,
                bool& holds) {
    std::string held;
    const ReadOutcome outcome = ReadBeforeWrite(link.port, LogHooks(c.err, link), held);
    holds = HoldsWritten(outcome, request) && held.empty();
    if (outcome.status != ReadStatus::Ok)
        return LinkFail(c, link, DescribeReadFailure(outcome));
    if (!held.empty())
        return Fail(c, kExitData, FolderHeldFailure(held));
    RecordRead(read, outcome, link.port);
    return -1;
}

int WriteToRadio(Link& link, const MemoryImage& image, const WriteRequest& request,
                 const WriteSteps& steps, Context& c, ProgrammingRecord& learned) {
    if (!request.specialWord.empty() && !ParseSpecialWord(request.specialWord)) {
        c.err << "orvelctl: Word \"" << request.specialWord
              << "\" is not three hexadecimal pairs such as 12 34 56 (0-9, A-F); no special-data "
                 "frame is sent\n"
              << std::flush;
    }
    ExchangeHooks hooks = LogHooks(c.err, link);
    hooks.interrupted = WriteSignals::StopNow;
    learned.planSha256 = Sha256Hex(WrittenImage(image, request));
    if (steps.readFirst && !learned.before) {
        // Without the radio's old configuration kept, it is not overwritten.
        std::string held;
        const ReadOutcome before = ReadBeforeWrite(link.port, hooks, held);
        if (before.status != ReadStatus::Ok)
            return LinkFail(c, link, "read before the write: " + DescribeReadFailure(before));
        if (!held.empty())
            return Fail(c, kExitData, FolderHeldFailure(held));
        learned.radioId = before.identity;
        learned.before = before.image;
    }
    const WriteCheckOutcome outcome =
        WriteAndVerify(link.port, image, request, steps.verify, hooks);
    RecordWrite(learned, outcome, request, link.port);
    const std::string what = DescribeWriteOutcome(outcome, request);
    switch (outcome.verdict) {
        case WriteVerdict::Written:
            return kExitOk;
        case WriteVerdict::Verified:
            c.err << "orvelctl: verify: the radio holds what was written\n" << std::flush;
            return kExitOk;
        case WriteVerdict::ReadBackFailed:
            return LinkFail(c, link, what);
        case WriteVerdict::FolderHeld:
            return Fail(c, kExitData, what);
        case WriteVerdict::WriteFailed:
        case WriteVerdict::Mismatch:
        case WriteVerdict::BadChecksum:
            break;
    }
    // A connection or cable lost mid-write also says where the radio was left.
    return Fail(c, ExitCodeOf(learned.exitClass), link.name + ": " + learned.outcome);
}

}  // namespace orvel::cli
