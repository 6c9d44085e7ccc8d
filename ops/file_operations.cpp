#include "file_operations.h"

#include "app_paths.h"
#include "backup_store.h"
#include "file_access.h"

namespace orvel {

SaveOutcome SaveFileKeepingCopy(const std::string& path, const std::vector<std::uint8_t>& bytes,
                                bool withoutCopy) {
    SaveOutcome outcome;
    const Result<std::string> copy = KeepReplacedFile(path);
    if (!copy && !withoutCopy) {
        outcome.status = SaveStatus::NoSafetyCopy;
        outcome.error = copy.error();
        return outcome;
    }
    if (!WriteFileAtomically(path, bytes, outcome.error)) {
        // The file is as it was: its copy would only crowd out older ones.
        if (copy && !copy->empty())
            DiscardBackup(*copy);
        outcome.status = SaveStatus::WriteFailed;
        return outcome;
    }
    outcome.status = SaveStatus::Saved;
    return outcome;
}

}  // namespace orvel
