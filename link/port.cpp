#include "port.h"

#include "byte_trace.h"
#include "port_kinds.h"

namespace orvel {
Port::~Port() {
    Close();
}

void Port::AttachDevice(const std::string& name, BytePort* device) {
    inProcessName_ = device != nullptr ? name : std::string();
    options_.inProcess = device;
}

int Port::OpenDevice(const std::string& name, int baud, int byteSize, int parity, int stopBits) {
    if (IsOpen() == 1) {
        problem_ = {OpenFailure::AlreadyOpen, "port already open", {}};
        return -1;
    }
    // A line that closed itself may still hold its device until it is let go here.
    line_.reset();
    lostReason_.clear();
    const PortName parsed = ParsePortName(name, inProcessName_);
    device_ = parsed.device;
    options_.line = {baud, byteSize, parity, stopBits};
    problem_ = {};
    if (!parsed.problem.empty())
        problem_ = {OpenFailure::BadName, parsed.device + ": " + parsed.problem, {}};
    else
        line_ = parsed.entry->open(parsed, options_, problem_);
    if (!line_)
        return 0;
    line_->SetLostHandler([this](const std::string& reason) {
        lostReason_ = reason;
        FlushTrace();
        if (lostHandler_)
            lostHandler_(device_, reason);
    });
    return 1;
}

int Port::IsOpen() const {
    return line_ && line_->IsOpen() == 1 ? 1 : 0;
}

int Port::WriteByte(std::uint8_t byte) {
    if (IsOpen() != 1 || line_->WriteByte(byte) != 1)
        return -1;
    if (trace_ != nullptr)
        trace_->Sent(byte);
    return 1;
}

int Port::ReadByte(std::uint8_t& out) {
    if (IsOpen() != 1)
        return -1;
    const int got = line_->ReadByte(out);
    if (got == 1 && trace_ != nullptr)
        trace_->Received(out);
    return got;
}

bool Port::WaitForData(int milliseconds) {
    return IsOpen() == 1 && line_->WaitForData(milliseconds);
}

void Port::DiscardInput() {
    if (IsOpen() != 1)
        return;
    std::vector<std::uint8_t> dropped;
    line_->DropInput(dropped);
    if (trace_ != nullptr) {
        for (std::uint8_t byte : dropped)
            trace_->Discarded(byte);
    }
}

void Port::PurgeOutput() {
    if (IsOpen() == 1)
        line_->PurgeOutput();
}

int Port::Close() {
    // The trace of a line that went away was written out then, and may be gone by now.
    const bool wasOpen = IsOpen() == 1;
    if (line_)
        line_->Close();
    if (wasOpen)
        FlushTrace();
    return 1;
}

bool Port::CheckConnection() {
    return line_ && line_->CheckConnection();
}

void Port::FlushTrace() {
    if (trace_ != nullptr)
        trace_->Flush();
}

}  // namespace orvel
