// The record store of a build without Qt SQL (the Windows build until its Qt has it): nothing
// is kept, and every attempt says why.
#include "record_store.h"

namespace orvel {

namespace {
const char* const kAbsent = "this build keeps no programming records (it has no Qt SQL)";
}

struct RecordStore::Impl {};

bool RecordsAvailable() {
    return false;
}

RecordStore::RecordStore(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RecordStore::~RecordStore() = default;

std::unique_ptr<RecordStore> RecordStore::OpenFile(const std::string&, std::string& error, bool,
                                                   int) {
    error = kAbsent;
    return nullptr;
}

std::unique_ptr<RecordStore> RecordStore::OpenServer(const ServerAddress&, std::string& error) {
    error = kAbsent;
    return nullptr;
}

const std::string& RecordStore::Name() const {
    static const std::string none;
    return none;
}

bool RecordStore::Insert(const ProgrammingRecord&, std::string& error) {
    error = kAbsent;
    return false;
}

bool RecordStore::Query(const RecordFilter&, std::vector<ProgrammingRecord>&, std::string& error,
                        bool) {
    error = kAbsent;
    return false;
}

bool RecordStore::Count(const RecordFilter&, std::size_t&, std::string& error) {
    error = kAbsent;
    return false;
}

bool RecordStore::Find(const std::string&, ProgrammingRecord&, std::string& error) {
    error = kAbsent;
    return false;
}

bool RecordStore::InsertOwed(const ProgrammingRecord&, const std::string&, std::string& error) {
    error = kAbsent;
    return false;
}

bool RecordStore::Owed(const std::string&, std::vector<ProgrammingRecord>&, std::string& error) {
    error = kAbsent;
    return false;
}

bool RecordStore::Settle(const std::string&, std::string& error) {
    error = kAbsent;
    return false;
}

}  // namespace orvel
