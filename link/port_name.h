// What a port's name names. Users give ports as they know them: a device path, COMn, \\.\COMn,
// the port number n, a device under /dev without the folder, a port behind a serial device
// server (rfc2217://HOST:PORT, socket://HOST:PORT), or the name of a device inside the program.
// Everything the programs need to know of such names is here; each kind's own part of it is in
// its entry of port_kinds.h.
#pragma once

#include <string>

#include "network_address.h"

namespace orvel {

// What the programs treat alike: a device the system lists, a port named by URL behind a
// server, a device inside the program.
enum class PortKind { Serial, Network, InProcess };

struct PortKindEntry;

struct PortName {
    PortKind kind = PortKind::Serial;
    // What is opened: the device path, the network port's URL as given, the in-process name.
    std::string device;
    NetworkAddress address;  // kind Network, when `problem` is empty
    // Why a network port's URL names none; empty when it does.
    std::string problem;
    const PortKindEntry* entry = nullptr;  // null for a URL of a scheme no kind has
};

// Port numbers (n and COMn) go from 1 to this.
inline constexpr int kHighestPortNumber = 256;

// `inProcess`, when not empty, is the name a device inside the program goes by.
PortName ParsePortName(const std::string& name, const std::string& inProcess = {});

// The device of port number n: "COMn" on Windows ("\\.\COMn" for two-digit numbers), the
// n-th standard serial device /dev/ttyS(n-1) elsewhere.
std::string PortDeviceName(int portNumber);
// The device a name stands for: a path is used as given, a bare number n is port n, "COMn" is
// port n, any other name is looked up under /dev. A network port's URL stays as it is.
std::string ResolvePortName(const std::string& name);
// True for any name of the URL form (SCHEME://...), good or bad: such a name is never a device.
bool IsNetworkPortName(const std::string& name);
// Why a user's name can mean no port (a number outside 1..256, a URL that names no network
// port), to be said before anything is opened; empty otherwise.
std::string PortNameProblem(const std::string& name);

// The device as the user knows it: Windows opens COM10 and above as \\.\COMn, which is COMn.
std::string ShownPortName(const std::string& device);
// The same key for every name of one port: COM1, 1 and /dev/ttyS0; a link and the device it
// names; a server's port whichever way it is written (either scheme, the host in another case,
// the port number with leading zeros).
std::string CanonicalDevice(const std::string& name);
bool SamePort(const std::string& a, const std::string& b);
// The part of a port's name that may go into a file's name: the device's file name, or
// HOST-PORT for a network port.
std::string PortFileTag(const std::string& name);

}  // namespace orvel
