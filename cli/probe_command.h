// orvelctl ports --probe: which port a radio answers on.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace orvel::cli {

// Probes the system's ports and `extraDevices` all at once and prints one row per port, as
// text or as a JSON array. Exit 0 when a radio answered, 2 when none did.
int ProbeAllPorts(const std::vector<std::string>& extraDevices, bool json, std::ostream& out,
                  std::ostream& err);

}  // namespace orvel::cli
