// Finding the radio: every port is asked for the radio's identification at the same time, each
// on a thread of its own with a Port of its own, so a search takes one identify wait
// however many ports there are.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "poll_receive.h"
#include "port.h"

class QThread;

namespace orvel {

enum class ProbeStatus { Radio, Silent, BadFormat, Busy, Denied, Missing, NotAPort };

struct ProbeResult {
    std::string port;  // the device as it was given
    ProbeStatus status = ProbeStatus::Silent;
    std::string identity;            // the radio's eight characters (status Radio)
    std::vector<std::string> names;  // every name the device was given, `port` first
    std::string detail;              // the system's words when the port could not be opened
};

// For scripts: "radio", "silent", "badformat", "busy", "denied", "missing", "notaport".
std::string_view ProbeStatusName(ProbeStatus status);
// For people: "no answer", "bad format", "busy", "permission denied", "missing", "not a serial
// port" ("" for a radio).
std::string_view ProbeStatusText(ProbeStatus status);

// Asks a port that is already open (the window's own) for the radio's identification.
ProbeResult ProbeOpenPort(Port& port, const Pause& pause = SleepPause);

// Opens `device`, asks it and closes it again. Runs on any thread: it keeps nothing outside its
// own Port. Setting `cancel` from another thread ends the wait at the next pause.
ProbeResult ProbePort(const std::string& device, const std::atomic<bool>* cancel = nullptr);

// A search in progress: one thread per device, all started at once.
class ProbeRun {
public:
    // `onResult` runs on the device's thread as soon as that device is done.
    using ResultHandler = std::function<void(std::size_t index, const ProbeResult& result)>;
    ProbeRun(const std::vector<std::string>& devices, ResultHandler onResult);
    // Cancels what is still running and waits for it.
    ~ProbeRun();
    ProbeRun(const ProbeRun&) = delete;
    ProbeRun& operator=(const ProbeRun&) = delete;

    void Cancel() { cancel_ = true; }
    // Returns once every device is done; the results in the order of the devices.
    const std::vector<ProbeResult>& Wait();

private:
    std::atomic<bool> cancel_{false};
    std::vector<ProbeResult> results_;
    std::vector<std::unique_ptr<QThread>> threads_;
};

// The whole search for scripts: every device at once, the results in the order given.
std::vector<ProbeResult> ProbePorts(const std::vector<std::string>& devices);

// A serial port the system lists: its short name (COM3, ttyUSB0), the device that is opened,
// and what the system says of it (the adapter's product and maker; empty when it says nothing).
struct SystemPort {
    std::string name;
    std::string device;
    std::string description;
};
// The ports of every kind the system lists, sorted by name, numbers by value: COM2 before
// COM10. Pseudo-terminals and links to ports are not among them.
std::vector<SystemPort> ListSystemPorts();
// The serial devices among them, in the system's order.
std::vector<SystemPort> ListSerialDevices();
// Name order with the trailing number compared as a number.
bool PortNameLess(const std::string& a, const std::string& b);

// The serial ports the system lists, as a user names them: COMn on Windows, the device path
// elsewhere; in the order of ListSystemPorts.
std::vector<std::string> SystemSerialPorts();

// The devices without repeats: a link and the device it names count once (the first given).
std::vector<std::string> DistinctDevices(const std::vector<std::string>& devices);
// The same, each with every distinct name it was given, in the order first given.
std::vector<std::vector<std::string>> DeviceNames(const std::vector<std::string>& devices);

}  // namespace orvel
