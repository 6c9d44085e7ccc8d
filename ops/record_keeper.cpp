#include "record_keeper.h"

#include <QFileInfo>

namespace orvel {

namespace {
constexpr auto kServerRest = std::chrono::seconds(30);
}

RecordKeeper::RecordKeeper(RecordPlace place) : place_(std::move(place)) {}
RecordKeeper::~RecordKeeper() = default;

bool RecordKeeper::Local(std::string& error, bool create) {
    if (!local_)
        local_ = RecordStore::OpenFile(place_.localFile, error, create);
    return local_ != nullptr;
}

bool RecordKeeper::OnServer(const ProgrammingRecord& record, KeepOutcome& outcome) {
    const auto now = std::chrono::steady_clock::now();
    if (!server_ && retryAfter_ && now < *retryAfter_) {
        outcome.serverResting = true;
        return false;
    }
    std::string& error = outcome.serverError;
    // A connection kept from an earlier radio may have been dropped by the server since: one
    // fresh connection is tried before the record goes to the outbox.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool reused = server_ != nullptr;
        if (!server_) {
            server_ = RecordStore::OpenServer(*place_.server, error);
            if (!server_) {
                retryAfter_ = now + kServerRest;
                return false;
            }
        }
        std::string problem;
        if (server_->Insert(record, problem))
            return true;
        error = server_->Name() + ": " + problem;
        server_.reset();
        if (!reused)
            return false;
    }
    return false;
}

std::string RecordKeeper::Keep(const ProgrammingRecord& record) {
    return Describe(Store(record));
}

KeepOutcome RecordKeeper::Store(const ProgrammingRecord& record) {
    KeepOutcome outcome;
    outcome.recordId = record.id;
    const auto nowhere = [&] {
        if (local_)
            outcome.localError = local_->Name() + ": " + outcome.localError;
        outcome.kind = KeepOutcome::Kind::Nowhere;
        return outcome;
    };
    if (!place_.server) {
        if (Local(outcome.localError, true) && local_->Insert(record, outcome.localError))
            return outcome;
        return nowhere();
    }
    if (OnServer(record, outcome)) {
        // The server is back: what waited for it goes now, in the same run.
        if (!outboxSent_ && QFileInfo::exists(QString::fromStdString(place_.localFile))) {
            outboxSent_ = true;
            outcome.sent = Sync().sent;
            if (outcome.sent > 0)
                outcome.kind = KeepOutcome::Kind::OutboxSent;
        }
        return outcome;
    }
    if (Local(outcome.localError, true) &&
        local_->InsertOwed(record, ServerKey(*place_.server), outcome.localError)) {
        // Owed now: it goes with the next record the server takes, in this run too.
        outboxSent_ = false;
        outcome.kind = KeepOutcome::Kind::Waiting;
        return outcome;
    }
    return nowhere();
}

std::string RecordKeeper::Describe(const KeepOutcome& outcome) const {
    const std::string server = outcome.serverResting
                                   ? place_.server->shown + ": not reached a moment ago"
                                   : outcome.serverError;
    switch (outcome.kind) {
        case KeepOutcome::Kind::Kept:
            return {};
        case KeepOutcome::Kind::OutboxSent:
            return std::to_string(outcome.sent) + " programming record" +
                   (outcome.sent == 1 ? "" : "s") + " from the outbox sent to " +
                   place_.server->shown;
        case KeepOutcome::Kind::Waiting:
            return "the programming record " + outcome.recordId + " waits in the outbox " +
                   place_.localFile + " until the server takes it: " + server;
        case KeepOutcome::Kind::Nowhere:
            break;
    }
    return "the programming record " + outcome.recordId +
           " is kept nowhere: " + (place_.server ? server + "; " : std::string()) +
           outcome.localError;
}

RecordKeeper::SyncOutcome RecordKeeper::Sync() {
    SyncOutcome outcome;
    if (!place_.server) {
        outcome.error = "no server is named (Record= in the INI, or --record URL)";
        return outcome;
    }
    if (!QFileInfo::exists(QString::fromStdString(place_.localFile)))
        return outcome;
    std::vector<ProgrammingRecord> owed;
    if (!Local(outcome.error, false) ||
        !local_->Owed(ServerKey(*place_.server), owed, outcome.error)) {
        if (local_)
            outcome.error = local_->Name() + ": " + outcome.error;
        return outcome;
    }
    outcome.left = static_cast<int>(owed.size());
    if (owed.empty())
        return outcome;
    if (!server_)
        server_ = RecordStore::OpenServer(*place_.server, outcome.error);
    if (!server_)
        return outcome;
    for (const ProgrammingRecord& record : owed) {
        // A record the server has already (sent once, then the mark could not go) stays
        // single there: the id is the key.
        std::string problem;
        if (!server_->Insert(record, problem)) {
            outcome.error = server_->Name() + ": " + problem;
            server_.reset();
            return outcome;
        }
        if (!local_->Settle(record.id, problem)) {
            outcome.error = local_->Name() + ": " + problem;
            return outcome;
        }
        ++outcome.sent;
        --outcome.left;
    }
    return outcome;
}

std::unique_ptr<RecordStore> OpenRecordsForReading(const RecordPlace& place, std::string& error) {
    if (place.server)
        return RecordStore::OpenServer(*place.server, error);
    return RecordStore::OpenFile(place.localFile, error, false);
}

}  // namespace orvel
