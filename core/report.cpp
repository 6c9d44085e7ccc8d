#include "report.h"

#include <array>
#include <string_view>

#include "radio_fields.h"
#include "texts.h"

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

Report BuildReport(const ChannelTable& table, const RadioSettings& s,
                   const ReportLanguage& language) {
    const auto text = [&language](std::string_view chinese) {
        return language.translate ? language.translate(chinese) : std::string(chinese);
    };
    Report report;
    report.jobName = text(ORVEL_TR("Brisa科技打印系统"));
    auto& items = report.items;

    items.push_back({kTitleX, kTitleY, text(ORVEL_TR("当前数据设置列表"))});
    for (int c = 0; c < kTableColumns; ++c) {
        items.push_back({kLeftX + kColumnStep * c, kHeadY,
                         text(kChannelFields[static_cast<std::size_t>(c)].reportHeading)});
    }
    for (int r = 0; r < kChannelCount; ++r) {
        const ChannelRow& row = table[static_cast<std::size_t>(r)];
        for (int c = 0; c < kTableColumns; ++c) {
            const std::string& cell = row[static_cast<std::size_t>(c)];
            if (cell.empty())
                continue;
            items.push_back({kLeftX + kColumnStep * c, kFirstRowY + kRowStep * r, text(cell)});
        }
    }

    std::array<const SettingField*, kSettingFields.size()> rows{};
    for (const SettingField& field : kSettingFields)
        rows[static_cast<std::size_t>(field.reportRow)] = &field;
    int y = kFirstSettingY;
    for (const SettingField* field : rows) {
        const int value = s.*field->member;
        if (language.translate) {
            items.push_back({kLeftX, y, text(field->label)});
            items.push_back({language.valueX, y, ":" + text(SettingWord(*field, value))});
        } else {
            items.push_back({kLeftX, y, Line(*field, value)});
        }
        y += kSettingStep;
    }
    return report;
}

}  // namespace orvel
