// A radio on a pseudo-terminal: it answers the tool's command frames from a memory image, so the
// link layer, the user interface and the command line can be exercised without hardware. Faults
// a real radio or cable shows can be switched on through RadioBehaviour.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
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
    bool pace = false;          // answers go out at 9600 baud, 11 bits a byte
    bool echo = false;          // every byte comes straight back first, as from an echoing adapter
};

class VirtualRadio {
public:
    explicit VirtualRadio(MemoryImage image = DefaultImage(), RadioBehaviour behaviour = {});
    ~VirtualRadio();
    VirtualRadio(const VirtualRadio&) = delete;
    VirtualRadio& operator=(const VirtualRadio&) = delete;

    // Opens a fresh pseudo-terminal and serves it on a thread. False (with a reason) when the
    // terminal cannot be made or the radio is already running.
    bool Start(std::string* error = nullptr);
    // Safe to call any number of times, also when Start failed; returns once the thread is gone.
    void Stop();
    // The terminal the tool opens, e.g. /dev/pts/7; empty before Start.
    std::string DevicePath() const;

    MemoryImage Image() const;
    // Taken as given: the checksum is not renewed, so a broken image can be served.
    void SetImage(const MemoryImage& image);
    // 0-based index reported for word 0x60; values of 16 and more are reported as they are.
    int CurrentChannel() const;
    void SetCurrentChannel(int index);
    RadioBehaviour Behaviour() const;
    // Also restarts the counts behind nakWriteFrame and answerReadWords.
    void SetBehaviour(const RadioBehaviour& behaviour);

    // Every frame with a valid sum, in arrival order, answered or not.
    std::vector<RadioFrame> Frames() const;
    // Every byte that arrived, frames and noise alike.
    std::vector<std::uint8_t> ReceivedBytes() const;
    // Forgets frames and bytes and restarts the counts behind nakWriteFrame and answerReadWords.
    void ClearRecord();

    // A plausible configuration: 16 complete channels between 223 and 235 MHz, settings away
    // from the start-up values, a few non-zero spare bytes and a correct checksum.
    static MemoryImage DefaultImage();

private:
    struct Answer {
        std::vector<std::uint8_t> bytes;
        bool pace = false;
    };

    void Serve();
    void TakeBytes(const std::uint8_t* bytes, std::size_t count, std::vector<Answer>& answers);
    std::vector<std::uint8_t> AnswerFrame(const RadioFrame& frame);
    bool Send(const Answer& answer);
    bool WriteAll(const std::uint8_t* bytes, std::size_t count);
    void CloseDescriptors();

    mutable std::mutex mutex_;  // guards everything below up to the descriptors
    MemoryImage image_;
    RadioBehaviour behaviour_;
    int currentChannel_ = 0;
    int writeWordFrames_ = 0;
    int readWordFrames_ = 0;
    std::vector<RadioFrame> frames_;
    std::vector<std::uint8_t> received_;
    std::string devicePath_;

    std::vector<std::uint8_t> pending_;  // serving thread only: bytes of a frame in progress

    std::mutex lifecycle_;  // serialises Start and Stop
    int master_ = -1;
    int slave_ = -1;  // held open so the master never reads EIO between two clients
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace orvel::sim
