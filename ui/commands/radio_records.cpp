#include "radio_records.h"

#include "echo_text.h"
#include "port.h"
#include "port_name.h"
#include "record_worker.h"

namespace orvel {

RadioRecords::RadioRecords() = default;
RadioRecords::~RadioRecords() = default;

void RadioRecords::setConfiguration(const Configuration& config) {
    m_urlProblem = RecordSettingsFromConfig(config, m_settings).error();
    m_askUnit = config.askUnit;
    m_keeper.reset();
    m_worker.reset();
    m_toldUnencrypted = false;
}

ProgrammingRecord RadioRecords::start(RecordAction action, const Port& port,
                                      const std::string& unit) const {
    ProgrammingRecord record = StartRecord("orveltool", action);
    record.station = m_settings.station;
    record.operatorName = m_settings.operatorName;
    // As the user knows it: COM10 and above are opened as \\.\COMn.
    record.port = ShownPortName(port.DeviceName());
    record.unit = unit;
    return record;
}

QStringList RadioRecords::keep(ProgrammingRecord& record) {
    EndRecord(record);
    QStringList lines;
    if (!m_settings.keep)
        return lines;
    if (!m_urlProblem.empty()) {
        // The bench's own file keeps it meanwhile; the URL is not repeated, it might hold the
        // password it must not carry.
        lines << tr("编程记录只存在本机：INI 的 Record= 无法使用：%1")
                     .arg(QString::fromStdString(m_urlProblem));
    }
    if (const auto& server = m_settings.place.server;
        server && !server->unencrypted.empty() && !m_toldUnencrypted) {
        lines << tr("编程记录：发往 %1 的记录不加密传输（URL 中写明 sslmode=%2）")
                     .arg(QString::fromStdString(server->host),
                          QString::fromStdString(server->unencrypted));
        m_toldUnencrypted = true;
    }
    // The host name or the system user stands in: the record is kept all the same.
    for (const std::string& key : m_settings.unusedKeys) {
        lines << tr("编程记录：INI 的 %1= 不能使用（最长 %2 字节，不含控制字符），已改用默认值")
                     .arg(QString::fromStdString(key))
                     .arg(kLongestLabel);
    }
#ifndef Q_OS_WIN
    // On Windows the record stays on the window's thread (the watch bounds it to seconds): there
    // the driver's libraries, loaded on a second thread, brought the program down under wine.
    if (m_settings.place.server) {
        if (!m_worker) {
            m_worker = std::make_unique<RecordWorker>(m_settings.place);
            m_worker->onOutcome = [this](const KeepOutcome& outcome) {
                if (const QString line = describe(outcome); !line.isEmpty() && m_lateLine)
                    m_lateLine(line);
            };
        }
        m_worker->keep(record);
        return lines;
    }
#endif
    if (!m_keeper)
        m_keeper = std::make_unique<RecordKeeper>(m_settings.place);
    if (const QString line = describe(m_keeper->Store(record)); !line.isEmpty())
        lines << line;
    return lines;
}

// The program's words in the window's language; the store's own words as it gave them.
QString RadioRecords::describe(const KeepOutcome& outcome) const {
    const QString id = QString::fromStdString(outcome.recordId);
    const RecordPlace& place = m_settings.place;
    const QString server =
        !outcome.serverResting
            ? QString::fromStdString(outcome.serverError)
            : tr("%1：刚才连接不上，暂不重试").arg(QString::fromStdString(place.server->shown));
    switch (outcome.kind) {
        case KeepOutcome::Kind::Kept:
            return {};
        case KeepOutcome::Kind::OutboxSent:
            return tr("编程记录：待发区的 %1 条记录已送到 %2")
                .arg(outcome.sent)
                .arg(QString::fromStdString(place.server->shown));
        case KeepOutcome::Kind::Waiting:
            return tr("编程记录：%1 暂存于待发区 %2，等服务器收下：%3")
                .arg(id, QString::fromStdString(place.localFile), server);
        case KeepOutcome::Kind::Nowhere:
            break;
    }
    const QString local = QString::fromStdString(outcome.localError);
    return tr("编程记录：%1 无处保存：%2")
        .arg(id, place.server ? tr("%1；%2").arg(server, local) : local);
}

}  // namespace orvel
