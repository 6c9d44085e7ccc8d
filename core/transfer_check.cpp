// Whether an exported file reads back as the image it was made of, and if not, which cell.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "transfer.h"

namespace orvel {
namespace {

// Any frequency a record holds: only what a file cannot carry is looked for here.
constexpr FrequencyLimits kAnyFrequency{-HUGE_VAL, HUGE_VAL};

std::string HexBytes(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    char pair[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += pair;
    }
    return text;
}

// The bytes of a record one cell stands for; `mask` picks its bits of the flags byte.
struct CellBytes {
    Column column;
    std::size_t offset;
    std::size_t count;
    std::uint8_t mask;
};

// In the order of the file's columns.
constexpr CellBytes kCellBytes[] = {
    {kColRx, layout::kRxFreq, 3, 0xFF},       {kColTx, layout::kTxFreq, 3, 0xFF},
    {kColPower, layout::kFlags, 1, 0x8F},     {kColRate, layout::kFlags, 1, 0x30},
    {kColDataVoice, layout::kFlags, 1, 0x40}, {kColSquelch, layout::kSquelch, 1, 0xFF},
};

bool SameBits(const std::uint8_t* a, const std::uint8_t* b, const CellBytes& part) {
    for (std::size_t i = 0; i < part.count; ++i) {
        if ((a[part.offset + i] & part.mask) != (b[part.offset + i] & part.mask))
            return false;
    }
    return true;
}

// The first cell of channel `n` that would not read back, in the file's column order.
bool CheckChannel(const MemoryImage& image, const ChannelRow& row, int n, ImportError& error) {
    const std::uint8_t* record = image.data() + layout::ChannelOffset(n - 1);
    const ChannelRecord back = EncodeChannel(row);
    ImportError refused;
    const bool accepted = CheckRow(row, n, kAnyFrequency, refused);
    for (const CellBytes& part : kCellBytes) {
        const std::string key(kTransferColumns[static_cast<std::size_t>(part.column)]);
        const std::string& cell = row[static_cast<std::size_t>(part.column)];
        const std::string shown = (part.count == 1 ? "byte " : "bytes ") +
                                  HexBytes(record + part.offset, part.count) +
                                  (part.count == 1 ? " shows as " : " show as ") +
                                  (cell.empty() ? std::string("an empty cell") : Quoted(cell));
        if (!SameBits(record, back.data(), part)) {
            return Fail(
                error, n, key,
                shown + ", which reads back as " + HexBytes(back.data() + part.offset, part.count));
        }
        if (!accepted && refused.column == key)
            return Fail(error, n, key, shown + ", which an import refuses: " + refused.reason);
    }
    return true;
}

bool CheckSettings(const MemoryImage& image, const RadioSettings& settings, ImportError& error) {
    const auto back = EncodeSettings(settings);
    for (const SettingField& field : kSettingFields) {
        const int mask = (1 << field.width) - 1;
        const int code = (image[field.byte] >> field.shift) & mask;
        const int again = (back[field.byte - layout::kTxTimeLimitIndex] >> field.shift) & mask;
        if (code != again) {
            return Fail(error, 0, "settings." + std::string(field.key),
                        "code " + std::to_string(code) + " shows as " +
                            std::to_string(settings.*field.member) + ", which reads back as " +
                            std::to_string(again));
        }
    }
    for (std::size_t i = 0; i < kSettingsBytes; ++i) {
        const std::size_t at = layout::kTxTimeLimitIndex + i;
        if (image[at] != back[i]) {
            const std::uint8_t bits = image[at] ^ back[i];
            return Fail(error, 0, "settings",
                        "image byte " + std::to_string(at) + " holds " + HexBytes(&image[at], 1) +
                            ", whose bits " + HexBytes(&bits, 1) + " no setting shows");
        }
    }
    return true;
}

}  // namespace

bool ReadsBack(std::string_view text, bool csv, const MemoryImage& image, const DecodedImage& shown,
               ImportError& error) {
    MemoryImage again{};
    ImportError refused;
    const bool read = csv ? ImageFromCsv(text, kAnyFrequency, again, refused)
                          : ImageFromJson(text, kAnyFrequency, again, refused);
    const auto first = csv ? image.begin() + layout::kChannels : image.begin();
    const auto last = csv ? image.begin() + layout::kSpareA : image.end();
    if (read && std::equal(first, last, again.begin() + (first - image.begin())))
        return true;
    // Why, as a user can act on it.
    if (!shown.checksumOk) {
        const std::uint8_t computed = ImageChecksum(image);
        return Fail(error, 0, "checksum",
                    "stored " + HexBytes(&image[layout::kChecksum], 1) + ", computed " +
                        HexBytes(&computed, 1) + "; the file would hold none of the channels");
    }
    for (int n = 1; n <= kChannelCount; ++n) {
        if (!CheckChannel(image, shown.table[static_cast<std::size_t>(n - 1)], n, error))
            return false;
    }
    if (!csv && !CheckSettings(image, shown.settings, error))
        return false;
    return Fail(error, refused.row, refused.column,
                read ? "the file would not read back as the same bytes"
                     : "the file would not read back: " + refused.reason);
}

}  // namespace orvel
