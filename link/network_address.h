// The name of a serial line behind a serial device server, in pyserial's URL form:
// rfc2217://HOST:PORT or socket://HOST:PORT.
#pragma once

#include <string>

namespace orvel {

struct NetworkAddress {
    bool telnet = false;  // rfc2217:// rather than socket://
    std::string host;
    int port = 0;
};

// Empty when `url` names a network port; otherwise why not, for the user.
std::string ParseNetworkPort(const std::string& url, NetworkAddress& address);

}  // namespace orvel
