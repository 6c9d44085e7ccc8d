// pyserial's RFC 2217 port manager serving a radio's terminal on 127.0.0.1: a device server
// written apart from ser2net, run by the system's Python with its pyserial.
#pragma once

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <memory>
#include <string>

namespace orvel::testing {

class PyserialServer {
public:
    // The Python that has pyserial (scripts/bootstrap installs Debian's), or empty.
    static QString Python() {
        for (const QString& python :
             {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
            QProcess probe;
            probe.start(python, {"-c", "import serial.rfc2217"});
            if (probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit &&
                probe.exitCode() == 0) {
                return python;
            }
        }
        return {};
    }

    ~PyserialServer() {
        if (process_) {
            process_->kill();
            process_->waitForFinished(3000);
        }
    }

    // Serves `device`; false with the reason when the server says no port within 10 s.
    bool Start(const std::string& device, std::string& error) {
        process_ = std::make_unique<QProcess>();
        process_->start(Python(),
                        {QStringLiteral(ORVEL_TEST_SOURCE_DIR "/link/pyserial_rfc2217.py"),
                         QString::fromStdString(device)});
        // A wait may end on the server's warnings on stderr before its port comes.
        QDeadlineTimer bound(10000);
        while (!process_->canReadLine() && process_->state() != QProcess::NotRunning &&
               !bound.hasExpired())
            process_->waitForReadyRead(static_cast<int>(bound.remainingTime()));
        if (process_->canReadLine())
            port_ = process_->readLine().trimmed().toInt();
        if (port_ <= 0)
            error = "the pyserial server did not start: " +
                    process_->readAllStandardError().toStdString();
        return port_ > 0;
    }

    std::string Url() const { return "rfc2217://127.0.0.1:" + std::to_string(port_); }

private:
    std::unique_ptr<QProcess> process_;
    int port_ = 0;
};

}  // namespace orvel::testing
