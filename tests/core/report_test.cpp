#include "report.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvel {
namespace {

constexpr std::size_t kSettingLines = 12;

std::vector<ReportText> SettingLines(const Report& report) {
    return {report.items.end() - kSettingLines, report.items.end()};
}

TEST(BuildReport, FreshStartPrintsLabelsHeadsAndTheStartUpSettings) {
    const Report report = BuildReport(EmptyChannelTable(), RadioSettings{});
    EXPECT_EQ(report.jobName, "Brisa科技打印系统");
    ASSERT_EQ(report.items.size(), 1 + 7 + 16 + kSettingLines);  // empty cells draw nothing

    EXPECT_EQ(report.items[0], (ReportText{2000, 500, "当前数据设置列表"}));
    const char* heads[] = {"信道号",   "接收频率",  "发射频率", "功率级别",
                           "信道速率", "数据/话音", "静噪电平"};
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(report.items[1 + c], (ReportText{500 + 500 * c, 800, heads[c]}));
    }
    for (int r = 0; r < 16; ++r) {
        EXPECT_EQ(report.items[8 + r], (ReportText{500, 1000 + 120 * r, ChannelLabel(r + 1)}));
    }

    const char* expected[] = {
        "数据/话音优先 :高-数据 低-话音", "接收忙指示      :低-忙", "FSQC             :关",
        "Ext SQC         :低-打开",       "发射VCO       :关",      "波特率            :2400bps",
        "校验位            :无校验",      "数据位          :8位",   "停止位            :1位",
        "遥控               :禁止",       "发射限时        :关",    "省电模式        :关",
    };
    const auto lines = SettingLines(report);
    for (std::size_t i = 0; i < kSettingLines; ++i) {
        EXPECT_EQ(lines[i], (ReportText{500, 3900 + 100 * static_cast<int>(i), expected[i]}));
    }
}

TEST(BuildReport, EachSettingPrintsItsWordOrNothing) {
    const struct {
        int RadioSettings::*field;
        int value;
        std::size_t line;
        const char* text;
    } cases[] = {
        // Two-valued fields word everything but 0 as their second value.
        {&RadioSettings::dataVoicePriority, -1, 0, "数据/话音优先 :低-数据 高-话音"},
        {&RadioSettings::rxBusyLevel, 1, 1, "接收忙指示      :高-忙"},
        {&RadioSettings::fsqc, 2, 2, "FSQC             :开"},
        {&RadioSettings::extSqc, 1, 3, "Ext SQC         :高-打开"},
        {&RadioSettings::txVco, 7, 4, "发射VCO       :开"},
        {&RadioSettings::baudRate, 3, 5, "波特率            :9600bps"},
        {&RadioSettings::baudRate, 4, 5, "波特率            :"},
        // Parity reads as the panel's buttons do: 1 odd, 2 even.
        {&RadioSettings::parity, 1, 6, "校验位            :奇校验"},
        {&RadioSettings::parity, 2, 6, "校验位            :偶校验"},
        {&RadioSettings::parity, 3, 6, "校验位            :"},
        {&RadioSettings::dataBits, 0, 7, "数据位          :7位"},
        {&RadioSettings::dataBits, -1, 7, "数据位          :"},
        {&RadioSettings::stopBits, 1, 8, "停止位            :2位"},
        {&RadioSettings::stopBits, 2, 8, "停止位            :"},
        {&RadioSettings::remoteControl, 1, 9, "遥控               :允许"},
        {&RadioSettings::remoteControl, -1, 9, "遥控               :"},
        {&RadioSettings::txTimeLimit, 11, 10, "发射限时        :1200"},
        {&RadioSettings::txTimeLimit, -1, 10, "发射限时        :"},
        {&RadioSettings::txTimeLimit, 12, 10, "发射限时        :"},
        {&RadioSettings::powerSave, 8, 11, "省电模式        :9.0"},
        {&RadioSettings::powerSave, -1, 11, "省电模式        :"},
        {&RadioSettings::powerSave, 9, 11, "省电模式        :"},
    };
    for (const auto& c : cases) {
        RadioSettings settings;
        settings.*c.field = c.value;
        EXPECT_EQ(SettingLines(BuildReport(EmptyChannelTable(), settings))[c.line].text, c.text)
            << c.text;
    }
}

TEST(BuildReport, AFullRowPrintsEveryCellOnItsRow) {
    ChannelTable table = EmptyChannelTable();
    table[4] = {ChannelLabel(5), "230.125", "235.000", "P3", "2400", "开", "L5"};
    table[5][kColSquelch] = "L9";  // a lone cell keeps its column
    const Report report = BuildReport(table, RadioSettings{});
    ASSERT_EQ(report.items.size(), 1 + 7 + 16 + 6 + 1 + kSettingLines);

    // Rows 0..3 draw one label each, so row 4 starts at item 12.
    const std::vector<ReportText> row(report.items.begin() + 12, report.items.begin() + 21);
    const std::vector<ReportText> expected = {
        {500, 1480, " 信道5"}, {1000, 1480, "230.125"}, {1500, 1480, "235.000"},
        {2000, 1480, "P3"},    {2500, 1480, "2400"},    {3000, 1480, "开"},
        {3500, 1480, "L5"},    {500, 1600, " 信道6"},   {3500, 1600, "L9"},
    };
    EXPECT_EQ(row, expected);
}

}  // namespace
}  // namespace orvel
