// The programming record of the window's reads and writes: the settings from the INI, one keeper
// for as long as the window lives (a shared server is asked over one connection), and the
// outcome of each exchange in the words orvelctl's log uses, so the records of both programs
// read and filter alike.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "programming_record.h"
#include "record_keeper.h"
#include "record_settings.h"

namespace orvel {

class Port;
class RecordWorker;

class RadioRecords {
    Q_DECLARE_TR_FUNCTIONS(RadioRecords)

public:
    RadioRecords();
    ~RadioRecords();

    void setConfiguration(const Configuration& config);
    const RecordSettings& settings() const { return m_settings; }
    bool askUnit() const { return m_askUnit; }

    // A record of `action` on `port`, started now.
    ProgrammingRecord start(RecordAction action, const Port& port,
                            const std::string& unit = {}) const;
    // Ends the record and keeps it. The log's lines when it went elsewhere than meant or
    // nowhere; none otherwise. A shared server's record is kept in a worker thread: its line
    // comes later, to the handler of setLateLine().
    QStringList keep(ProgrammingRecord& record);
    void setLateLine(std::function<void(const QString&)> told) { m_lateLine = std::move(told); }

private:
    QString describe(const KeepOutcome& outcome) const;

    RecordSettings m_settings;
    std::string m_urlProblem;  // why Record= of the INI is of no use
    bool m_toldUnencrypted = false;
    bool m_askUnit = false;
    std::function<void(const QString&)> m_lateLine;
    std::unique_ptr<RecordKeeper> m_keeper;  // the bench's own file: it answers at once
    std::unique_ptr<RecordWorker> m_worker;  // a shared server, which may not
};

}  // namespace orvel
