// orvelctl plan get: a version of a plan checked out as a channel file.
#include "channel_file.h"
#include "echo_text.h"
#include "file_access.h"
#include "plan_commands.h"

namespace orvel::cli {

int RunPlanGet(const QStringList& arguments, Context& c) {
    QCommandLineParser parser;
    if (int code = PrepareNamedPlanCommand(parser, ValueOption("out", "FILE"), arguments, c);
        code >= 0)
        return code;
    const std::string outPath = Value(parser, "out");
    if (KindOf(outPath) != FileKind::Dat)
        return LibraryUsage(c, kPlanSynopsis, "get takes --out FILE.dat");
    // A device or a FIFO is refused before the library is asked, as read --out refuses it.
    if (std::string error; !WritableTarget(outPath, error))
        return Fail(c, kExitData, outPath + ": " + error);
    Library library;
    PlanVersion plan;
    if (int code = OpenNamedPlan(parser, library, plan, c); code >= 0)
        return code;
    if (std::string error; !WriteFileAtomically(outPath, ChannelFileBytes(plan.image), error))
        return Fail(c, kExitData, outPath + ": " + error);
    c.out << EscapeControls(PlanLabel(plan)) << '\t' << plan.sha256 << '\n' << std::flush;
    return kExitOk;
}

}  // namespace orvel::cli
