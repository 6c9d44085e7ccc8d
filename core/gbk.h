// Byte lengths as the radio programming log counts them: GBK, where ASCII takes one byte and
// every other character two.
#pragma once

#include <cstddef>
#include <string_view>

namespace orvel {

// GBK byte length of UTF-8 text.
std::size_t GbkLength(std::string_view utf8);

// The log is emptied before a line is added once it holds more than this many bytes.
inline constexpr std::size_t kLogLimitBytes = 2048;

}  // namespace orvel
