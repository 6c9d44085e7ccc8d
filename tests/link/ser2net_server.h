// ser2net, the serial device server, serving a radio's terminal on 127.0.0.1 in the foreground
// with a configuration of its own: Telnet with COM-port control (RFC 2217) or raw TCP.
#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "device_server.h"

namespace orvel::testing {

class Ser2Net {
public:
    static bool Available() { return !QStandardPaths::findExecutable("ser2net").isEmpty(); }

    ~Ser2Net() {
        if (process_) {
            process_->terminate();
            if (!process_->waitForFinished(3000)) {
                process_->kill();
                process_->waitForFinished(3000);
            }
        }
    }

    // Serves `device`; false with the reason when ser2net does not come up within 5 s.
    bool Start(const std::string& device, bool telnet, std::string& error) {
        return Start(std::vector<std::string>{device}, telnet, error);
    }

    // Serves each device on a port of its own, all from one process.
    bool Start(const std::vector<std::string>& devices, bool telnet, std::string& error) {
        telnet_ = telnet;
        const std::string config = dir_.filePath("ser2net.yaml").toStdString();
        std::ofstream yaml(config);
        for (std::size_t i = 0; i < devices.size(); ++i) {
            ports_.push_back(FreePort());
            yaml << "connection: &radio" << i << "\n"
                 << "  accepter: " << (telnet ? "telnet(rfc2217),tcp," : "tcp,") << "127.0.0.1,"
                 << ports_.back() << "\n"
                 << "  connector: serialdev," << devices[i] << ",9600e81,local\n";
        }
        yaml.close();
        process_ = std::make_unique<QProcess>();
        process_->setProcessChannelMode(QProcess::MergedChannels);
        process_->start("ser2net", {"-n", "-d", "-c", QString::fromStdString(config), "-P",
                                    dir_.filePath("ser2net.pid")});
        if (!process_->waitForStarted(5000)) {
            error = "ser2net did not start: " + process_->errorString().toStdString();
            return false;
        }
        // Ready once it takes a connection on each; the probe's connection is dropped at once.
        std::size_t ready = 0;
        for (int tries = 0; tries < 100 && ready < ports_.size(); ++tries) {
            while (ready < ports_.size() && Listening(ports_[ready]))
                ++ready;
            if (ready == ports_.size()) {
                // ser2net lets the line go before it takes the next connection.
                QThread::msleep(100);
                return true;
            }
            if (process_->state() != QProcess::Running)
                break;
            QThread::msleep(50);
        }
        error = "ser2net did not listen on port " + std::to_string(ports_[ready]) + ": " +
                process_->readAll().toStdString();
        return false;
    }

    qint64 Pid() const { return process_ ? process_->processId() : 0; }

    std::string Url(std::size_t device = 0) const {
        return std::string(telnet_ ? "rfc2217" : "socket") +
               "://127.0.0.1:" + std::to_string(ports_.at(device));
    }

private:
    static bool Listening(int port) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<std::uint16_t>(port));
        const bool taken = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        ::close(fd);
        return taken;
    }

    QTemporaryDir dir_;
    std::unique_ptr<QProcess> process_;
    std::vector<int> ports_;
    bool telnet_ = true;
};

}  // namespace orvel::testing
