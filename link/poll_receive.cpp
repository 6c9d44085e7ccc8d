#include "poll_receive.h"

#include <chrono>
#include <thread>

namespace orvel {

void SleepPause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

PollResult PollReceive(SerialPort& port, const PollPlan& plan, const Pause& pause,
                       const std::function<void(std::size_t)>& onByte) {
    PollResult result;
    result.bytes.assign(plan.expected, 0);
    // A port that closed (its device went away) ends the wait at once: nothing more can come.
    bool portClosed = false;
    auto poll = [&] {
        std::uint8_t byte = 0;
        const int got = port.ReadByte(byte);
        if (got >= 1) {
            result.bytes[result.count++] = byte;
            if (onByte)
                onByte(result.count);
        }
        portClosed = got < 0;
        return result.Complete() || portClosed;
    };
    if (plan.expected == 0)
        return result;
    if (plan.shape == PollShape::Pass) {
        for (int pass = 0; pass < plan.passes; ++pass) {
            for (int i = 0; i < plan.pollsPerPass; ++i) {
                if (poll())
                    break;
            }
            if (portClosed)
                break;
            pause(kPollPauseMs);
            if (result.Complete())
                break;
        }
    } else {
        for (int i = 0; i < plan.passes; ++i) {
            if (poll())
                break;
            pause(kPollPauseMs);
        }
    }
    return result;
}

void SendFrame(SerialPort& port, const RadioFrame& frame) {
    for (std::uint8_t byte : frame)
        port.WriteByte(byte);
}

}  // namespace orvel
