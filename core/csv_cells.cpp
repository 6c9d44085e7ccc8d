#include "csv_cells.h"

#include <algorithm>

namespace orvel {
namespace {

// As a spreadsheet trims: the Unicode spaces, line and paragraph separators, and the controls
// from tab to carriage return and NEL.
bool IsBlank(char32_t c) {
    return c == 0x20 || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

std::string Unquoted(std::string_view cell) {
    if (cell.size() < 2 || cell.front() != '"' || cell.back() != '"')
        return std::string(cell);
    cell = cell.substr(1, cell.size() - 2);
    std::string text;
    for (std::size_t i = 0; i < cell.size(); ++i) {
        text += cell[i];
        if (cell[i] == '"' && i + 1 < cell.size() && cell[i + 1] == '"')
            ++i;
    }
    return text;
}

}  // namespace

char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80)
        return lead;
    const int more = lead >= 0xF0 && lead < 0xF8 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (more < 0 || lead >= 0xF8 || pos + static_cast<std::size_t>(more) > text.size())
        return 0xFFFD;
    char32_t c = lead & (0x3F >> more);
    for (int k = 0; k < more; ++k) {
        const auto next = static_cast<unsigned char>(text[pos + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80)
            return 0xFFFD;
        c = (c << 6) | (next & 0x3F);
    }
    pos += static_cast<std::size_t>(more);
    return c;
}

std::string_view TrimBlanks(std::string_view text) {
    std::size_t first = text.size();
    std::size_t end = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        if (!IsBlank(NextCodePoint(text, pos))) {
            first = std::min(first, start);
            end = pos;
        }
    }
    return first < end ? text.substr(first, end - first) : std::string_view{};
}

SeparatorCount CountSeparators(std::string_view line) {
    SeparatorCount count;
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == '\t')
            ++count.tabs;
        else if (!quoted && c == ';')
            ++count.semicolons;
        else if (!quoted && c == ',')
            ++count.commas;
    }
    return count;
}

bool ReadRecord(std::string_view text, std::size_t& pos, char separator, Quoting quoting,
                CellRecord& record, std::string& reason) {
    record.clear();
    const std::string ends = std::string(1, separator) + "\r\n";
    for (;;) {
        std::string cell;
        if (quoting == Quoting::Loose) {
            const std::size_t start = pos;
            bool quoted = false;
            for (; pos < text.size() && text[pos] != '\n'; ++pos) {
                if (text[pos] == '"')
                    quoted = !quoted;
                else if (!quoted && text[pos] == separator)
                    break;
            }
            cell = Unquoted(TrimBlanks(text.substr(start, pos - start)));
        } else if (pos < text.size() && text[pos] == '"') {
            for (++pos;; ++pos) {
                if (pos >= text.size()) {
                    reason = "a quoted cell is not closed";
                    return false;
                }
                if (text[pos] != '"') {
                    cell += text[pos];
                } else if (pos + 1 < text.size() && text[pos + 1] == '"') {
                    cell += '"';
                    ++pos;
                } else {
                    ++pos;
                    break;
                }
            }
            if (pos < text.size() && ends.find(text[pos]) == std::string::npos) {
                reason = "text follows the closing quote of a cell";
                return false;
            }
        } else {
            const std::size_t end = std::min(text.find_first_of(ends, pos), text.size());
            cell = text.substr(pos, end - pos);
            pos = end;
        }
        record.push_back(std::move(cell));
        if (pos < text.size() && text[pos] == separator) {
            ++pos;
            continue;
        }
        if (pos < text.size() && text[pos] == '\r')
            ++pos;
        if (pos < text.size() && text[pos] == '\n')
            ++pos;
        return true;
    }
}

}  // namespace orvel
