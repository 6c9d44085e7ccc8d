// The shared database's URL as Record= and --record take it. Properties: a URL with a password
// is refused and the refusal never repeats it; a URL taken names a host, a database and a port
// in range, and hands libpq each option once, quoted, with an sslmode for a host elsewhere.
#include <cstdlib>
#include <string>

#include "fuzz_target.h"
#include "programming_record.h"

namespace orvel::fuzz {

ORVEL_FUZZ_TARGET(FuzzRecordUrl) {
    Input input(data, size);
    const std::string url(input.Rest());
    ServerAddress address;
    const std::string problem = ParseRecordUrl(url).Into(address).error();
    if (!problem.empty()) {
        const std::size_t begin = url.find("//");
        const std::string authority =
            begin == std::string::npos
                ? std::string()
                : url.substr(begin + 2, url.find_first_of("/?#", begin + 2) - begin - 2);
        const std::size_t at = authority.rfind('@');
        const std::size_t colon = authority.find(':');
        if (at != std::string::npos && colon < at && at - colon > 4) {
            const std::string password = authority.substr(colon + 1, at - colon - 1);
            // The refusal's own words may hold it by chance ("s po" in "takes postgresql"):
            // they do when the same URL with the password's letters g to z moved on by one (no
            // hex digit changes, so the URL parses the same way) is refused with it too.
            std::string other = url;
            for (std::size_t i = 0; i < password.size(); ++i) {
                char& c = other[begin + 3 + colon + i];
                if ((c | 0x20) >= 'g' && (c | 0x20) <= 'z')
                    c = (c | 0x20) == 'z' ? char(c - 19) : char(c + 1);
            }
            FUZZ_CHECK(problem.find(password) == std::string::npos ||
                           ParseRecordUrl(other).error().find(password) != std::string::npos,
                       "the refusal repeats the password: " + problem);
        }
        return 0;
    }
    FUZZ_CHECK(!address.host.empty() && !address.database.empty(), "taken without a host: " + url);
    FUZZ_CHECK(address.port >= 1 && address.port <= 65535, "port " + std::to_string(address.port));
    FUZZ_CHECK(address.shown == url, "shown as " + address.shown);
    // Each key once, each value quoted, so no value can smuggle in a key of its own.
    std::string keys;
    std::size_t start = 0;
    const std::string& options = address.connectOptions;
    while (start < options.size()) {
        const std::size_t equals = options.find('=', start);
        FUZZ_CHECK(equals != std::string::npos && equals + 1 < options.size() &&
                       options[equals + 1] == '\'',
                   "an option without a quoted value: " + options);
        const std::string key = options.substr(start, equals - start);
        FUZZ_CHECK(keys.find(";" + key + ";") == std::string::npos, "twice: " + options);
        keys += ";" + key + ";";
        std::size_t end = equals + 2;
        while (end < options.size() && options[end] != '\'')
            end += options[end] == '\\' ? 2 : 1;
        FUZZ_CHECK(end < options.size(), "an unclosed quote: " + options);
        start = end + 1;
        FUZZ_CHECK(start == options.size() || options[start] == ';', "no ';': " + options);
        start += start < options.size() ? 1 : 0;
    }
    const bool local =
        address.host == "localhost" || address.host == "::1" || address.host.starts_with("127.");
    FUZZ_CHECK(local || keys.find(";sslmode;") != std::string::npos || !std::getenv("PGSSLMODE"),
               "a host elsewhere without an sslmode: " + url);
    return 0;
}

}  // namespace orvel::fuzz
