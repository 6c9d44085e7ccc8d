// orvelctl unit assign: units assigned a plan of the library.
#include "plan_commands.h"

namespace orvel::cli {

int RunUnitAssign(const QStringList& arguments, Context& c) {
    std::vector<QCommandLineOption> options = LibraryOptions(true);
    for (const char* name : {"plan", "port", "site"})
        options.push_back(ValueOption(name, "TEXT"));
    QCommandLineParser parser;
    if (int code = PrepareLibraryCommand(parser, kUnitSynopsis, options, -1, "", arguments, c);
        code >= 0)
        return code;
    if (parser.positionalArguments().isEmpty() || !parser.isSet(QStringLiteral("plan")))
        return LibraryUsage(c, kUnitSynopsis, "assign takes UNIT... and --plan NAME");
    std::vector<UnitAssignment> units;
    for (const QString& unit : parser.positionalArguments()) {
        units.push_back(Assignment(unit.toStdString(),
                                   parser.value(QStringLiteral("plan")).toStdString(),
                                   parser.value(QStringLiteral("port")).toStdString(),
                                   parser.value(QStringLiteral("site")).toStdString()));
        if (const std::string fault = AssignmentFault(units.back()); !fault.empty())
            return LibraryUsage(c, kUnitSynopsis, fault);
    }
    Library library;
    if (int code = OpenLibrary(parser, true, library, c); code >= 0)
        return code;
    return Assign(library, units, c);
}

}  // namespace orvel::cli
