#include "record_settings.h"

#include "app_paths.h"
#include "echo_text.h"
#include "record_store.h"

namespace orvel {

Status RecordSettingsFromConfig(const Configuration& config, RecordSettings& settings,
                                const std::optional<std::string>& url) {
    settings = RecordSettings{};
    settings.keep = RecordsAvailable();
    settings.place.localFile = RecordFilePath().toStdString();
    settings.station = config.station;
    settings.operatorName = config.operatorName;
    if (CheckLabel(settings.station) != LabelFault::None) {
        settings.unusedKeys.push_back("Station");
        settings.station.clear();
    }
    if (CheckLabel(settings.operatorName) != LabelFault::None) {
        settings.unusedKeys.push_back("Operator");
        settings.operatorName.clear();
    }
    if (settings.station.empty())
        settings.station = DefaultStation();
    if (settings.operatorName.empty())
        settings.operatorName = DefaultOperator();
    const std::string& text = url ? *url : config.recordUrl;
    if (text.empty())
        return {};
    const Result<ServerAddress> address = ParseRecordUrl(text);
    if (address)
        settings.place.server = *address;
    return address.status();
}

}  // namespace orvel
