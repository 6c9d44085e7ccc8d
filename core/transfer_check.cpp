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

bool SameBits(const std::uint8_t* a, const std::uint8_t* b, const ChannelField& field) {
    for (std::size_t i = 0; i < field.ByteCount(); ++i) {
        const std::size_t at = field.bits.offset + i;
        if ((a[at] & field.bits.Mask()) != (b[at] & field.bits.Mask()))
            return false;
    }
    return true;
}

// The first cell of channel `n` that would not read back, in the file's column order.
bool CheckChannel(const MemoryImage& image, const ChannelRow& row, int n, ReadBackFault& fault) {
    const std::uint8_t* record = image.data() + layout::ChannelOffset(n - 1);
    const ChannelRecord back = EncodeChannel(row);
    ImportError refused;
    const bool accepted = CheckRow(row, n, kAnyFrequency, refused);
    // In the order of the file's columns.
    for (const ChannelField& part : kChannelFields) {
        if (part.ByteCount() == 0)
            continue;
        const std::string key(part.key);
        const bool differs = !SameBits(record, back.data(), part);
        if (!differs && (accepted || refused.column != key))
            continue;
        fault.kind = differs ? ReadBackFault::Kind::CellBytes : ReadBackFault::Kind::CellRefused;
        fault.channel = n;
        fault.column = part.column;
        fault.byteCount = part.ByteCount();
        fault.bytes = HexBytes(record + part.bits.offset, part.ByteCount());
        fault.back = HexBytes(back.data() + part.bits.offset, part.ByteCount());
        fault.cell = row[static_cast<std::size_t>(part.column)];
        fault.reason = refused.reason;
        return false;
    }
    return true;
}

bool CheckSettings(const MemoryImage& image, const RadioSettings& settings, ReadBackFault& fault) {
    const auto back = EncodeSettings(settings);
    for (const SettingField& field : kSettingFields) {
        const int mask = (1 << field.width) - 1;
        const int code = (image[field.byte] >> field.shift) & mask;
        const int again = (back[field.byte - layout::kTxTimeLimitIndex] >> field.shift) & mask;
        if (code != again) {
            fault.kind = ReadBackFault::Kind::SettingCode;
            fault.setting = &field;
            fault.code = code;
            fault.shownValue = settings.*field.member;
            fault.again = again;
            return false;
        }
    }
    for (std::size_t i = 0; i < kSettingsBytes; ++i) {
        const std::size_t at = layout::kTxTimeLimitIndex + i;
        if (image[at] != back[i]) {
            const std::uint8_t bits = image[at] ^ back[i];
            fault.kind = ReadBackFault::Kind::SettingBits;
            fault.byte = at;
            fault.byteCount = 1;
            fault.bytes = HexBytes(&image[at], 1);
            fault.back = HexBytes(&bits, 1);
            return false;
        }
    }
    return true;
}

// orvelctl's words for `fault`.
bool FailWith(const ReadBackFault& fault, int refusedRow, const std::string& refusedColumn,
              ImportError& error) {
    using Kind = ReadBackFault::Kind;
    const bool one = fault.byteCount == 1;
    const std::string key =
        fault.kind == Kind::CellBytes || fault.kind == Kind::CellRefused
            ? std::string(kTransferColumns[static_cast<std::size_t>(fault.column)])
            : std::string();
    const std::string shown =
        (one ? "byte " : "bytes ") + fault.bytes + (one ? " shows as " : " show as ") +
        (fault.cell.empty() ? std::string("an empty cell") : Quoted(fault.cell));
    switch (fault.kind) {
        case Kind::Checksum:
            return Fail(error, 0, "checksum",
                        "stored " + fault.bytes + ", computed " + fault.back +
                            "; the file would hold none of the channels");
        case Kind::CellBytes:
            return Fail(error, fault.channel, key, shown + ", which reads back as " + fault.back);
        case Kind::CellRefused:
            return Fail(error, fault.channel, key,
                        shown + ", which an import refuses: " + fault.reason);
        case Kind::SettingCode:
            return Fail(error, 0, "settings." + std::string(fault.setting->key),
                        "code " + std::to_string(fault.code) + " shows as " +
                            std::to_string(fault.shownValue) + ", which reads back as " +
                            std::to_string(fault.again));
        case Kind::SettingBits:
            return Fail(error, 0, "settings",
                        "image byte " + std::to_string(fault.byte) + " holds " + fault.bytes +
                            ", whose bits " + fault.back + " no setting shows");
        case Kind::NotSame:
            return Fail(error, refusedRow, refusedColumn,
                        "the file would not read back as the same bytes");
        case Kind::NotRead:
            return Fail(error, refusedRow, refusedColumn,
                        "the file would not read back: " + fault.reason);
    }
    return false;
}

}  // namespace

bool ReadsBack(std::string_view text, bool csv, const MemoryImage& image, const DecodedImage& shown,
               ImportError& error) {
    ReadBackFault fault;
    return ReadsBack(text, csv, image, shown, error, fault);
}

bool ReadsBack(std::string_view text, bool csv, const MemoryImage& image, const DecodedImage& shown,
               ImportError& error, ReadBackFault& fault) {
    MemoryImage again{};
    ImportError refused;
    const bool read = csv ? ImageFromCsv(text, kAnyFrequency, again, refused)
                          : ImageFromJson(text, kAnyFrequency, again, refused);
    const auto first = csv ? image.begin() + layout::kChannels : image.begin();
    const auto last = csv ? image.begin() + layout::kSpareA : image.end();
    if (read && std::equal(first, last, again.begin() + (first - image.begin())))
        return true;
    // Why, as a user can act on it.
    fault = {};
    if (!shown.checksumOk) {
        const std::uint8_t computed = ImageChecksum(image);
        fault.kind = ReadBackFault::Kind::Checksum;
        fault.byteCount = 1;
        fault.bytes = HexBytes(&image[layout::kChecksum], 1);
        fault.back = HexBytes(&computed, 1);
        return FailWith(fault, 0, {}, error);
    }
    for (int n = 1; n <= kChannelCount; ++n) {
        if (!CheckChannel(image, shown.table[static_cast<std::size_t>(n - 1)], n, fault))
            return FailWith(fault, 0, {}, error);
    }
    if (!csv && !CheckSettings(image, shown.settings, fault))
        return FailWith(fault, 0, {}, error);
    fault.kind = read ? ReadBackFault::Kind::NotSame : ReadBackFault::Kind::NotRead;
    fault.reason = refused.reason;
    return FailWith(fault, refused.row, refused.column, error);
}

}  // namespace orvel
