#include "record_worker.h"

namespace orvel {

RecordWorker::RecordWorker(RecordPlace place) : m_context(new QObject) {
    m_thread.setObjectName(QStringLiteral("orvel-records"));
    m_context->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(
        m_context,
        [this, place = std::move(place)] { m_keeper = std::make_unique<RecordKeeper>(place); },
        Qt::QueuedConnection);
}

RecordWorker::~RecordWorker() {
    // Queued behind the records still to keep: they are kept first.
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            m_keeper.reset();
            m_thread.quit();
        },
        Qt::QueuedConnection);
    m_thread.wait();
    delete m_context;
}

void RecordWorker::keep(const ProgrammingRecord& record) {
    QMetaObject::invokeMethod(
        m_context,
        [this, record] {
            // Emitted here, received in the window's thread (this object lives there).
            if (const std::string line = m_keeper->Keep(record); !line.empty())
                emit told(QString::fromStdString(line));
        },
        Qt::QueuedConnection);
}

}  // namespace orvel
