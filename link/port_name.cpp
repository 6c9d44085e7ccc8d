#include "port_name.h"

#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <filesystem>
#include <string_view>

#include "port_kinds.h"

namespace orvel {

PortName ParsePortName(const std::string& name, const std::string& inProcess) {
    PortName parsed;
    parsed.device = name;
    parsed.entry = FindPortKind(name, inProcess);
    if (parsed.entry == nullptr) {
        // Says which schemes there are.
        parsed.kind = PortKind::Network;
        parsed.problem = ParseNetworkPort(name, parsed.address);
        return parsed;
    }
    parsed.kind = parsed.entry->kind;
    parsed.entry->parse(parsed);
    return parsed;
}

std::string PortDeviceName(int portNumber) {
#ifdef Q_OS_WIN
    const int number = portNumber & 0xFFFF;
    const std::string name = "COM" + std::to_string(number);
    return number >= 10 ? "\\\\.\\" + name : name;
#else
    return "/dev/ttyS" + std::to_string((portNumber & 0xFFFF) - 1);
#endif
}

std::string ResolvePortName(const std::string& name) {
    if (name.empty())
        return name;
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos)
        return name;
    const QString text = QString::fromStdString(name);
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (isNumber)
        return PortDeviceName(number);
    if (text.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
        const int com = text.mid(3).toInt(&isNumber);
        if (isNumber)
            return PortDeviceName(com);
    }
#ifdef Q_OS_WIN
    return name;
#else
    return "/dev/" + name;
#endif
}

bool IsNetworkPortName(const std::string& name) {
    return name.find("://") != std::string::npos;
}

std::string PortNameProblem(const std::string& name) {
    if (const PortName parsed = ParsePortName(name); parsed.kind != PortKind::Serial)
        return parsed.problem;
    std::string_view number = name;
    if (number.size() > 3 && QString::fromStdString(name.substr(0, 3)).toUpper() == "COM")
        number.remove_prefix(3);
    const bool negative = number.starts_with('-');
    if (negative || number.starts_with('+'))
        number.remove_prefix(1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
        return {};  // a device name, not a number
    // Past nine digits it is past 256 too, and need not fit an int.
    if (!negative && number.size() < 10) {
        const int value = std::stoi(std::string(number));
        if (value >= 1 && value <= kHighestPortNumber)
            return {};
    }
    return "a port number goes from 1 to " + std::to_string(kHighestPortNumber);
}

std::string ShownPortName(const std::string& device) {
#ifdef Q_OS_WIN
    const std::string_view prefix = "\\\\.\\";
    if (device.starts_with(prefix) && device.substr(prefix.size()).starts_with("COM"))
        return device.substr(prefix.size());
#endif
    return device;
}

std::string CanonicalDevice(const std::string& name) {
    const PortName parsed = ParsePortName(name);
    if (parsed.kind == PortKind::Network) {
        if (!parsed.problem.empty())
            return name;
        return "tcp://[" + QString::fromStdString(parsed.address.host).toLower().toStdString() +
               "]:" + std::to_string(parsed.address.port);
    }
    const std::string& device = parsed.device;
    const QString canonical = QFileInfo(QString::fromStdString(device)).canonicalFilePath();
    return canonical.isEmpty() ? device : canonical.toStdString();
}

bool SamePort(const std::string& a, const std::string& b) {
    return CanonicalDevice(a) == CanonicalDevice(b);
}

std::string PortFileTag(const std::string& name) {
    PortName parsed = ParsePortName(name);
    if (parsed.kind == PortKind::Network && parsed.problem.empty()) {
        std::string& host = parsed.address.host;
        // An IPv6 address's colons are no part of a file name on Windows.
        std::replace(host.begin(), host.end(), ':', '_');
        return host + "-" + std::to_string(parsed.address.port);
    }
    return std::filesystem::path(parsed.device).filename().string();
}

}  // namespace orvel
