#include "text_view.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "report.h"

namespace orvel::cli {
namespace {

// Terminal columns of UTF-8 text. The only characters beyond two bytes here are Chinese, and
// those take two columns.
std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        width += length >= 3 ? 2 : 1;
        i += length;
    }
    return width;
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void AppendPadded(std::string& line, std::string_view cell, std::size_t width) {
    line += cell;
    line.append(width - DisplayWidth(cell), ' ');
}

std::string WithoutTrailingBlanks(std::string line) {
    line.erase(line.find_last_not_of(' ') + 1);
    return line;
}

}  // namespace

std::string TextView(const MemoryImage& image, const DecodedImage& decoded) {
    const Report report = BuildReport(decoded.table, decoded.settings);
    std::vector<std::vector<std::string_view>> rows;
    // The report begins with its title and the seven column heads.
    std::vector<std::string_view> heads;
    for (int c = 1; c <= kTableColumns; ++c)
        heads.push_back(report.items[static_cast<std::size_t>(c)].text);
    rows.push_back(heads);
    for (const ChannelRow& row : decoded.table) {
        std::vector<std::string_view> cells;
        for (const std::string& cell : row)
            cells.push_back(Trimmed(cell));
        rows.push_back(cells);
    }
    std::vector<std::size_t> widths(kTableColumns, 0);
    for (const auto& cells : rows) {
        for (std::size_t c = 0; c < cells.size(); ++c)
            widths[c] = std::max(widths[c], DisplayWidth(cells[c]));
    }

    char summary[96];
    std::snprintf(summary, sizeof summary,
                  "header %02X %02X %02X, checksum %02X (computed %02X)\n\n", image[0], image[1],
                  image[2], image[layout::kChecksum], ImageChecksum(image));
    std::string text = summary;
    for (const auto& cells : rows) {
        std::string line;
        for (std::size_t c = 0; c < cells.size(); ++c)
            AppendPadded(line, cells[c], widths[c] + 2);
        text += WithoutTrailingBlanks(line) + '\n';
    }

    // The report ends with one "label:value" line per setting; its labels are padded for paper.
    constexpr std::size_t kSettingLines = 12;
    std::vector<std::pair<std::string_view, std::string_view>> settings;
    std::size_t labelWidth = 0;
    for (auto it = report.items.end() - kSettingLines; it != report.items.end(); ++it) {
        const std::string_view line = it->text;
        const auto colon = line.find(':');
        settings.emplace_back(Trimmed(line.substr(0, colon)), line.substr(colon + 1));
        labelWidth = std::max(labelWidth, DisplayWidth(settings.back().first));
    }
    text += '\n';
    for (const auto& [label, value] : settings) {
        std::string line;
        AppendPadded(line, label, labelWidth);
        text += line + "  " + std::string(value) + '\n';
    }
    return text;
}

}  // namespace orvel::cli
