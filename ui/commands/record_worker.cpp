#include "record_worker.h"

#include <QSqlDatabase>

namespace orvel {

RecordWorker::RecordWorker(RecordPlace place) : m_context(new QObject) {
    // The driver and its libraries are loaded here, on the window's thread: a library loaded on
    // the worker while the window's thread loads others has crashed under wine. Qt keeps a
    // driver's plugin loaded once it was.
    const QString probe = QStringLiteral("orvel-driver-probe");
    QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), probe);
    QSqlDatabase::removeDatabase(probe);
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
            // Heard in the window's thread, where this object lives; not at all once it is gone.
            if (const KeepOutcome outcome = m_keeper->Store(record);
                outcome.kind != KeepOutcome::Kind::Kept) {
                QMetaObject::invokeMethod(
                    this,
                    [this, outcome] {
                        if (onOutcome)
                            onOutcome(outcome);
                    },
                    Qt::QueuedConnection);
            }
        },
        Qt::QueuedConnection);
}

}  // namespace orvel
