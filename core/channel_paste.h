// Channel rows from text a spreadsheet or this program put on the clipboard.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "memory_image.h"

namespace orvel {

// One line of pasted text: the six cells of a row, or nothing when the line is not one.
using PastedRow = std::optional<ChannelRow>;

// A table text as the window shows it in its language (" 信道3" as "Channel 3", "关" as "Off").
using ShownText = std::function<std::string(std::string_view)>;

// Cells separated by tabs, semicolons or commas (whichever the first line uses), an optional
// header line (the CSV columns, or the list's headings), and the channel column optional: a line
// of seven cells starting with a channel number 1..16 or label loses that cell, since the rows go
// from the chosen row on. Six cells make a row; other lines are kept as nothing, so the rows
// after them stay in place. A cell may be quoted, and may be as the list shows it (`shown`).
std::vector<PastedRow> RowsFromText(std::string_view text, const ShownText& shown);

}  // namespace orvel
