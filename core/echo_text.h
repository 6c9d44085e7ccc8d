// Text from outside (a cell, an argument, a device name) as a message repeats it: control
// bytes written out, so a tab or an escape sequence cannot break a line or a terminal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvel {

inline constexpr std::size_t kEchoLength = 40;

// "\t", "\n", "\r", "\\x1B" for control bytes and DEL, "\\u009B" for a C1 control (U+0080..U+009F,
// which some terminals obey as escapes), "\\x9B" for such a byte outside a UTF-8 character;
// everything else as it is.
std::string EscapeControls(std::string_view text);
// EscapeControls, cut to at most kEchoLength characters with "…" as the last when cut: a
// 200 KB cell is named, not printed.
std::string EchoText(std::string_view text);

inline constexpr std::size_t kMessageLength = 300;

// A message that may carry names from outside (files, ports) as stderr shows it: control bytes
// written out, and past kMessageLength characters its middle given as "…", so that the start
// and the reason at the end stay.
std::string EchoMessage(std::string_view text);

// Labels a user types or scans (a unit, an operator, a station) end up in records that other
// programs list and spreadsheets open: bounded, and text only.
inline constexpr std::size_t kLongestLabel = 200;  // bytes of UTF-8

enum class LabelFault { None, TooLong, Control };

// Control: C0, DEL or C1 (as EscapeControls writes out).
LabelFault CheckLabel(std::string_view label);
// "is longer than 200 bytes" or "holds a control character (\\x1B)"; empty for None.
std::string LabelFaultText(std::string_view label);

}  // namespace orvel
