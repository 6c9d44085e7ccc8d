// Text from outside (a cell, an argument, a device name) as a message repeats it: control
// bytes written out, so a tab or an escape sequence cannot break a line or a terminal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvel {

inline constexpr std::size_t kEchoLength = 40;

// "\t", "\n", "\r", "\\x1B" for control bytes and DEL; everything else as it is.
std::string EscapeControls(std::string_view text);
// EscapeControls, cut to at most kEchoLength characters with "…" as the last when cut: a
// 200 KB cell is named, not printed.
std::string EchoText(std::string_view text);

inline constexpr std::size_t kMessageLength = 300;

// A message that may carry names from outside (files, ports) as stderr shows it: control bytes
// written out, and past kMessageLength characters its middle given as "…", so that the start
// and the reason at the end stay.
std::string EchoMessage(std::string_view text);

}  // namespace orvel
