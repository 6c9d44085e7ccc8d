#include "record_keeper.h"

#include <QFileInfo>

namespace orvel {

namespace {
constexpr auto kServerRest = std::chrono::seconds(30);
}

RecordKeeper::RecordKeeper(RecordPlace place) : place_(std::move(place)) {}
RecordKeeper::~RecordKeeper() = default;

Status RecordKeeper::Local(bool create) {
    return local_ ? Status() : RecordStore::OpenFile(place_.localFile, create).Into(local_);
}

Status RecordKeeper::Server() {
    return server_ ? Status() : RecordStore::OpenServer(*place_.server).Into(server_);
}

bool RecordKeeper::OnServer(const ProgrammingRecord& record, KeepOutcome& outcome) {
    const auto now = std::chrono::steady_clock::now();
    if (!server_ && retryAfter_ && now < *retryAfter_) {
        outcome.serverResting = true;
        return false;
    }
    // A connection kept from an earlier radio may have been dropped by the server since: one
    // fresh connection is tried before the record goes to the outbox.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool reused = server_ != nullptr;
        if (const Status opened = Server(); !opened) {
            outcome.serverError = opened.error();
            retryAfter_ = now + kServerRest;
            return false;
        }
        const Status kept = server_->Insert(record);
        if (kept)
            return true;
        outcome.serverError = server_->Name() + ": " + kept.error();
        server_.reset();
        if (!reused)
            return false;
    }
    return false;
}

std::string RecordKeeper::Keep(const ProgrammingRecord& record) {
    return Describe(Store(record));
}

std::vector<std::string> RecordKeeper::KeepAll(const std::vector<ProgrammingRecord>& records) {
    if (!place_.server && Local(true).Then([&] { return local_->InsertAll(records); }))
        return {};
    // One by one, so that each that cannot be kept says why.
    std::vector<std::string> lines;
    for (const ProgrammingRecord& record : records) {
        if (std::string line = Keep(record); !line.empty())
            lines.push_back(std::move(line));
    }
    return lines;
}

KeepOutcome RecordKeeper::Store(const ProgrammingRecord& record) {
    KeepOutcome outcome;
    outcome.recordId = record.id;
    const auto nowhere = [&](const Status& local) {
        outcome.localError = local_ ? local_->Name() + ": " + local.error() : local.error();
        outcome.kind = KeepOutcome::Kind::Nowhere;
        return outcome;
    };
    if (!place_.server) {
        const Status kept = Local(true).Then([&] { return local_->Insert(record); });
        return kept ? outcome : nowhere(kept);
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
    const Status owed =
        Local(true).Then([&] { return local_->InsertOwed(record, ServerKey(*place_.server)); });
    if (!owed)
        return nowhere(owed);
    // Owed now: it goes with the next record the server takes, in this run too.
    outboxSent_ = false;
    outcome.kind = KeepOutcome::Kind::Waiting;
    return outcome;
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
    if (const Status opened = Local(false); !opened) {
        outcome.error = opened.error();
        return outcome;
    }
    const auto owed = local_->Owed(ServerKey(*place_.server));
    if (!owed) {
        outcome.error = local_->Name() + ": " + owed.error();
        return outcome;
    }
    outcome.left = static_cast<int>(owed->size());
    if (owed->empty())
        return outcome;
    if (const Status opened = Server(); !opened) {
        outcome.error = opened.error();
        return outcome;
    }
    for (const ProgrammingRecord& record : *owed) {
        // A record the server has already (sent once, then the mark could not go) stays
        // single there: the id is the key.
        if (const Status sent = server_->Insert(record); !sent) {
            outcome.error = server_->Name() + ": " + sent.error();
            server_.reset();
            return outcome;
        }
        if (const Status settled = local_->Settle(record.id); !settled) {
            outcome.error = local_->Name() + ": " + settled.error();
            return outcome;
        }
        ++outcome.sent;
        --outcome.left;
    }
    return outcome;
}

Result<std::unique_ptr<RecordStore>> OpenRecordsForReading(const RecordPlace& place,
                                                           bool createFile) {
    if (place.server)
        return RecordStore::OpenServer(*place.server);
    return RecordStore::OpenFile(place.localFile, createFile);
}

}  // namespace orvel
