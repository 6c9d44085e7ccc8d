#include "probe_command.h"

#include <nlohmann/json.hpp>

#include "commands.h"
#include "port_probe.h"

namespace orvel::cli {

int ProbeAllPorts(const std::vector<std::string>& extraDevices, bool json, std::ostream& out,
                  std::ostream& err) {
    std::vector<std::string> devices = SystemSerialPorts();
    devices.insert(devices.end(), extraDevices.begin(), extraDevices.end());
    const std::vector<ProbeResult> results = ProbePorts(DistinctDevices(devices));
    bool radio = false;
    nlohmann::json rows = nlohmann::json::array();
    for (const ProbeResult& result : results) {
        radio = radio || result.status == ProbeStatus::Radio;
        if (json) {
            nlohmann::json row = {{"port", result.port},
                                  {"status", std::string(ProbeStatusName(result.status))}};
            if (result.status == ProbeStatus::Radio)
                row["identity"] = result.identity;
            rows.push_back(std::move(row));
        } else if (result.status == ProbeStatus::Radio) {
            out << result.port << '\t' << result.identity << '\n';
        } else {
            out << result.port << "\t-\t" << ProbeStatusText(result.status) << '\n';
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
