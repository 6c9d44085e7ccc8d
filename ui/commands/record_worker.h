// The window's records for a shared server, kept in a thread of their own: a server that is slow
// or stops answering holds up that thread, never the window. Qt SQL's connections belong to
// the thread that opened them, so the keeper is made, used and dropped there only.
#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <functional>
#include <memory>

#include "record_keeper.h"

namespace orvel {

class RecordWorker : public QObject {
    Q_OBJECT

public:
    explicit RecordWorker(RecordPlace place);
    // Keeps what was handed over first (each record is owed to the user), then ends the thread.
    ~RecordWorker() override;

    // Returns at once; onOutcome hears afterwards, in the window's thread, where the record went
    // when it went elsewhere than meant.
    void keep(const ProgrammingRecord& record);

    std::function<void(const KeepOutcome&)> onOutcome;

private:
    QThread m_thread;
    QObject* m_context;  // lives in m_thread: what is queued for it runs there
    std::unique_ptr<RecordKeeper> m_keeper;
};

}  // namespace orvel
