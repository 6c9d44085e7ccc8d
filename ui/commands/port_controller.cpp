#include "port_controller.h"

#include "app_paths.h"
#include "config_store.h"
#include "configuration.h"
#include "message_log.h"
#include "port_name.h"
#include "port_probe.h"
#include "view_dialogs.h"

namespace orvel {

namespace {

QString ShownPort(const std::string& device) {
    return QString::fromStdString(ShownPortName(device));
}

// A network port says why it went, in the window's words where they are the program's own; a
// cable pulled needs no reason.
QString LostLine(const std::string& device, const std::string& reason) {
    const QString port = ShownPort(device);
    if (!IsNetworkPortName(device) || reason.empty())
        return PortController::tr("串口已断开：%1").arg(port);
    static const std::string kBroke = "the connection broke (";
    QString why = QString::fromStdString(reason);
    if (reason == "the server closed the connection") {
        why = PortController::tr("服务器关闭了连接");
    } else if (reason.rfind(kBroke, 0) == 0 && reason.back() == ')') {
        why = PortController::tr("连接中断（%1）")
                  .arg(QString::fromStdString(
                      reason.substr(kBroke.size(), reason.size() - kBroke.size() - 1)));
    }
    return PortController::tr("串口已断开：%1：%2").arg(port, why);
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
    : m_log(log), m_dialogs(dialogs) {
    // Told once, idle or in the middle of an exchange, whose log it then joins.
    m_session.port.SetLostHandler([this](const std::string& device, const std::string& reason) {
        const QString line = LostLine(device, reason);
        if (m_exchangeLine) {
            m_exchangeLine((line + QStringLiteral("\r\n")).toStdString());
        } else {
            m_log.AppendLog(line);
        }
        emit stateChanged();
    });
}

PortController::~PortController() {
    m_session.port.Close();
}

void PortController::Configure(const Configuration& config) {
    m_portNumber = config.portNumber;
    m_device = QString::fromStdString(config.device);
    m_networkUrl = QString::fromStdString(config.networkPort);
}

void PortController::Choose(const QString& portOverride, const QString& tracePath) {
    if (!tracePath.isEmpty()) {
        const Status traced =
            m_session.TraceTo(tracePath.toStdString(), [this](const std::string& reason) {
                m_log.AppendLog(tr("跟踪文件无法写入：%1").arg(QString::fromStdString(reason)));
            });
        if (!traced)
            m_log.AppendLog(tr("跟踪文件无法打开：%1").arg(QString::fromStdString(traced.error())));
    }
    std::string device;
    m_deviceByName = !portOverride.isEmpty() || !m_device.isEmpty();
    if (!portOverride.isEmpty()) {
        device = ResolvePortName(portOverride.toStdString());
    } else if (!m_device.isEmpty()) {
        device = ResolvePortName(m_device.toStdString());
    } else {
        device = PortDeviceName(m_portNumber);
    }
    m_deviceInUse = device;
}

QString PortController::chosenPortName() const {
    return m_deviceByName ? ShownPort(m_deviceInUse) : QString::number(m_portNumber);
}

void PortController::Start() {
    OpenPort(m_deviceInUse, true);
}

sim::InProcessRadio& PortController::AttachVirtualRadio(const QString& name) {
    return m_session.AttachVirtualRadio(name.toStdString());
}

void PortController::OnFindRadio() {
    const QString chosen = m_dialogs.findRadio(
        FindRadioDialog::PortsToSearch(m_device, m_deviceInUse, m_session.port.IsOpen() == 1));
    // A row that answered is taken exactly as the same device from the port menu.
    if (!chosen.isEmpty())
        OnSelectDevice(chosen);
}

bool PortController::OpenPort(const std::string& device, bool atStartup) {
    m_deviceInUse = device;
    const bool opened = m_session.port.OpenDevice(device) == 1;
    emit stateChanged();
    if (opened)
        return true;
    LogOpenFailure();
    if (atStartup) {
        m_dialogs.Message(QMessageBox::NoIcon, kAppTitle,
                          tr("打开串口失败，请重新选择串口") + QLatin1Char('\n') +
                              OpenFailureReason(m_session.port));
    }
    return false;
}

void PortController::LogOpenFailure() {
    m_log.AppendLog(tr("串口打开失败：%1").arg(OpenFailureReason(m_session.port)));
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
    m_deviceByName = false;
    SavePortChoice(number, QString());
    m_session.port.Close();
    OpenPort(PortDeviceName(number), false);
}

QList<CommandTarget::SerialDevice> PortController::serialDevices() {
    QList<CommandTarget::SerialDevice> devices;
    for (const SystemPort& port : ListSystemPorts()) {
        devices.append(
            {QString::fromStdString(port.name), QString::fromStdString(port.description)});
    }
    return devices;
}

void PortController::OnSelectDevice(const QString& name) {
    m_device = name;
    m_deviceByName = true;
    SavePortChoice(m_portNumber, name);
    m_session.port.Close();
    OpenPort(ResolvePortName(name.toStdString()), false);
}

void PortController::OnNetworkPort() {
    const QString url = m_dialogs.networkPort(m_networkUrl);
    if (url.isEmpty())
        return;
    m_networkUrl = url;
    SaveSetting(kNetworkPortKey, url.toStdString());
    // From here on it is a port chosen by name, kept as Device and opened again at start-up.
    OnSelectDevice(url);
}

bool PortController::isNetworkChecked() const {
    return m_deviceByName && IsNetworkPortName(m_deviceInUse);
}

bool PortController::isDeviceChecked(const QString& name) const {
    return m_deviceByName && SamePort(name.toStdString(), m_deviceInUse);
}

bool PortController::isComChecked(int number) const {
    return !m_deviceByName && m_portNumber == number;
}

QString PortController::portStatusText() const {
    if (m_deviceInUse.empty())
        return {};
    return tr("串口 %1").arg(ShownPort(m_deviceInUse)) +
           (m_session.port.IsOpen() == 1 ? QString() : tr("（未打开）"));
}

}  // namespace orvel
