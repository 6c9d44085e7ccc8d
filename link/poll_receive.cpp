#include "poll_receive.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace orvel {
namespace {

// About five bytes at 9600 baud; the last few of an answer are taken as they come.
constexpr int kGatherMs = 5;
constexpr std::size_t kGatherBytes = 8;

}  // namespace

void SleepPause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

PollResult PollReceive(BytePort& port, const PollPlan& plan, const Pause& pause,
                       const std::function<void(std::size_t)>& onByte, PollTiming timing) {
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
            return true;
        }
        portClosed = got < 0;
        return false;
    };
    if (plan.expected == 0)
        return result;
    if (timing == PollTiming::Prompt) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(plan.passes * kPollPauseMs);
        // One wake-up per byte: the wait itself pulls what arrived, so no empty poll is made.
        while (port.IsOpen() == 1 && !result.Complete()) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                    .count();
            if (left <= 0)
                break;
            if (port.WaitForData(static_cast<int>(std::min<long long>(left, kPollPauseMs)))) {
                poll();
                // A long answer comes a byte a millisecond: once what arrived is taken, letting
                // a few gather before the next wake-up keeps the wait cheap without making the
                // answer any later.
                if (plan.shape == PollShape::Pass && plan.expected - result.count > kGatherBytes &&
                    !port.WaitForData(0)) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(kGatherMs));
                }
            } else {
                pause(0);
            }
        }
        if (plan.shape == PollShape::Pass && result.Complete())
            pause(kPollPauseMs);
        return result;
    }
    if (plan.shape == PollShape::Pass) {
        for (int pass = 0; pass < plan.passes; ++pass) {
            for (int i = 0; i < plan.pollsPerPass; ++i) {
                if ((poll() && result.Complete()) || portClosed)
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
            if ((poll() && result.Complete()) || portClosed)
                break;
            pause(kPollPauseMs);
        }
    }
    return result;
}

void SendFrame(BytePort& port, const RadioFrame& frame) {
    for (std::uint8_t byte : frame)
        port.WriteByte(byte);
}

}  // namespace orvel
