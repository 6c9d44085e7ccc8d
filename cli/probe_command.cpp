#include "probe_command.h"

#include <nlohmann/json.hpp>

#include "commands.h"
#include "echo_text.h"
#include "port_probe.h"

namespace orvel::cli {

int ProbeAllPorts(const std::vector<std::string>& extraDevices, bool json, std::ostream& out,
                  std::ostream& err) {
    std::vector<std::string> devices = SystemSerialPorts();
    devices.insert(devices.end(), extraDevices.begin(), extraDevices.end());
    // One device named twice (a link and its target) is asked once, and its row names both.
    const std::vector<std::vector<std::string>> names = DeviceNames(devices);
    std::vector<std::string> distinct;
    for (const auto& group : names)
        distinct.push_back(group.front());
    const std::vector<ProbeResult> results = ProbePorts(distinct);
    bool radio = false;
    nlohmann::json rows = nlohmann::json::array();
    for (std::size_t i = 0; i < results.size(); ++i) {
        const ProbeResult& result = results[i];
        radio = radio || result.status == ProbeStatus::Radio;
        if (json) {
            nlohmann::json row = {{"port", result.port},
                                  {"names", names[i]},
                                  {"status", std::string(ProbeStatusName(result.status))},
                                  {"identity", nullptr}};
            if (result.status == ProbeStatus::Radio)
                row["identity"] = result.identity;
            rows.push_back(std::move(row));
            continue;
        }
        std::string port;
        for (const std::string& name : names[i])
            port += (port.empty() ? "" : ", ") + EscapeControls(name);
        if (result.status == ProbeStatus::Radio) {
            out << port << '\t' << result.identity << '\n';
        } else {
            out << port << "\t-\t" << ProbeStatusText(result.status) << '\n';
        }
    }
    if (json) {
        // A path given on the command line need not be UTF-8; it is printed, not refused.
        out << rows.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    }
    out.flush();
    if (results.empty())
        err << "orvelctl: no serial ports found; name one with --port DEV\n";
    if (!radio)
        err << "orvelctl: no radio answered\n";
    err.flush();
    return radio ? kExitOk : kExitLink;
}

}  // namespace orvel::cli
