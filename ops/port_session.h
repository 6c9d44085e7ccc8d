// The port a program talks to the radio through, with its byte trace and, for --simulate, the
// virtual radio inside the program: put together once for both programs. The members go in an
// order that lets closing the port still reach the trace, and the radio outlive both.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "byte_trace.h"
#include "in_process_radio.h"
#include "port.h"
#include "result.h"

namespace orvel {

class PortSession {
    // Before the port, which goes first.
    std::unique_ptr<sim::InProcessRadio> radio_;
    std::unique_ptr<ByteTrace> trace_;

public:
    Port port;

    PortSession() = default;
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

    // Every byte on the line goes to `path` (appended) from now on; fails when it cannot be
    // opened. `onWriteFailure` hears once, with the reason, when writing stops later.
    Status TraceTo(const std::string& path, std::function<void(const std::string&)> onWriteFailure);
    // The built-in virtual radio, which the port reaches under `name` from now on.
    sim::InProcessRadio& AttachVirtualRadio(const std::string& name);
};

}  // namespace orvel
