// The edit panel for one channel: loading a row, checking it, and writing it back.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "memory_image.h"
#include "texts.h"

namespace orvel {

// Inclusive bounds for receive and transmit frequencies, in MHz.
struct FrequencyLimits {
    double min = 223.0;
    double max = 235.0;
};

// The frequency in MHz a typed text ends up as in the record: its cell ("%6.3f") packed as six
// BCD digits of kHz. nullopt when the record cannot hold it: 1000 MHz or more, a negative
// value, or 0.000 MHz, which every decode shows as an empty cell.
std::optional<double> StoredFrequency(std::string_view text);

// A frequency is valid when its record can hold it and both the value as typed and the value as
// stored lie inside the limits, ends included: with Max 235, "235.0004" and
// "235.0000000000000000001" are refused although they would be stored as 235.000, and with Max
// 230.1245, "230.1245" is refused as the 230.125 it becomes.
bool FrequencyValid(std::string_view text, const FrequencyLimits& limits);

// "%6.3f" of the text as read, rounded on its digits with halves up (230.0125 -> 230.013): what
// the channel list shows for a confirmed frequency.
std::string FrequencyCell(std::string_view text);

// The panel's state: the channel being edited (1..16, 0 = none), the frequencies as typed and
// the four drop-down selections as item indexes (-1 = none).
struct EditPanel {
    int channelNo = 1;
    std::string rxText;
    std::string txText;
    int power = -1;
    int rate = -1;
    int squelch = -1;
    int dataVoice = -1;

    bool operator==(const EditPanel&) const = default;
};

// Which fields are marked red.
struct InvalidFlags {
    bool rx = false;
    bool tx = false;
    bool squelch = false;
    bool power = false;
    bool dataVoice = false;
    bool rate = false;
    bool operator==(const InvalidFlags&) const = default;
};

// A row click: the panel shows row `rowIndex` (-1 = no row selected, channel 0). A cell that
// matches no item leaves its drop-down without selection.
void LoadRowIntoPanel(const ChannelTable& table, int rowIndex, EditPanel& panel);

// After a decode: channel 1 into the panel. A drop-down whose cell matches no item keeps the
// selection it had.
void LoadFirstChannelIntoPanel(const ChannelTable& table, EditPanel& panel);

struct ConfirmResult {
    std::vector<Message> logLines;  // one per invalid field, then the "data set" line
    bool written = false;
};

// The confirm button: every check in order, red marks, and the row written when all pass.
ConfirmResult ConfirmPanel(const EditPanel& panel, const FrequencyLimits& limits,
                           ChannelTable& table, InvalidFlags& invalid);

// The silent confirm used after a read or a file load: never marks a field red, logs nothing.
// Returns true when the row was written.
bool ApplyPanelToRow(const EditPanel& panel, const FrequencyLimits& limits, ChannelTable& table,
                     InvalidFlags& invalid);

// True when confirming the panel would leave its row as it is: the frequencies print as the
// cells do (an empty text matches an empty cell) and each drop-down shows its cell's item. A
// drop-down without a selection matches a cell that no item shows, and a panel outside 1..16
// matches always: neither holds anything to confirm.
bool PanelMatchesRow(const EditPanel& panel, const ChannelTable& table);

// Digits with at most one decimal point, an optional sign and blanks around: what a technician
// types, and what a frequency from a file or the clipboard must be.
bool IsDecimalText(std::string_view text);

// Empties columns 1..6 of channel `channelNo` (1..16); other values do nothing.
void ClearRow(ChannelTable& table, int channelNo);

// A whole row of cells brought in at once (pasted, filled) into channel `channelNo` (1..16):
// checked and written as the confirm button checks and writes the panel, its frequencies as
// decimal numbers only (IsDecimalText), with each cell taken
// as the panel would show it (an item text that is no item leaves its drop-down empty). A row
// without any value empties the channel. Returns the confirm button's lines for the fields that
// failed, in its order ("***接收频率数据非法***", ...); empty when the row was written.
std::vector<std::string> ConfirmRow(const ChannelRow& cells, int channelNo,
                                    const FrequencyLimits& limits, ChannelTable& table);

}  // namespace orvel
