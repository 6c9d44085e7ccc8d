// orvelctl plan add: a file's configuration kept as the next version of a plan.
#include <filesystem>

#include "echo_text.h"
#include "plan_commands.h"

namespace orvel::cli {

int RunPlanAdd(const QStringList& arguments, Context& c) {
    std::vector<QCommandLineOption> options = LibraryOptions(true);
    options.push_back(ValueOption("name", "NAME"));
    options.push_back(ValueOption("note", "TEXT"));
    QCommandLineParser parser;
    if (int code =
            PrepareLibraryCommand(parser, kPlanSynopsis, options, 1, "one FILE", arguments, c);
        code >= 0)
        return code;
    const std::string path = PathArgument(parser.positionalArguments().front());
    if (KindOf(path) == FileKind::Unknown)
        return LibraryUsage(c, kPlanSynopsis, "'" + path + "' is not a .dat, .json or .csv file");
    PlanVersion plan;
    const bool named = parser.isSet(QStringLiteral("name"));
    plan.name = named ? parser.value(QStringLiteral("name")).toStdString()
                      : std::filesystem::path(path).stem().string();
    const std::string which = named ? "--name" : "--name (default: the file's name)";
    if (const Status checked = CheckPlanName(plan.name); !checked)
        return LibraryUsage(c, kPlanSynopsis, which + ": " + checked.error());
    // NAME@VERSION names a version: a name with an @ could not be named.
    if (plan.name.find('@') != std::string::npos)
        return LibraryUsage(c, kPlanSynopsis, which + ": \"" + plan.name + "\" holds an @");
    plan.note = parser.value(QStringLiteral("note")).toStdString();
    if (CheckLabel(plan.note) == LabelFault::Control)
        return LibraryUsage(c, kPlanSynopsis, "--note " + LabelFaultText(plan.note));
    Library library;
    if (int code = OpenLibrary(parser, true, library, c); code >= 0)
        return code;
    MemoryImage image{};
    const FrequencyLimits limits = Limits(library.config);
    if (int code = LoadImageFile(path, limits, image, c, library.config.limitsFault); code >= 0)
        return code;
    plan.image = PlanImage(image, limits);
    plan.station = library.settings.station;
    plan.operatorName = library.settings.operatorName;
    PlanAdded added;
    if (const Status stored = library.store->AddPlan(plan).Into(added); !stored)
        return library.Fail(c, stored.error());
    plan.version = added.version;
    c.out << EscapeControls(PlanLabel(plan)) << '\t' << (added.added ? "added" : "unchanged")
          << '\t' << Sha256Hex(plan.image) << '\n'
          << std::flush;
    if (!added.added) {
        c.err << "orvelctl: " << EchoMessage(PlanLabel(plan))
              << ": the newest version holds these bytes already; nothing is added\n"
              << std::flush;
    }
    return kExitOk;
}

}  // namespace orvel::cli
