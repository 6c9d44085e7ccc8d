// Stores one of the window's choices in the private INI file.
#pragma once

#include <string>
#include <string_view>

namespace orvel {

// An empty value removes the key. A port chosen by number no longer names a device.
void SaveSetting(std::string_view key, const std::string& value);

}  // namespace orvel
