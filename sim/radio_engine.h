// The virtual radio's protocol: bytes from the tool go in, the radio's answers come out. It keeps
// the memory image, the current channel and a record of what arrived, and shows the faults a real
// radio or cable shows when RadioBehaviour asks for them. Plain C++ without descriptors, threads
// or clocks: a front end carries the bytes (a pseudo-terminal, or the tool's own process) and
// sends each answer at the pace it asks for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "memory_image.h"
#include "radio_frame.h"

namespace orvel::sim {

struct RadioBehaviour {
    std::string identity = "ORVEL-R1";  // answer to CmdIdentify, byte for byte, any length
    bool silent = false;                // frames are recorded but neither answered nor acted on
    int nakWriteFrame = 0;  // the N-th CmdWriteWord frame (1-based) gets 33 15 00 and is not stored
    bool badChecksum = false;   // the image answer carries byte 259 plus one
    int cutImage = -1;          // send only the first N image bytes (-1 = all 260)
    int extraImageBytes = 0;    // this many 0xEE bytes follow the image
    bool ignoreWrites = false;  // CmdWriteWord is acknowledged but not stored
    int answerReadWords = -1;   // answer only the first N CmdReadWord frames (-1 = all)
    // Bytes go both ways at 9600 baud, 11 bits a byte: a frame is taken when its last byte
    // would have arrived, and each answer goes out at that pace.
    bool pace = false;
    bool echo = false;  // every byte comes straight back first, as from an echoing adapter
    // A paced answer's bytes leave this many together, when the last of them is due, as a
    // device server's buffer hands them on: fewer wakeups for a fleet of radios in one process.
    int paceGroup = 1;
};

// 11 bits (start, 8 data, parity, stop) at 9600 baud: the time one byte takes on a paced line.
inline constexpr long long kPacedByteNanoseconds = 11 * 1'000'000'000LL / 9600;

struct RadioAnswer {
    std::vector<std::uint8_t> bytes;
    bool pace = false;  // each byte leaves one byte time after the one before, the first too
};

class RadioEngine {
public:
    explicit RadioEngine(MemoryImage image = DefaultImage(), RadioBehaviour behaviour = {});

    // Takes bytes as they arrive and appends what the radio sends back, in order: the echo of
    // the bytes (with behaviour.echo), then the answer to each frame they complete.
    void Take(const std::uint8_t* bytes, std::size_t count, std::vector<RadioAnswer>& answers);
    // Drops the part of a frame that has arrived so far, as a radio that is switched on anew.
    void ForgetPartialFrame() { pending_.clear(); }

    const MemoryImage& Image() const { return image_; }
    // Taken as given: the checksum is not renewed, so a broken image can be served.
    void SetImage(const MemoryImage& image) { image_ = image; }
    // 0-based index reported for word 0x60; values of 16 and more are reported as they are.
    int CurrentChannel() const { return currentChannel_; }
    void SetCurrentChannel(int index) { currentChannel_ = index; }
    const RadioBehaviour& Behaviour() const { return behaviour_; }
    // Also restarts the counts behind nakWriteFrame and answerReadWords.
    void SetBehaviour(const RadioBehaviour& behaviour);

    // Every frame with a valid sum, in arrival order, answered or not.
    const std::vector<RadioFrame>& Frames() const { return frames_; }
    // Every byte that arrived, frames and noise alike.
    const std::vector<std::uint8_t>& ReceivedBytes() const { return received_; }
    // Forgets frames and bytes and restarts the counts behind nakWriteFrame and answerReadWords.
    void ClearRecord();

    // A plausible configuration: 16 complete channels between 223 and 235 MHz, settings away
    // from the start-up values, a few non-zero spare bytes and a correct checksum.
    static MemoryImage DefaultImage();

private:
    std::vector<std::uint8_t> AnswerFrame(const RadioFrame& frame);

    MemoryImage image_;
    RadioBehaviour behaviour_;
    int currentChannel_ = 0;
    int writeWordFrames_ = 0;
    int readWordFrames_ = 0;
    std::vector<RadioFrame> frames_;
    std::vector<std::uint8_t> received_;
    std::vector<std::uint8_t> pending_;  // bytes of a frame in progress
};

}  // namespace orvel::sim
