// The record store of a build without Qt SQL: nothing is kept, and every attempt to open a
// store says why (no store is ever made, so a store has nothing to define here).
#include "record_store.h"

namespace orvel {

const Failure kAbsent{"this build keeps no programming records (it has no Qt SQL)"};

bool RecordsAvailable() {
    return false;
}

Result<std::unique_ptr<RecordStore>> RecordStore::OpenFile(const std::string&, bool, int) {
    return kAbsent;
}

Result<std::unique_ptr<RecordStore>> RecordStore::OpenServer(const ServerAddress&) {
    return kAbsent;
}

}  // namespace orvel
