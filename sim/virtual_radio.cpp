#include "virtual_radio.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

#include "codec.h"
#include "vocabulary.h"

namespace orvel::sim {
namespace {

constexpr std::array<std::uint8_t, 3> kNak = {0x33, 0x15, 0x00};
constexpr std::uint8_t kFillByte = 0xEE;

// 11 bits (start, 8 data, parity, stop) at 9600 baud.
constexpr long long kBitsPerByte = 11;
constexpr long long kBaud = 9600;

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool MakeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

bool AddFlags(int fd, int statusFlags) {
    const int status = fcntl(fd, F_GETFL);
    if (status < 0 || fcntl(fd, F_SETFL, status | statusFlags) != 0)
        return false;
    const int descriptor = fcntl(fd, F_GETFD);
    return descriptor >= 0 && fcntl(fd, F_SETFD, descriptor | FD_CLOEXEC) == 0;
}

void CloseFd(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

std::string Megahertz(int kilohertz) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%03d", kilohertz / 1000, kilohertz % 1000);
    return text;
}

}  // namespace

VirtualRadio::VirtualRadio(MemoryImage image, RadioBehaviour behaviour)
    : image_(image), behaviour_(std::move(behaviour)) {}

VirtualRadio::~VirtualRadio() {
    Stop();
}

bool VirtualRadio::Start(std::string* error) {
    std::lock_guard lifecycle(lifecycle_);
    if (thread_.joinable()) {
        if (error != nullptr)
            *error = "the virtual radio is already running";
        return false;
    }
    auto fail = [&](std::string reason) {
        CloseDescriptors();
        if (error != nullptr)
            *error = std::move(reason);
        return false;
    };

    if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0)
        return fail(SystemError("openpty"));
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0)
        return fail(SystemError("ptsname"));
    // The master is non-blocking so that a client that stops reading cannot hold up Stop.
    if (!MakeRaw(master_) || !MakeRaw(slave_))
        return fail(SystemError("raw mode"));
    if (!AddFlags(master_, O_NONBLOCK) || !AddFlags(slave_, 0))
        return fail(SystemError("fcntl"));
    int wake[2];
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return fail(SystemError("pipe"));
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];

    {
        std::lock_guard lock(mutex_);
        devicePath_ = name;
    }
    pending_.clear();
    stopping_ = false;
    try {
        thread_ = std::thread(&VirtualRadio::Serve, this);
    } catch (const std::system_error& e) {
        return fail(std::string("thread: ") + e.what());
    }
    return true;
}

void VirtualRadio::Stop() {
    std::lock_guard lifecycle(lifecycle_);
    if (thread_.joinable()) {
        stopping_ = true;
        const char wake = 1;
        [[maybe_unused]] const ssize_t ignored = write(wakeWrite_, &wake, 1);
        thread_.join();
    }
    CloseDescriptors();
}

void VirtualRadio::CloseDescriptors() {
    CloseFd(master_);
    CloseFd(slave_);
    CloseFd(wakeRead_);
    CloseFd(wakeWrite_);
}

std::string VirtualRadio::DevicePath() const {
    std::lock_guard lock(mutex_);
    return devicePath_;
}

MemoryImage VirtualRadio::Image() const {
    std::lock_guard lock(mutex_);
    return image_;
}

void VirtualRadio::SetImage(const MemoryImage& image) {
    std::lock_guard lock(mutex_);
    image_ = image;
}

int VirtualRadio::CurrentChannel() const {
    std::lock_guard lock(mutex_);
    return currentChannel_;
}

void VirtualRadio::SetCurrentChannel(int index) {
    std::lock_guard lock(mutex_);
    currentChannel_ = index;
}

RadioBehaviour VirtualRadio::Behaviour() const {
    std::lock_guard lock(mutex_);
    return behaviour_;
}

void VirtualRadio::SetBehaviour(const RadioBehaviour& behaviour) {
    std::lock_guard lock(mutex_);
    behaviour_ = behaviour;
    writeWordFrames_ = 0;
    readWordFrames_ = 0;
}

std::vector<RadioFrame> VirtualRadio::Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

std::vector<std::uint8_t> VirtualRadio::ReceivedBytes() const {
    std::lock_guard lock(mutex_);
    return received_;
}

void VirtualRadio::ClearRecord() {
    std::lock_guard lock(mutex_);
    frames_.clear();
    received_.clear();
    writeWordFrames_ = 0;
    readWordFrames_ = 0;
}

void VirtualRadio::Serve() {
    std::uint8_t buffer[512];
    std::vector<Answer> answers;
    while (!stopping_) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        // The slave we hold keeps hang-ups away, but a timeout guards against spinning on one.
        const int ready = poll(fds, 2, 200);
        if (ready < 0 && errno != EINTR)
            return;
        if (ready <= 0)
            continue;
        if (fds[1].revents != 0)
            return;
        if ((fds[0].revents & POLLIN) == 0) {
            if (fds[0].revents != 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        const ssize_t count = read(master_, buffer, sizeof buffer);
        if (count <= 0)
            continue;
        answers.clear();
        TakeBytes(buffer, static_cast<std::size_t>(count), answers);
        for (const Answer& answer : answers) {
            if (!Send(answer))
                return;
        }
    }
}

void VirtualRadio::TakeBytes(const std::uint8_t* bytes, std::size_t count,
                             std::vector<Answer>& answers) {
    std::lock_guard lock(mutex_);
    received_.insert(received_.end(), bytes, bytes + count);
    if (behaviour_.echo)
        answers.push_back(Answer{std::vector<std::uint8_t>(bytes, bytes + count), false});
    for (std::size_t i = 0; i < count; ++i) {
        pending_.push_back(bytes[i]);
        for (;;) {
            const auto start = std::find(pending_.begin(), pending_.end(), kFrameStart);
            pending_.erase(pending_.begin(), start);
            if (pending_.size() < kFrameSize)
                break;
            RadioFrame frame;
            std::copy_n(pending_.begin(), kFrameSize, frame.begin());
            if (!FrameSumValid(frame)) {
                // A 0xCC inside the damaged frame may begin the real one.
                pending_.erase(pending_.begin());
                continue;
            }
            pending_.erase(pending_.begin(), pending_.begin() + kFrameSize);
            frames_.push_back(frame);
            Answer answer{AnswerFrame(frame), behaviour_.pace};
            if (!answer.bytes.empty())
                answers.push_back(std::move(answer));
        }
    }
}

// Runs with mutex_ held.
std::vector<std::uint8_t> VirtualRadio::AnswerFrame(const RadioFrame& frame) {
    const std::uint8_t command = frame[1];
    const std::uint8_t word = frame[2];
    if (command == CmdWriteWord)
        ++writeWordFrames_;
    if (command == CmdReadWord)
        ++readWordFrames_;
    if (behaviour_.silent)
        return {};

    auto renewChecksum = [&] { image_[layout::kChecksum] = ImageChecksum(image_); };
    switch (command) {
        case CmdIdentify:
            return {behaviour_.identity.begin(), behaviour_.identity.end()};

        case CmdReadImage: {
            std::vector<std::uint8_t> bytes(image_.begin(), image_.end());
            if (behaviour_.badChecksum)
                ++bytes[layout::kChecksum];
            if (behaviour_.cutImage >= 0) {
                bytes.resize(std::min<std::size_t>(bytes.size(),
                                                   static_cast<std::size_t>(behaviour_.cutImage)));
            }
            bytes.insert(bytes.end(),
                         static_cast<std::size_t>(std::max(0, behaviour_.extraImageBytes)),
                         kFillByte);
            return bytes;
        }

        case CmdWriteWord:
            if (writeWordFrames_ == behaviour_.nakWriteFrame)
                return {kNak.begin(), kNak.end()};
            // Words past the parameter memory are acknowledged like any other; there is nowhere to
            // keep them.
            if (!behaviour_.ignoreWrites && word < layout::kParameterWords) {
                image_[layout::WordOffset(word)] = frame[3];
                image_[layout::WordOffset(word) + 1] = frame[4];
                renewChecksum();
            }
            return {kAck.begin(), kAck.end()};

        case CmdReadWord: {
            if (behaviour_.answerReadWords >= 0 && readWordFrames_ > behaviour_.answerReadWords) {
                return {};
            }
            std::uint8_t first = 0;
            std::uint8_t second = 0;
            if (word < layout::kParameterWords) {
                first = image_[layout::WordOffset(word)];
                second = image_[layout::WordOffset(word) + 1];
            }
            if (word == layout::kWordCurrentChannel) {
                second = static_cast<std::uint8_t>(currentChannel_);
            }
            return {0x33, CmdReadWord, word, first, second};
        }

        case CmdSetChannel: {
            const int channel = frame[2];
            currentChannel_ = channel;
            if (channel < kChannelCount) {
                image_[layout::ChannelOffset(channel) + layout::kSquelch] = frame[3];
                renewChecksum();
            }
            return {kAck.begin(), kAck.end()};
        }

        default:
            return {};
    }
}

bool VirtualRadio::Send(const Answer& answer) {
    if (!answer.pace)
        return WriteAll(answer.bytes.data(), answer.bytes.size());
    // Each byte leaves when its last bit would have, measured from one start time, so that
    // scheduling delays do not add up over a long answer.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    for (std::size_t i = 0; i < answer.bytes.size(); ++i) {
        const auto due = start + std::chrono::nanoseconds(static_cast<long long>(i + 1) *
                                                          kBitsPerByte * 1'000'000'000LL / kBaud);
        std::this_thread::sleep_until(due);
        if (stopping_ || !WriteAll(&answer.bytes[i], 1))
            return false;
    }
    return true;
}

bool VirtualRadio::WriteAll(const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t written = write(master_, bytes, count);
        if (written > 0) {
            bytes += written;
            count -= static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        // The client's input queue is full: wait for room, but give way to Stop.
        pollfd fds[2] = {{master_, POLLOUT, 0}, {wakeRead_, POLLIN, 0}};
        if (poll(fds, 2, 200) > 0 && fds[1].revents != 0)
            return false;
        if (stopping_)
            return false;
    }
    return true;
}

MemoryImage VirtualRadio::DefaultImage() {
    ChannelTable table = EmptyChannelTable();
    for (int i = 0; i < kChannelCount; ++i) {
        ChannelRow& row = table[static_cast<std::size_t>(i)];
        const int rxKilohertz = 223'025 + 750 * i;
        row[kColRx] = Megahertz(rxKilohertz);
        row[kColTx] = Megahertz(rxKilohertz + 500);
        row[kColPower] = vocab::kPower[static_cast<std::size_t>(i) % vocab::kPower.size()];
        row[kColRate] = vocab::kRate[static_cast<std::size_t>(i) % vocab::kRate.size()];
        row[kColDataVoice] =
            vocab::kDataVoice[static_cast<std::size_t>(i) % vocab::kDataVoice.size()];
        row[kColSquelch] = vocab::kSquelch[static_cast<std::size_t>(i) % vocab::kSquelch.size()];
    }

    RadioSettings settings;
    settings.dataVoicePriority = 1;
    settings.fsqc = 1;
    settings.baudRate = 3;  // 9600
    settings.parity = 2;    // even
    settings.stopBits = 1;
    settings.remoteControl = 1;
    settings.txTimeLimit = 3;
    settings.powerSave = 2;

    MemoryImage image = StartupImage();
    // Spare words a radio leaves behind; they must travel through every exchange unchanged.
    image[layout::kSpareA] = 0x5A;
    image[layout::kSpareA + 1] = 0x01;
    image[layout::WordOffset(layout::kWordCurrentChannel)] = 0x10;
    image[layout::kSpareB + 4] = 0xA7;
    image[layout::kChecksum - 1] = 0x3C;
    EncodeImage(table, settings, image);
    return image;
}

}  // namespace orvel::sim
