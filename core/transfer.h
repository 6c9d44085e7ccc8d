// The configuration as JSON and as a CSV channel table, for scripts and spreadsheets. Output
// shows every cell as the channel list would; input is checked cell by cell with the edit
// panel's rules (cell_rules.h).
#pragma once

#include <string>
#include <string_view>

#include "cell_rules.h"
#include "codec.h"
#include "memory_image.h"

namespace orvel {

// Header, checksums and spare bytes come from `image`, cells and settings from `decoded`.
std::string ImageToJson(const MemoryImage& image, const DecodedImage& decoded);
std::string TableToCsv(const ChannelTable& table);

// Build an image from a document: header and spare bytes from the JSON; for CSV the start-up
// header and settings with zero spare bytes. Frequencies are stored as the panel stores them.
// The JSON's checksum entry is for reading only: an edited file would never match it, and the
// image gets a fresh one anyway.
bool ImageFromJson(std::string_view text, const FrequencyLimits& limits, MemoryImage& image,
                   ImportError& error);
bool ImageFromCsv(std::string_view text, const FrequencyLimits& limits, MemoryImage& image,
                  ImportError& error);

// Whether `text`, the JSON file (or, with `csv`, the CSV table) made of `image` as `shown`, reads
// back as the bytes it came from: the whole image, or for a CSV table its channel records. When
// it does not, `error` names the first cell or setting the file cannot carry (row = channel):
// bytes its text gives back otherwise (squelch byte 1A shows as L10, which is 0A), or a cell an
// import refuses (an empty power cell in a row with other values). Frequency limits play no part:
// a frequency outside Min..Max reads back under limits that hold it.
bool ReadsBack(std::string_view text, bool csv, const MemoryImage& image, const DecodedImage& shown,
               ImportError& error);

// The same fault in parts, for a program that words it in its own language.
struct ReadBackFault {
    enum class Kind {
        Checksum,     // `bytes` stored, `back` computed: the file would hold no channel
        CellBytes,    // channel's `column` cell: `bytes` show as `cell`, which gives back `back`
        CellRefused,  // the same cell, which an import refuses for `reason`
        SettingCode,  // `setting`'s `code` shows as `shownValue`, which gives back `again`
        SettingBits,  // image `byte` holds `bytes`, whose bits `back` no setting shows
        NotSame,      // the file gives back other bytes, for no cause named above
        NotRead,      // the file would not read back at all, for `reason`
    };
    Kind kind = Kind::NotSame;
    int channel = 0;  // 1..16 for a cell
    Column column = kColLabel;
    const SettingField* setting = nullptr;
    std::size_t byte = 0;
    std::size_t byteCount = 0;  // how many bytes `bytes` names
    std::string bytes;          // "1A", "23 01 25"
    std::string back;
    std::string cell;  // the cell as the file would show it; empty for an empty cell
    int code = 0;
    int shownValue = 0;
    int again = 0;
    std::string reason;  // the import's own words
};
// Whether the file reads back; when it does not, `fault` says why, as `error` does.
bool ReadsBack(std::string_view text, bool csv, const MemoryImage& image, const DecodedImage& shown,
               ImportError& error, ReadBackFault& fault);

}  // namespace orvel
