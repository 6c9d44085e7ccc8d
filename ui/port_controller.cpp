#include "port_controller.h"

#include "app_paths.h"
#include "config_store.h"
#include "configuration.h"
#include "message_log.h"
#include "port_name.h"
#include "port_probe.h"
#include "view_dialogs.h"

using namespace orvel;

namespace {

QString ShownPort(const std::string& device) {
    return QString::fromStdString(ShownPortName(device));
}

QString OpenFailureReason(const Port& port) {
    const QString device = ShownPort(port.DeviceName());
    switch (port.LastOpenFailure()) {
        case OpenFailure::NotFound:
            return PortController::tr("串口 %1 不存在").arg(device);
        case OpenFailure::NotAPort:
            return PortController::tr("%1 不是串口").arg(device);
        case OpenFailure::Busy:
            return PortController::tr("串口 %1 正被其他程序占用").arg(device);
        case OpenFailure::TimedOut:
            return PortController::tr("串口 %1 在 3 秒内没有打开（设备或其驱动没有响应）")
                .arg(device);
        case OpenFailure::PermissionDenied: {
            QString reason = PortController::tr("没有使用串口 %1 的权限").arg(device);
            const QString group = QString::fromStdString(port.PermissionGroup());
            if (!group.isEmpty()) {
                reason += PortController::tr(
                              "，请把当前用户加入 %1 组（sudo usermod -aG %1 $USER）后重新登录")
                              .arg(group);
            }
            return reason;
        }
        default:
            return PortController::tr("串口 %1 无法打开：%2")
                .arg(device, QString::fromStdString(port.LastOpenError()));
    }
}

}  // namespace

PortController::PortController(MessageLog& log, ViewDialogs& dialogs)
    : log_(log), dialogs_(dialogs) {
    // Told once, idle or in the middle of an exchange, whose log it then joins.
    session_.port.SetLostHandler([this](const std::string& device, const std::string&) {
        const QString line = tr("串口已断开：%1").arg(ShownPort(device));
        if (exchangeLine_) {
            exchangeLine_((line + QStringLiteral("\r\n")).toStdString());
        } else {
            log_.AppendLog(line);
        }
        emit stateChanged();
    });
}

PortController::~PortController() {
    session_.port.Close();
}

void PortController::Configure(const Configuration& config) {
    m_portNumber = config.portNumber;
    m_device = QString::fromStdString(config.device);
    m_networkUrl = QString::fromStdString(config.networkPort);
}

void PortController::Choose(const QString& portOverride, const QString& tracePath) {
    std::string error;
    if (!tracePath.isEmpty() &&
        !session_.TraceTo(tracePath.toStdString(), error, [this](const std::string& reason) {
            log_.AppendLog(tr("跟踪文件无法写入：%1").arg(QString::fromStdString(reason)));
        })) {
        log_.AppendLog(tr("跟踪文件无法打开：%1").arg(QString::fromStdString(error)));
    }
    std::string device;
    deviceByName_ = !portOverride.isEmpty() || !m_device.isEmpty();
    if (!portOverride.isEmpty()) {
        device = ResolvePortName(portOverride.toStdString());
    } else if (!m_device.isEmpty()) {
        device = ResolvePortName(m_device.toStdString());
    } else {
        device = PortDeviceName(m_portNumber);
    }
    deviceInUse_ = device;
}

QString PortController::ChosenPortName() const {
    return deviceByName_ ? ShownPort(deviceInUse_) : QString::number(m_portNumber);
}

void PortController::Start() {
    OpenPort(deviceInUse_, true);
}

sim::InProcessRadio& PortController::AttachVirtualRadio(const QString& name) {
    return session_.AttachVirtualRadio(name.toStdString());
}

void PortController::OnFindRadio() {
    const QString chosen = dialogs_.findRadio(
        FindRadioDialog::PortsToSearch(m_device, deviceInUse_, session_.port.IsOpen() == 1));
    // A row that answered is taken exactly as the same device from the port menu.
    if (!chosen.isEmpty())
        OnSelectDevice(chosen);
}

bool PortController::OpenPort(const std::string& device, bool atStartup) {
    deviceInUse_ = device;
    const bool opened = session_.port.OpenDevice(device) == 1;
    emit stateChanged();
    if (opened)
        return true;
    LogOpenFailure();
    if (atStartup) {
        dialogs_.Message(QMessageBox::NoIcon, kAppTitle,
                         tr("打开串口失败，请重新选择串口") + QLatin1Char('\n') +
                             OpenFailureReason(session_.port));
    }
    return false;
}

void PortController::LogOpenFailure() {
    log_.AppendLog(tr("串口打开失败：%1").arg(OpenFailureReason(session_.port)));
}

void PortController::SavePortChoice(int number, const QString& device) {
    if (device.isEmpty()) {
        SaveSetting(kPortKey, std::to_string(number));
    } else {
        SaveSetting("Device", device.toStdString());
    }
}

void PortController::OnSelectCom(int number) {
    m_portNumber = number;
    m_device.clear();
    deviceByName_ = false;
    SavePortChoice(number, QString());
    session_.port.Close();
    OpenPort(PortDeviceName(number), false);
}

QList<CommandTarget::SerialDevice> PortController::SerialDevices() {
    QList<CommandTarget::SerialDevice> devices;
    for (const SystemPort& port : ListSystemPorts()) {
        devices.append(
            {QString::fromStdString(port.name), QString::fromStdString(port.description)});
    }
    return devices;
}

void PortController::OnSelectDevice(const QString& name) {
    m_device = name;
    deviceByName_ = true;
    SavePortChoice(m_portNumber, name);
    session_.port.Close();
    OpenPort(ResolvePortName(name.toStdString()), false);
}

void PortController::OnNetworkPort() {
    const QString url = dialogs_.networkPort(m_networkUrl);
    if (url.isEmpty())
        return;
    m_networkUrl = url;
    SaveSetting(kNetworkPortKey, url.toStdString());
    // From here on it is a port chosen by name, kept as Device and opened again at start-up.
    OnSelectDevice(url);
}

bool PortController::IsNetworkChecked() const {
    return deviceByName_ && IsNetworkPortName(deviceInUse_);
}

bool PortController::IsDeviceChecked(const QString& name) const {
    return deviceByName_ && SamePort(name.toStdString(), deviceInUse_);
}

bool PortController::IsComChecked(int number) const {
    return !deviceByName_ && m_portNumber == number;
}

QString PortController::PortStatusText() const {
    if (deviceInUse_.empty())
        return {};
    return tr("串口 %1").arg(ShownPort(deviceInUse_)) +
           (session_.port.IsOpen() == 1 ? QString() : tr("（未打开）"));
}
