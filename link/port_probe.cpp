#include "port_probe.h"

#include <QSerialPortInfo>
#include <QThread>
#include <algorithm>
#include <iterator>
#include <set>
#include <tuple>

#include "exchanges.h"
#include "port_kinds.h"

namespace orvel {

namespace {

struct StatusWords {
    ProbeStatus status;
    std::string_view name;  // for scripts
    std::string_view text;  // for people
};

constexpr StatusWords kStatusWords[] = {
    {ProbeStatus::Radio, "radio", ""},
    {ProbeStatus::Silent, "silent", "no answer"},
    {ProbeStatus::BadFormat, "badformat", "bad format"},
    {ProbeStatus::Busy, "busy", "busy"},
    {ProbeStatus::Denied, "denied", "permission denied"},
    {ProbeStatus::Missing, "missing", "missing"},
    {ProbeStatus::NotAPort, "notaport", "not a serial port"},
};

const StatusWords& WordsOf(ProbeStatus status) {
    for (const StatusWords& words : kStatusWords) {
        if (words.status == status)
            return words;
    }
    return kStatusWords[std::size(kStatusWords) - 2];
}

}  // namespace

std::string_view ProbeStatusName(ProbeStatus status) {
    return WordsOf(status).name;
}

std::string_view ProbeStatusText(ProbeStatus status) {
    return WordsOf(status).text;
}

ProbeResult ProbeOpenPort(Port& port, const Pause& pause) {
    ProbeResult result;
    result.port = port.DeviceName();
    if (port.IsOpen() != 1) {
        result.status = ProbeStatus::Missing;
        result.detail = port.LostReason();
        return result;
    }
    // Whatever the radio said before belongs to no question of ours.
    port.DiscardInput();
    port.PurgeOutput();
    ExchangeHooks hooks;
    hooks.pause = pause;
    std::size_t answered = 0;
    switch (LinkCheck(port, hooks, &result.identity, &answered)) {
        case LinkStatus::Ok:
            result.status = ProbeStatus::Radio;
            break;
        case LinkStatus::BadFormat:
            result.status = ProbeStatus::BadFormat;
            break;
        case LinkStatus::NoAnswer:
            // Part of an answer, or one too slow to finish in time, is an answer all the same.
            result.status = port.IsOpen() != 1 ? ProbeStatus::Missing
                            : answered > 0     ? ProbeStatus::BadFormat
                                               : ProbeStatus::Silent;
            result.detail = port.LostReason();
            break;
    }
    return result;
}

ProbeResult ProbePort(const std::string& device, const std::atomic<bool>* cancel) {
    Port port;
    if (port.OpenDevice(device) != 1) {
        ProbeResult result;
        result.port = device;
        result.detail = port.LastOpenError();
        switch (port.LastOpenFailure()) {
            case OpenFailure::Busy:
            case OpenFailure::TimedOut:  // held by whatever keeps its open from returning
                result.status = ProbeStatus::Busy;
                break;
            case OpenFailure::PermissionDenied:
                result.status = ProbeStatus::Denied;
                break;
            case OpenFailure::NotAPort:
                result.status = ProbeStatus::NotAPort;
                break;
            default:
                // A node without a device behind it is as good as no port at all.
                result.status = ProbeStatus::Missing;
                break;
        }
        return result;
    }
    // Closing the port is what ends the polling at once when the search is called off.
    ProbeResult result = ProbeOpenPort(port, [&port, cancel](int milliseconds) {
        if (cancel != nullptr && cancel->load()) {
            port.Close();
        } else {
            SleepPause(milliseconds);
        }
    });
    result.port = device;
    port.Close();
    return result;
}

ProbeRun::ProbeRun(const std::vector<std::string>& devices, ResultHandler onResult)
    : results_(devices.size()) {
    for (std::size_t i = 0; i < devices.size(); ++i) {
        // A QThread rather than a plain thread: the port's notifiers need Qt's dispatcher.
        threads_.emplace_back(QThread::create([this, i, device = devices[i], onResult] {
            results_[i] = ProbePort(device, &cancel_);
            if (onResult)
                onResult(i, results_[i]);
        }));
    }
    for (const auto& thread : threads_)
        thread->start();
}

ProbeRun::~ProbeRun() {
    Cancel();
    Wait();
}

const std::vector<ProbeResult>& ProbeRun::Wait() {
    for (const auto& thread : threads_)
        thread->wait();
    return results_;
}

std::vector<ProbeResult> ProbePorts(const std::vector<std::string>& devices) {
    ProbeRun run(devices, {});
    return run.Wait();
}

bool PortNameLess(const std::string& a, const std::string& b) {
    const auto split = [](const std::string& name) {
        std::size_t digits = name.size();
        while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9')
            --digits;
        // A number too long to compare as one sorts after every shorter one.
        const std::string number = name.substr(digits);
        const std::string trimmed =
            number.substr(std::min(number.find_first_not_of('0'), number.size()));
        return std::make_tuple(name.substr(0, digits), trimmed.size(), trimmed, number);
    };
    return split(a) < split(b);
}

std::vector<SystemPort> ListSerialDevices() {
    std::vector<SystemPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        QString description = info.description().trimmed();
        const QString maker = info.manufacturer().trimmed();
        if (!maker.isEmpty() && !description.contains(maker, Qt::CaseInsensitive))
            description = description.isEmpty() ? maker : description + " (" + maker + ")";
        ports.push_back({info.portName().toStdString(), info.systemLocation().toStdString(),
                         description.toStdString()});
    }
    return ports;
}

std::vector<SystemPort> ListSystemPorts() {
    std::vector<SystemPort> ports;
    for (const PortKindEntry& kind : PortKinds()) {
        if (kind.list != nullptr)
            std::ranges::move(kind.list(), std::back_inserter(ports));
    }
    std::sort(ports.begin(), ports.end(), [](const SystemPort& a, const SystemPort& b) {
        return PortNameLess(a.name, b.name);
    });
    return ports;
}

std::vector<std::string> SystemSerialPorts() {
    std::vector<std::string> ports;
    for (const SystemPort& port : ListSystemPorts()) {
#ifdef Q_OS_WIN
        ports.push_back(port.name);
#else
        ports.push_back(port.device);
#endif
    }
    return ports;
}

std::vector<std::string> DistinctDevices(const std::vector<std::string>& devices) {
    std::vector<std::string> distinct;
    std::set<std::string> seen;
    for (const std::string& device : devices) {
        if (seen.insert(CanonicalDevice(device)).second)
            distinct.push_back(device);
    }
    return distinct;
}

std::vector<std::vector<std::string>> DeviceNames(const std::vector<std::string>& devices) {
    std::vector<std::vector<std::string>> groups;
    std::vector<std::string> keys;
    for (const std::string& device : devices) {
        const std::string key = CanonicalDevice(device);
        const auto at = std::find(keys.begin(), keys.end(), key);
        if (at == keys.end()) {
            keys.push_back(key);
            groups.push_back({device});
            continue;
        }
        auto& names = groups[static_cast<std::size_t>(at - keys.begin())];
        if (std::find(names.begin(), names.end(), device) == names.end())
            names.push_back(device);
    }
    return groups;
}

}  // namespace orvel
