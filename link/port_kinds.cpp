#include "port_kinds.h"

#include <QString>

#include "network_port.h"
#include "port.h"
#include "port_probe.h"
#include "texts.h"

namespace orvel {
namespace {

// A device inside the process, such as the built-in virtual radio: always there, and never gone.
class InProcessLine : public PortTransport {
public:
    explicit InProcessLine(BytePort& device) : device_(device) {}

    int IsOpen() const override { return open_ ? 1 : 0; }
    int WriteByte(std::uint8_t byte) override {
        if (!open_)
            return -1;
        device_.WriteByte(byte);
        return 1;
    }
    int ReadByte(std::uint8_t& out) override { return open_ ? device_.ReadByte(out) : -1; }
    bool WaitForData(int milliseconds) override {
        return open_ && device_.WaitForData(milliseconds);
    }
    void DropInput(std::vector<std::uint8_t>& dropped) override {
        if (!open_)
            return;
        std::uint8_t byte = 0;
        while (device_.ReadByte(byte) == 1)
            dropped.push_back(byte);
        device_.DiscardInput();
    }
    void PurgeOutput() override {
        if (open_)
            device_.PurgeOutput();
    }
    // What the device still sends belongs to no later exchange.
    int Close() override {
        if (open_)
            device_.DiscardInput();
        open_ = false;
        return 1;
    }
    bool CheckConnection() override { return open_; }

private:
    BytePort& device_;
    bool open_ = true;
};

std::unique_ptr<PortTransport> OpenSerial(const PortName& name, const PortOptions& options,
                                          OpenProblem& problem) {
    auto line = std::make_unique<SerialPort>();
    line->SetOpenBound(options.openBoundMs);
    if (options.opener)
        line->SetOpener(options.opener);
    if (line->OpenDevice(name.device, options.line) == 1)
        return line;
    problem.failure = line->LastOpenFailure();
    problem.error = line->LastOpenError();
    problem.permissionGroup = line->PermissionGroup();
    return nullptr;
}

void ParseNetwork(PortName& parsed) {
    parsed.problem = ParseNetworkPort(parsed.device, parsed.address);
}

std::unique_ptr<PortTransport> OpenNetwork(const PortName& name, const PortOptions& options,
                                           OpenProblem& problem) {
    auto line = std::make_unique<NetworkPort>();
    if (line->Open(name.device, name.address, options.line, options.openBoundMs))
        return line;
    problem.failure = line->LastOpenFailure();
    problem.error = line->LastOpenError();
    return nullptr;
}

// In the order a name is matched: a device inside the program goes by whatever name it was
// given, and a serial device by any name the others leave.
constexpr PortKindEntry kPortKinds[] = {
    {.kind = PortKind::InProcess,
     .parse = [](PortName&) {},
     .open =
         [](const PortName& name, const PortOptions& options, OpenProblem& problem) {
             return options.inProcess != nullptr
                        ? std::make_unique<InProcessLine>(*options.inProcess)
                        : OpenSerial(name, options, problem);
         }},
    {.kind = PortKind::Network,
     .scheme = "rfc2217",
     .form = "rfc2217://HOST:PORT",
     .help = "rfc2217://HOST:PORT (the tool sets\nthe server's line to 9600 baud 8E1 by RFC 2217)",
     .brief = "line set by RFC 2217",
     .dialogLine = ORVEL_TR("rfc2217://主机:端口 — 本程序通过 RFC 2217 把服务器的串口设为 9600 "
                            "波特、8 位数据、偶校验、1 位停止位"),
     .parse = ParseNetwork,
     .open = OpenNetwork},
    {.kind = PortKind::Network,
     .scheme = "socket",
     .form = "socket://HOST:PORT",
     .help = "socket://HOST:PORT\n(raw TCP, the line set up on the server)",
     .brief = "raw TCP",
     .dialogLine = ORVEL_TR("socket://主机:端口 — 服务器的串口已设置好，数据原样传送"),
     .parse = ParseNetwork,
     .open = OpenNetwork},
    {.kind = PortKind::Serial,
     .parse = [](PortName& parsed) { parsed.device = ResolvePortName(parsed.device); },
     .list = ListSerialDevices,
     .open = OpenSerial},
};

}  // namespace

std::span<const PortKindEntry> PortKinds() {
    return kPortKinds;
}

const PortKindEntry* FindPortKind(const std::string& name, const std::string& inProcess) {
    const std::size_t mark = name.find("://");
    const bool url = mark != std::string::npos;
    const std::string scheme =
        url ? QString::fromStdString(name.substr(0, mark)).toLower().toStdString() : std::string();
    for (const PortKindEntry& kind : kPortKinds) {
        if (kind.kind == PortKind::InProcess ? !inProcess.empty() && name == inProcess
                                             : url != kind.scheme.empty() && kind.scheme == scheme)
            return &kind;
    }
    return nullptr;
}

std::string NetworkPortForms(std::string_view separator, PortWords words) {
    std::string forms;
    for (const PortKindEntry& kind : kPortKinds) {
        if (kind.scheme.empty())
            continue;
        forms += std::string(forms.empty() ? "" : separator);
        forms += words == PortWords::Help ? kind.help : kind.form;
        if (words == PortWords::FormAndBrief)
            forms += " (" + std::string(kind.brief) + ")";
    }
    return forms;
}

std::string NetworkPortProblem(const std::string& url) {
    const PortName parsed = ParsePortName(url);
    if (parsed.kind == PortKind::Network)
        return parsed.problem;
    NetworkAddress address;
    return ParseNetworkPort(url, address);
}

}  // namespace orvel
