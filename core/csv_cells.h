// Cells of separated text, as the CSV import reads a file and a paste reads the clipboard.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

using CellRecord = std::vector<std::string>;

// Separators outside quotes on one line; any quote opens or closes a quoted stretch.
struct SeparatorCount {
    int tabs = 0;
    int semicolons = 0;
    int commas = 0;
};
SeparatorCount CountSeparators(std::string_view line);

enum class Quoting {
    // RFC 4180: a cell that starts with a quote runs to its closing quote, which a separator or
    // the line's end must follow, and may span lines; a quote further into a cell is text.
    Strict,
    // Text from a spreadsheet or typed by hand: any quote opens or closes a stretch whose
    // separators belong to the cell; a record ends at the line's end. Blanks around a cell go,
    // and a cell quoted whole loses its quotes.
    Loose,
};

// The record at `pos` in `text`, moving `pos` past its line end (LF or CRLF). False, with the
// fault in `reason`, when strict quoting is broken; loose quoting reads every text.
bool ReadRecord(std::string_view text, std::size_t& pos, char separator, Quoting quoting,
                CellRecord& record, std::string& reason);

// `text` without the blanks at either end (every Unicode space, U+3000 too).
std::string_view TrimBlanks(std::string_view text);

// The code point at `pos`, moving `pos` past it; a byte that starts no UTF-8 sequence reads as
// U+FFFD on its own.
char32_t NextCodePoint(std::string_view text, std::size_t& pos);

}  // namespace orvel
