// orvelctl ports: the serial ports, or which of them a radio answers on.
#include "command_list.h"

#include <string>
#include <vector>

#include "app_paths.h"
#include "port_kinds.h"
#include "port_probe.h"
#include "probe_command.h"

namespace orvel::cli {

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
        "                  not listed by the system; " +
            NetworkPortForms(" or\n                  ") +
            " for a port behind a serial device server, which\n"
            "                  is asked as named: the network is not searched); may be given "
            "more\n"
            "                  than once\n"
            "  --format F      text (default) or json: [{\"port\": ..., \"names\": [...],\n"
            "                  \"status\": \"radio\" | \"silent\" | \"badformat\" | \"busy\" |\n"
            "                  \"denied\" | \"missing\" | \"notaport\", \"identity\": ... or "
            "null}]\n",
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
            if (const std::string problem = PortOptionProblem(port.toStdString()); !problem.empty())
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

}  // namespace orvel::cli
