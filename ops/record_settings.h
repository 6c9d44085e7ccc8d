// Where a program keeps its programming records and who and where it says it is, from the INI:
// Station= (else the host name), Operator= (else the system user) and Record= (else the bench's
// own file only). The window and orvelctl read them alike.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "configuration.h"
#include "record_keeper.h"

namespace orvel {

struct RecordSettings {
    bool keep = false;  // false in a build without records
    RecordPlace place;
    std::string station;
    std::string operatorName;
    // Station= and Operator= of the INI that are no label (CheckLabel) and stand aside for the
    // defaults: "Station", "Operator".
    std::vector<std::string> unusedKeys;
};

// `url`, when given, stands for Record= (orvelctl's --record). A failure says why the URL is of
// no use (the URL is not repeated: it might hold the very password it must not carry), and no
// server is set; the rest of the settings are whole all the same.
Status RecordSettingsFromConfig(const Configuration& config, RecordSettings& settings,
                                const std::optional<std::string>& url = std::nullopt);

}  // namespace orvel
