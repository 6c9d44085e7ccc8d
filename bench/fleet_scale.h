// The fleet commands against 256 paced radios behind ser2net, run as a team lead runs them.
#pragma once

namespace orvel::bench {

// Prints the fleet lines; false when a command failed. Skipped without ser2net.
bool BenchFleetScale(int runs);

}  // namespace orvel::bench
