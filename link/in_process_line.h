// A device inside the process, such as the built-in virtual radio: always there, and never gone.
#pragma once

#include "port_transport.h"

namespace orvel {

class InProcessLine : public PortTransport {
public:
    explicit InProcessLine(BytePort& device) : device_(device) {}

    int IsOpen() const override { return open_ ? 1 : 0; }
    int WriteByte(std::uint8_t byte) override {
        if (!open_)
            return -1;
        device_.WriteByte(byte);
        return 1;
    }
    int ReadByte(std::uint8_t& out) override { return open_ ? device_.ReadByte(out) : -1; }
    bool WaitForData(int milliseconds) override {
        return open_ && device_.WaitForData(milliseconds);
    }
    void DropInput(std::vector<std::uint8_t>& dropped) override {
        if (!open_)
            return;
        std::uint8_t byte = 0;
        while (device_.ReadByte(byte) == 1)
            dropped.push_back(byte);
        device_.DiscardInput();
    }
    void PurgeOutput() override {
        if (open_)
            device_.PurgeOutput();
    }
    // What the device still sends belongs to no later exchange.
    int Close() override {
        if (open_)
            device_.DiscardInput();
        open_ = false;
        return 1;
    }
    bool CheckConnection() override { return open_; }

private:
    BytePort& device_;
    bool open_ = true;
};

}  // namespace orvel
