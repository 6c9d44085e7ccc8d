// What the virtual radio does with the bytes of its line, whichever line that is: the pseudo-
// terminal (virtual_radio_pty.cpp) or, on Windows, a line lent by the test script
// (virtual_radio_lines.cpp).
#include "virtual_radio.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "sleep_until.h"

namespace orvel::sim {

VirtualRadio::VirtualRadio(MemoryImage image, RadioBehaviour behaviour)
    : engine_(image, std::move(behaviour)) {}

VirtualRadio::~VirtualRadio() {
    Stop();
}

std::string VirtualRadio::DevicePath() const {
    std::lock_guard lock(mutex_);
    return devicePath_;
}

MemoryImage VirtualRadio::Image() const {
    std::lock_guard lock(mutex_);
    return engine_.Image();
}

void VirtualRadio::SetImage(const MemoryImage& image) {
    std::lock_guard lock(mutex_);
    engine_.SetImage(image);
}

int VirtualRadio::CurrentChannel() const {
    std::lock_guard lock(mutex_);
    return engine_.CurrentChannel();
}

void VirtualRadio::SetCurrentChannel(int index) {
    std::lock_guard lock(mutex_);
    engine_.SetCurrentChannel(index);
}

RadioBehaviour VirtualRadio::Behaviour() const {
    std::lock_guard lock(mutex_);
    return engine_.Behaviour();
}

void VirtualRadio::SetBehaviour(const RadioBehaviour& behaviour) {
    std::lock_guard lock(mutex_);
    engine_.SetBehaviour(behaviour);
}

std::vector<RadioFrame> VirtualRadio::Frames() const {
    std::lock_guard lock(mutex_);
    return engine_.Frames();
}

std::vector<std::uint8_t> VirtualRadio::ReceivedBytes() const {
    std::lock_guard lock(mutex_);
    return engine_.ReceivedBytes();
}

void VirtualRadio::ClearRecord() {
    std::lock_guard lock(mutex_);
    engine_.ClearRecord();
}

bool VirtualRadio::Take(const std::uint8_t* bytes, std::size_t count,
                        std::vector<RadioAnswer>& answers) {
    bool paced = false;
    answers.clear();
    {
        std::lock_guard lock(mutex_);
        paced = engine_.Behaviour().pace;
        if (!paced)
            engine_.Take(bytes, count, answers);
    }
    if (!paced) {
        for (const RadioAnswer& answer : answers) {
            if (!Send(answer))
                return false;
        }
        return true;
    }
    // On a paced line the bytes come one byte time apart, from when they were read at the
    // earliest: the answer to a frame waits for the frame's last byte.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point read = Clock::now();
    for (std::size_t i = 0; i < count; ++i) {
        takenUntil_ = std::max(takenUntil_, read) + std::chrono::nanoseconds(kPacedByteNanoseconds);
        answers.clear();
        {
            std::lock_guard lock(mutex_);
            engine_.Take(bytes + i, 1, answers);
        }
        if (answers.empty())
            continue;
        SleepUntil(takenUntil_);
        for (const RadioAnswer& answer : answers) {
            if (stopping_ || !Send(answer))
                return false;
        }
    }
    return true;
}

bool VirtualRadio::Send(const RadioAnswer& answer) {
    if (!answer.pace)
        return WriteAll(answer.bytes.data(), answer.bytes.size());
    // Each byte leaves when its last bit would have, measured from one start time, so that
    // scheduling delays do not add up over a long answer.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const std::size_t group = static_cast<std::size_t>(std::max(1, Behaviour().paceGroup));
    for (std::size_t i = 0; i < answer.bytes.size(); i += group) {
        const std::size_t end = std::min(answer.bytes.size(), i + group);
        const auto due =
            start + std::chrono::nanoseconds(static_cast<long long>(end) * kPacedByteNanoseconds);
        SleepUntil(due);
        if (stopping_ || !WriteAll(&answer.bytes[i], end - i))
            return false;
    }
    return true;
}

}  // namespace orvel::sim
