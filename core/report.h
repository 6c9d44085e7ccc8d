// What the printed settings report shows and where, kept apart from any painting so the print
// command only has to draw the items in order.
#pragma once

#include <string>
#include <vector>

#include "memory_image.h"

namespace orvel {

// A text whose top-left corner sits at (x, y) in printer device units.
struct ReportText {
    int x;
    int y;
    std::string text;

    bool operator==(const ReportText&) const = default;
};

struct Report {
    std::string jobName;  // the document name the print queue shows
    std::vector<ReportText> items;
};

// Items in drawing order: title, column heads, the table row by row (empty cells are left out),
// then one line per setting.
Report BuildReport(const ChannelTable& table, const RadioSettings& settings);

}  // namespace orvel
