#include "port_session.h"

namespace orvel {

Status PortSession::TraceTo(const std::string& path,
                            std::function<void(const std::string&)> onWriteFailure) {
    auto trace = std::make_unique<ByteTrace>();
    if (std::string error; !trace->Open(path, error))
        return Failure{error};
    trace->OnWriteFailure(std::move(onWriteFailure));
    port.SetTrace(trace.get());
    trace_ = std::move(trace);
    return {};
}

sim::InProcessRadio& PortSession::AttachVirtualRadio(const std::string& name) {
    radio_ = std::make_unique<sim::InProcessRadio>();
    port.AttachDevice(name, radio_.get());
    return *radio_;
}

}  // namespace orvel
