// Port names as users type them, network URLs above all: a name is a network port exactly when
// it has the URL form, a good URL names a host and port that read back the same however the
// URL is written again, and what the name gives a file's name is one file name on every system.
#include <string>

#include "fuzz_target.h"
#include "port_name.h"

namespace orvel::fuzz {
namespace {

// Characters no file name may hold on Windows or Linux, besides control characters.
bool SafeInFileName(const std::string& name) {
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
            std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos)
            return false;
    }
    return true;
}

}  // namespace

ORVEL_FUZZ_TARGET(FuzzPortName) {
    Input input(data, size);
    const std::uint8_t control = input.Byte();
    // Most inputs are made URLs, so that the parser gets past the scheme.
    const char* schemes[] = {"", "rfc2217://", "socket://", "RFC2217://"};
    const std::string name = schemes[control % 4] + std::string(input.Rest());

    const PortName parsed = ParsePortName(name);
    FUZZ_CHECK((parsed.kind == PortKind::Network) == IsNetworkPortName(name), "kind of " + name);
    if (parsed.kind != PortKind::Network) {
        const std::string problem = PortNameProblem(name);
        FUZZ_CHECK(problem.empty() || problem.starts_with("a port number"), problem);
        ShownPortName(ResolvePortName(name));
        return 0;
    }
    FUZZ_CHECK(PortNameProblem(name) == parsed.problem, "two verdicts on " + name);
    FUZZ_CHECK(parsed.device == name, "the URL is not opened as given");
    if (!parsed.problem.empty())
        return 0;
    const NetworkAddress& address = parsed.address;
    FUZZ_CHECK(address.port >= 1 && address.port <= 65535, "port of " + name);
    FUZZ_CHECK(!address.host.empty(), "no host in " + name);
    const std::string tag = PortFileTag(name);
    FUZZ_CHECK(SafeInFileName(tag), "file tag \"" + tag + "\" of " + name);

    // Written again in its plainest form, and in the other scheme, it is the same port.
    const std::string host =
        address.host.find(':') == std::string::npos ? address.host : "[" + address.host + "]";
    const std::string plain =
        (address.telnet ? "rfc2217://" : "socket://") + host + ":" + std::to_string(address.port);
    const PortName again = ParsePortName(plain);
    FUZZ_CHECK(again.problem.empty() && again.address.host == address.host &&
                   again.address.port == address.port && again.address.telnet == address.telnet,
               plain + " reads back otherwise than " + name);
    FUZZ_CHECK(SamePort(name, plain), plain + " is another port than " + name);
    FUZZ_CHECK(SamePort(name, (address.telnet ? "socket://" : "rfc2217://") + host + ":" +
                                  std::to_string(address.port)),
               "the other scheme names another port than " + name);
    FUZZ_CHECK(PortFileTag(plain) == tag, "file tag of " + plain);
    return 0;
}

}  // namespace orvel::fuzz
