#include "in_process_radio.h"

#include <algorithm>
#include <thread>
#include <utility>
#include <vector>

#include "sleep_until.h"

namespace orvel::sim {

InProcessRadio::InProcessRadio(MemoryImage image, RadioBehaviour behaviour)
    : engine_(image, std::move(behaviour)) {}

int InProcessRadio::WriteByte(std::uint8_t byte) {
    std::vector<RadioAnswer> answers;
    engine_.Take(&byte, 1, answers);
    // Paced, a byte reaches the radio one byte time after the one before it left the line.
    Clock::time_point taken = Clock::now();
    if (engine_.Behaviour().pace) {
        takenUntil_ =
            std::max(taken, takenUntil_) + std::chrono::nanoseconds(kPacedByteNanoseconds);
        taken = takenUntil_;
    }
    // Bytes that come while an answer is still going out are answered once it is out.
    Clock::time_point at = std::max(taken, busyUntil_);
    for (const RadioAnswer& answer : answers) {
        for (std::uint8_t answerByte : answer.bytes) {
            if (answer.pace)
                at += std::chrono::nanoseconds(kPacedByteNanoseconds);
            line_.push_back({at, answerByte});
        }
    }
    busyUntil_ = at;
    return 1;
}

int InProcessRadio::ReadByte(std::uint8_t& out) {
    if (!Arrived(Clock::now())) {
        out = 0;
        return 0;
    }
    out = line_.front().byte;
    line_.pop_front();
    return 1;
}

bool InProcessRadio::WaitForData(int milliseconds) {
    const Clock::time_point now = Clock::now();
    if (Arrived(now))
        return true;
    const Clock::time_point bound = now + std::chrono::milliseconds(std::max(milliseconds, 0));
    // Nothing else can send while this thread waits: the wait ends with the next byte due or the
    // bound, whichever comes first.
    const bool due = !line_.empty() && line_.front().at <= bound;
    SleepUntil(due ? line_.front().at : bound);
    return due;
}

void InProcessRadio::DiscardInput() {
    const Clock::time_point now = Clock::now();
    while (Arrived(now))
        line_.pop_front();
}

}  // namespace orvel::sim
