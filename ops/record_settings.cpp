#include "record_settings.h"

#include "app_paths.h"
#include "record_store.h"

namespace orvel {

std::string RecordSettingsFromConfig(const Configuration& config, RecordSettings& settings,
                                     const std::optional<std::string>& url) {
    settings = RecordSettings{};
    settings.keep = RecordsAvailable();
    settings.place.localFile = RecordFilePath().toStdString();
    settings.station = config.station.empty() ? DefaultStation() : config.station;
    settings.operatorName = config.operatorName.empty() ? DefaultOperator() : config.operatorName;
    const std::string& text = url ? *url : config.recordUrl;
    if (text.empty())
        return {};
    ServerAddress address;
    if (std::string problem = ParseRecordUrl(text, address); !problem.empty())
        return problem;
    settings.place.server = address;
    return {};
}

}  // namespace orvel
