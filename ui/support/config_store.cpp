#include "config_store.h"

#include <QtGlobal>

#include "app_paths.h"

namespace orvel {

void SaveSetting(std::string_view key, const std::string& value) {
    // A file that exists but cannot be read is never replaced by one holding only the port.
    if (const Status stored = StoreSetting(key, value); !stored)
        qWarning("setting not stored: %s", stored.error().c_str());
}

}  // namespace orvel
