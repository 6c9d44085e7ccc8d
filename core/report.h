// What the printed settings report shows and where, kept apart from any painting so the print
// command only has to draw the items in order.
#pragma once

#include <functional>
#include <string>
#include <string_view>
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

// The report in another language than its Chinese: every text (job name, title, heads, cells,
// setting names and words) goes through `translate`. The blanks after a Chinese setting name
// line the colons up only for those names, so a translated line puts ":word" at `valueX`, as an
// item of its own.
struct ReportLanguage {
    std::function<std::string(std::string_view)> translate;
    int valueX = 0;
};

// Items in drawing order: title, column heads, the table row by row (empty cells are left out),
// then one line per setting (two items each when translated).
Report BuildReport(const ChannelTable& table, const RadioSettings& settings,
                   const ReportLanguage& language = {});

}  // namespace orvel
