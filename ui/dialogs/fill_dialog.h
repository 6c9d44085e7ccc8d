// 编辑 > 批量设置...: fills channels A..B from a start receive frequency, a step and a transmit
// offset, and optionally sets power, rate, data/voice and squelch for all of them; a preview
// shows the rows before they are applied, with the rows the checks would refuse marked.
#pragma once

#include <QDialog>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "channel_edit.h"
#include "memory_image.h"
#include "radio_fields.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace orvel {

struct FillPlan {
    int first = 1;  // channels first..last
    int last = orvel::kChannelCount;
    double start = 0.0;  // MHz: channel `first` receives on start, each next one `step` higher
    double step = 0.0;
    double offset = 0.0;  // transmit = receive + offset
    // Each column chosen from a list (power, rate, data/voice, squelch: kListColumnOrder): `item`
    // goes into
    // every row when `forAll`; otherwise a row keeps its value, and only a row without one (an
    // empty cell, or a text no item shows) takes `item`, so that it can be stored.
    struct Choice {
        bool forAll = false;
        int item = 0;
    };
    std::array<Choice, orvel::kListColumns> choices{};
};

// The rows a plan makes of `table`, by channel number; frequencies as typed into the panel.
std::map<int, orvel::ChannelRow> FillRows(const FillPlan& plan, const orvel::ChannelTable& table);

// The confirm button's lines for a refused row, as one text: "接收频率数据非法，SQL数据非法".
QString FaultText(const std::vector<std::string>& confirmLines);

class FillDialog : public QDialog {
    Q_OBJECT

public:
    // Opens on channels first..last of `table`, starting from the first one's frequency.
    FillDialog(const orvel::ChannelTable& table, const orvel::FrequencyLimits& limits, int first,
               int last, QWidget* parent = nullptr);

    FillPlan plan() const;

private:
    void UpdatePreview();

    orvel::ChannelTable m_table;
    orvel::FrequencyLimits m_limits;
    QSpinBox* m_first;
    QSpinBox* m_last;
    QDoubleSpinBox* m_start;
    QDoubleSpinBox* m_step;
    QDoubleSpinBox* m_offset;
    std::array<QCheckBox*, orvel::kListColumns> m_forAll{};
    std::array<QComboBox*, orvel::kListColumns> m_items{};
    QTableWidget* m_preview;
    QLabel* m_summary;
    QPushButton* m_ok;
};

}  // namespace orvel
