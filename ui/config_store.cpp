#include "config_store.h"

#include <QFileInfo>
#include <QString>

#include "app_paths.h"
#include "configuration.h"
#include "ini_file.h"

using namespace orvel;

void SaveSetting(std::string_view key, const std::string& value) {
    const QString writePath = ConfigWritePath();
    IniFile ini;
    std::string error;
    // A first private copy starts from the read-only file beside the program.
    const QString readPath = ConfigReadPath();
    const QString basePath = QFileInfo::exists(writePath) ? writePath : readPath;
    // A file that exists but cannot be read is never replaced by one holding only the port.
    if (!IniFile::Load(basePath.toStdString(), ini, error)) {
        qWarning("setting not stored: %s", error.c_str());
        return;
    }
    ini.Set(kConfigSection, key, value);
    // A port chosen by number no longer names a device.
    if (key == kPortKey)
        ini.Remove(kConfigSection, "Device");
    if (!ini.Save(writePath.toStdString(), error)) {
        qWarning("setting not stored: %s", error.c_str());
    }
}
