#include "network_address.h"

#include <QString>
#include <algorithm>
#include <string_view>

#include "port_kinds.h"

namespace orvel {

std::string ParseNetworkPort(const std::string& url, NetworkAddress& address) {
    const std::size_t mark = url.find("://");
    if (mark == std::string::npos)
        return "not a network port (" + NetworkPortForms(" or ") + ")";
    const QString scheme = QString::fromStdString(url.substr(0, mark)).toLower();
    if (scheme == QLatin1String("rfc2217")) {
        address.telnet = true;
    } else if (scheme == QLatin1String("socket")) {
        address.telnet = false;
    } else {
        return "unknown scheme \"" + url.substr(0, mark) + "://\" (" + NetworkPortForms(" or ") +
               ")";
    }
    std::string rest = url.substr(mark + 3);
    if (rest.find('?') != std::string::npos)
        return "options after '?' are not supported; give SCHEME://HOST:PORT";
    if (!rest.empty() && rest.back() == '/')
        rest.pop_back();
    std::string host;
    std::string port;
    if (rest.starts_with('[')) {
        // [IPv6]:PORT
        const std::size_t close = rest.find(']');
        if (close == std::string::npos)
            return "no closing ']' after the IPv6 address";
        host = rest.substr(1, close - 1);
        if (close + 1 >= rest.size() || rest[close + 1] != ':')
            return "no port: give HOST:PORT";
        port = rest.substr(close + 2);
    } else {
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string::npos)
            return "no port: give HOST:PORT";
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
        if (host.find(':') != std::string::npos)
            return "an IPv6 address goes in brackets: [ADDRESS]:PORT";
    }
    if (host.empty())
        return "no host: give HOST:PORT";
    // A host's name also goes into file names (a fleet's traces) and into lines a user reads.
    if (std::any_of(host.begin(), host.end(), [](char c) {
            return static_cast<unsigned char>(c) <= ' ' || c == 0x7F ||
                   std::string_view("/\\\"<>|?*[]").find(c) != std::string_view::npos;
        }))
        return "\"" + host + "\" is no host name";
    if (port.empty())
        return "no port: give HOST:PORT";
    if (port.find_first_not_of("0123456789") != std::string::npos)
        return "the port \"" + port + "\" is not a number";
    const long number = port.size() > 6 ? 70000 : std::stol(port);
    if (number < 1 || number > 65535)
        return "the port " + port + " is out of range (1 to 65535)";
    address.host = host;
    address.port = static_cast<int>(number);
    return {};
}

}  // namespace orvel
