#include "report.h"

#include <array>
#include <string_view>

#include "radio_fields.h"

namespace orvel {
namespace {

constexpr int kTitleX = 2000;
constexpr int kTitleY = 500;
constexpr int kHeadY = 800;
constexpr int kFirstRowY = 1000;
constexpr int kRowStep = 120;
constexpr int kLeftX = 500;
constexpr int kColumnStep = 500;
constexpr int kFirstSettingY = 3900;
constexpr int kSettingStep = 100;

// The label's trailing blanks line the colons up on paper and are part of the printed text.
std::string Line(const SettingField& field, int value) {
    std::string line(field.label);
    line.append(static_cast<std::size_t>(field.reportBlanks), ' ');
    line += ':';
    line += SettingWord(field, value);
    return line;
}

}  // namespace

Report BuildReport(const ChannelTable& table, const RadioSettings& s) {
    Report report;
    report.jobName = "Brisa科技打印系统";
    auto& items = report.items;

    items.push_back({kTitleX, kTitleY, "当前数据设置列表"});
    for (int c = 0; c < kTableColumns; ++c) {
        items.push_back({kLeftX + kColumnStep * c, kHeadY,
                         std::string(kChannelFields[static_cast<std::size_t>(c)].reportHeading)});
    }
    for (int r = 0; r < kChannelCount; ++r) {
        const ChannelRow& row = table[static_cast<std::size_t>(r)];
        for (int c = 0; c < kTableColumns; ++c) {
            const std::string& cell = row[static_cast<std::size_t>(c)];
            if (cell.empty())
                continue;
            items.push_back({kLeftX + kColumnStep * c, kFirstRowY + kRowStep * r, cell});
        }
    }

    std::array<std::string, kSettingFields.size()> lines;
    for (const SettingField& field : kSettingFields)
        lines[static_cast<std::size_t>(field.reportRow)] = Line(field, s.*field.member);
    int y = kFirstSettingY;
    for (const std::string& line : lines) {
        items.push_back({kLeftX, y, line});
        y += kSettingStep;
    }
    return report;
}

}  // namespace orvel
