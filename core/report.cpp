#include "report.h"

#include <array>
#include <string_view>

#include "vocabulary.h"

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

constexpr std::array<std::string_view, kTableColumns> kHeads = {
    "信道号", "接收频率", "发射频率", "功率级别", "信道速率", "数据/话音", "静噪电平"};

// The label's trailing blanks line the colons up on paper and are part of the printed text.
std::string Line(std::string_view label, std::string_view value) {
    std::string line(label);
    line += ':';
    line += value;
    return line;
}

// Two-valued fields print their second word for anything but 0.
std::string_view Either(int value, std::string_view zero, std::string_view other) {
    return value == 0 ? zero : other;
}

// Multi-valued fields print nothing after the colon for a value without a word.
constexpr std::array<std::string_view, 4> kBaud = {"1200bps", "2400bps", "4800bps", "9600bps"};
// Code 1 is odd and 2 even, as the panel's buttons say.
constexpr std::array<std::string_view, 3> kParity = {"无校验", "奇校验", "偶校验"};
constexpr std::array<std::string_view, 2> kDataBits = {"7位", "8位"};
constexpr std::array<std::string_view, 2> kStopBits = {"1位", "2位"};
constexpr std::array<std::string_view, 2> kRemote = {"禁止", "允许"};

}  // namespace

Report BuildReport(const ChannelTable& table, const RadioSettings& s) {
    Report report;
    report.jobName = "Brisa科技打印系统";
    auto& items = report.items;

    items.push_back({kTitleX, kTitleY, "当前数据设置列表"});
    for (int c = 0; c < kTableColumns; ++c) {
        items.push_back(
            {kLeftX + kColumnStep * c, kHeadY, std::string(kHeads[static_cast<std::size_t>(c)])});
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

    const std::string lines[] = {
        Line("数据/话音优先 ", Either(s.dataVoicePriority, "高-数据 低-话音", "低-数据 高-话音")),
        Line("接收忙指示      ", Either(s.rxBusyLevel, "低-忙", "高-忙")),
        Line("FSQC             ", Either(s.fsqc, "关", "开")),
        Line("Ext SQC         ", Either(s.extSqc, "低-打开", "高-打开")),
        Line("发射VCO       ", Either(s.txVco, "关", "开")),
        Line("波特率            ", vocab::ItemText(kBaud, s.baudRate)),
        Line("校验位            ", vocab::ItemText(kParity, s.parity)),
        Line("数据位          ", vocab::ItemText(kDataBits, s.dataBits)),
        Line("停止位            ", vocab::ItemText(kStopBits, s.stopBits)),
        Line("遥控               ", vocab::ItemText(kRemote, s.remoteControl)),
        Line("发射限时        ", vocab::ItemText(vocab::kTxTimeLimit, s.txTimeLimit)),
        Line("省电模式        ", vocab::ItemText(vocab::kPowerSave, s.powerSave)),
    };
    int y = kFirstSettingY;
    for (const std::string& line : lines) {
        items.push_back({kLeftX, y, line});
        y += kSettingStep;
    }
    return report;
}

}  // namespace orvel
