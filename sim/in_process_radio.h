// The virtual radio inside the tool's own process, behind the port interface the exchanges use:
// what the tool writes reaches the radio at once, or when paced, as at 9600 baud, 11 bits a byte;
// its answers arrive when a radio on a line would deliver them, at once or at that pace. No
// pseudo-terminal, so it works wherever the tool runs. Used by one thread at a time, like a serial
// port.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>

#include "byte_port.h"
#include "radio_engine.h"

namespace orvel::sim {

class InProcessRadio : public BytePort {
public:
    explicit InProcessRadio(MemoryImage image = RadioEngine::DefaultImage(),
                            RadioBehaviour behaviour = {});

    int IsOpen() const override { return 1; }
    int WriteByte(std::uint8_t byte) override;
    int ReadByte(std::uint8_t& out) override;
    bool WaitForData(int milliseconds) override;
    // Drops what has arrived; bytes the radio is still sending arrive later, as on a line.
    void DiscardInput() override;
    // Nothing waits to be sent: a written byte is with the radio already.
    void PurgeOutput() override {}

    RadioEngine& Engine() { return engine_; }
    const RadioEngine& Engine() const { return engine_; }

private:
    using Clock = std::chrono::steady_clock;
    struct Arrival {
        Clock::time_point at;
        std::uint8_t byte;
    };

    bool Arrived(Clock::time_point now) const { return !line_.empty() && line_.front().at <= now; }

    RadioEngine engine_;
    std::deque<Arrival> line_;      // the radio's answers in order, each byte with its arrival
    Clock::time_point busyUntil_;   // a radio sends one answer after another, never two at once
    Clock::time_point takenUntil_;  // paced: when the last byte written has reached the radio
};

}  // namespace orvel::sim
