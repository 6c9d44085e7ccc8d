#include "radio_engine.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "codec.h"
#include "radio_fields.h"

namespace orvel::sim {
namespace {

constexpr std::array<std::uint8_t, 3> kNak = {0x33, 0x15, 0x00};
constexpr std::uint8_t kFillByte = 0xEE;

std::string Megahertz(int kilohertz) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%03d", kilohertz / 1000, kilohertz % 1000);
    return text;
}

}  // namespace

RadioEngine::RadioEngine(MemoryImage image, RadioBehaviour behaviour)
    : image_(image), behaviour_(std::move(behaviour)) {}

void RadioEngine::SetBehaviour(const RadioBehaviour& behaviour) {
    behaviour_ = behaviour;
    writeWordFrames_ = 0;
    readWordFrames_ = 0;
}

void RadioEngine::ClearRecord() {
    frames_.clear();
    received_.clear();
    writeWordFrames_ = 0;
    readWordFrames_ = 0;
}

void RadioEngine::Take(const std::uint8_t* bytes, std::size_t count,
                       std::vector<RadioAnswer>& answers) {
    received_.insert(received_.end(), bytes, bytes + count);
    if (behaviour_.echo)
        answers.push_back(RadioAnswer{std::vector<std::uint8_t>(bytes, bytes + count), false});
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
            RadioAnswer answer{AnswerFrame(frame), behaviour_.pace};
            if (!answer.bytes.empty())
                answers.push_back(std::move(answer));
        }
    }
}

std::vector<std::uint8_t> RadioEngine::AnswerFrame(const RadioFrame& frame) {
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

MemoryImage RadioEngine::DefaultImage() {
    ChannelTable table = EmptyChannelTable();
    for (int i = 0; i < kChannelCount; ++i) {
        ChannelRow& row = table[static_cast<std::size_t>(i)];
        // Each frequency half a megahertz above the one before, each list one item further.
        int kilohertz = 223'025 + 750 * i;
        for (const ChannelField& field : kChannelFields) {
            switch (field.kind) {
                case ColumnKind::Label:
                    break;
                case ColumnKind::Frequency:
                    row[field.column] = Megahertz(kilohertz);
                    kilohertz += 500;
                    break;
                case ColumnKind::Items:
                case ColumnKind::Levels:
                    row[field.column] =
                        field.items[static_cast<std::size_t>(i) % field.items.size()];
                    break;
            }
        }
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
