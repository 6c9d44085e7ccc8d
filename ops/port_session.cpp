#include "port_session.h"

namespace orvel {

bool PortSession::TraceTo(const std::string& path, std::string& error,
                          std::function<void(const std::string&)> onWriteFailure) {
    auto trace = std::make_unique<ByteTrace>();
    if (!trace->Open(path, error))
        return false;
    trace->OnWriteFailure(std::move(onWriteFailure));
    port.SetTrace(trace.get());
    trace_ = std::move(trace);
    return true;
}

sim::InProcessRadio& PortSession::AttachVirtualRadio(const std::string& name) {
    radio_ = std::make_unique<sim::InProcessRadio>();
    port.AttachDevice(name, radio_.get());
    return *radio_;
}

}  // namespace orvel
