// The port the window talks to: which device (by COM number or by name, from the INI, --port,
// the port menu or the finder), opening it and telling why it failed, the toolbar's port label,
// the device going away, the byte trace and the built-in virtual radio.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "command_target.h"
#include "port_session.h"

namespace orvel {

class MessageLog;
struct ViewDialogs;
struct Configuration;

class PortController : public QObject {
    Q_OBJECT

public:
    PortController(MessageLog& log, ViewDialogs& dialogs);
    ~PortController() override;

    void Configure(const orvel::Configuration& config);
    // The trace, and the port of this run: `portOverride`, the INI's device or its number.
    void Choose(const QString& portOverride, const QString& tracePath);
    // The chosen port as the start-up log names it: its number, or the device named.
    QString chosenPortName() const;
    // Opens the chosen port; a failure is logged and shown.
    void Start();
    // The built-in virtual radio, which the port reaches under `name` once it is chosen.
    orvel::sim::InProcessRadio& AttachVirtualRadio(const QString& name);

    orvel::Port& serialPort() { return m_session.port; }
    int portNumber() const { return m_portNumber; }
    // The running exchange's log line, where a port going away is told meanwhile; empty
    // when no exchange runs.
    void setExchangeLine(std::function<void(std::string_view)> line) {
        m_exchangeLine = std::move(line);
    }

    void OnSelectCom(int number);
    void OnSelectDevice(const QString& name);
    // 网络串口...: asks for a network port's URL and opens it as a port chosen by name.
    void OnNetworkPort();
    bool isNetworkChecked() const;
    void OnFindRadio();
    static QList<CommandTarget::SerialDevice> serialDevices();
    bool isDeviceChecked(const QString& name) const;
    bool isComChecked(int number) const;
    QString portStatusText() const;

signals:
    // What the frame shows changed: the port opened, closed or went away.
    void stateChanged();

private:
    bool OpenPort(const std::string& device, bool atStartup);
    void LogOpenFailure();
    void SavePortChoice(int number, const QString& device);

    MessageLog& m_log;
    ViewDialogs& m_dialogs;
    int m_portNumber = 1;
    QString m_device;      // a port chosen by device name; wins over m_portNumber when set
    QString m_networkUrl;  // the network port used last, offered again by 网络串口...
    // The device the window talks to (open or not), and whether it was chosen by its name
    // (Device, the device items, the finder, --port) rather than by port number.
    std::string m_deviceInUse;
    bool m_deviceByName = false;
    std::function<void(std::string_view)> m_exchangeLine;
    orvel::PortSession m_session;
};

}  // namespace orvel
