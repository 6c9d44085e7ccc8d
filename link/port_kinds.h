// The kinds of port, each described once: which names are its own, what help says of it, the
// ports of it the system lists, and how one is opened. Parsing a name (port_name.h), opening
// it (port.h), both programs' help, the port lists and the window's network dialog all ask
// here, so a new kind is its port class and one entry in port_kinds.cpp.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "port_name.h"

namespace orvel {

struct OpenProblem;
struct PortOptions;
class PortTransport;
struct SystemPort;

struct PortKindEntry {
    PortKind kind = PortKind::Serial;
    // Its names are SCHEME://..., the scheme in any case; empty for a kind named otherwise
    // (serial: any other name; in-process: the name its device was attached under).
    std::string_view scheme = {};
    std::string_view form = {};  // how help writes its names: "rfc2217://HOST:PORT"
    // orvelctl --help's words, the form first; a line break where --port's paragraph breaks.
    std::string_view help = {};
    std::string_view brief = {};       // the window's --help, after the form
    std::string_view dialogLine = {};  // the network dialog's line (ORVEL_TR)
    // The rest of `parsed` (kind and the name as given set already): the device, the address,
    // what is wrong with the name.
    void (*parse)(PortName& parsed) = nullptr;
    // The ports of this kind the system has; null for a kind it does not list.
    std::vector<SystemPort> (*list)() = nullptr;
    // The line open, or nullptr with why in `problem`.
    std::unique_ptr<PortTransport> (*open)(const PortName& name, const PortOptions& options,
                                           OpenProblem& problem) = nullptr;
};

std::span<const PortKindEntry> PortKinds();
// The kind `name` is of; null for a URL whose scheme no kind has. `inProcess` as in
// ParsePortName.
const PortKindEntry* FindPortKind(const std::string& name, const std::string& inProcess);
// What the kinds named by URL say of themselves, `separator` between them: their forms
// ("rfc2217://HOST:PORT or socket://HOST:PORT"), each with its brief words in brackets, or
// their help.
enum class PortWords { Form, FormAndBrief, Help };
std::string NetworkPortForms(std::string_view separator, PortWords words = PortWords::Form);
// Why `url` names no network port, or empty: what the network dialog accepts.
std::string NetworkPortProblem(const std::string& url);

}  // namespace orvel
