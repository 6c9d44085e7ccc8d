#include "config_store.h"

#include <QtGlobal>

#include "app_paths.h"

namespace orvel {

void SaveSetting(std::string_view key, const std::string& value) {
    std::string error;
    // A file that exists but cannot be read is never replaced by one holding only the port.
    if (!StoreSetting(key, value, error))
        qWarning("setting not stored: %s", error.c_str());
}

}  // namespace orvel
