// The virtual radio on a pseudo-terminal, served by a thread: another program (orvelsim's users)
// or the tests open the terminal as they would a serial port. Windows has no pseudo-terminals:
// there the radio serves a COM port that scripts/wine-radio-lines lends it under wine (see
// virtual_radio_lines.cpp). The radio itself, with the faults
// RadioBehaviour switches on, is the RadioEngine; this is its line.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "radio_engine.h"
#ifdef _WIN32
#include "lent_line.h"
#endif

namespace orvel::sim {

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
    // The terminal the tool opens, e.g. /dev/pts/7 (on Windows a port such as COM20); empty
    // before Start.
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
    static MemoryImage DefaultImage() { return RadioEngine::DefaultImage(); }

private:
    void Serve();
    // Hands bytes read from the line to the engine and sends its answers; false to stop serving.
    bool Take(const std::uint8_t* bytes, std::size_t count, std::vector<RadioAnswer>& answers);
    bool Send(const RadioAnswer& answer);
    bool WriteAll(const std::uint8_t* bytes, std::size_t count);
    void CloseDescriptors();

    mutable std::mutex mutex_;  // guards the engine and the device path
    RadioEngine engine_;
    std::string devicePath_;

    std::mutex lifecycle_;  // serialises Start and Stop
#ifdef _WIN32
    std::unique_ptr<LentLine> line_ = std::make_unique<LentLine>();
#else
    int master_ = -1;
    int slave_ = -1;  // held open so the master never reads EIO between two clients
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
#endif
    std::atomic<bool> stopping_{false};
    std::chrono::steady_clock::time_point takenUntil_;  // paced: when the last byte read arrives
    std::thread thread_;
};

}  // namespace orvel::sim
