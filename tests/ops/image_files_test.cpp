// The configuration files as both programs read them: a channel plan saved by a spreadsheet
// comes in whatever form the spreadsheet chose.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "codec.h"
#include "file_operations.h"
#include "image_files.h"
#include "transfer.h"

namespace orvel {
namespace {

constexpr FrequencyLimits kLimits{223.0, 235.0};

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

TEST(ImageFiles, ReadsCsvInUtf8OrGbkWithCommasOrSemicolons) {
    ChannelTable table = EmptyChannelTable();
    table[0] = {ChannelLabel(1), "230.125", "235.000", "P3", "2400", "开", "L5"};
    table[1] = {ChannelLabel(2), "223.000", "234.999", "P5", "1200", "关", "L9"};
    const std::string csv = TableToCsv(table);
    const struct {
        const char* form;
        std::string bytes;
    } cases[] = {
        {"UTF-8", csv},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + csv},
        {"GBK", Replaced(Replaced(csv, "开", "\xBF\xAA"), "关", "\xB9\xD8")},
        {"UTF-8, semicolons", Replaced(csv, ",", ";")},
        {"UTF-8 with BOM, semicolons", "\xEF\xBB\xBF" + Replaced(csv, ",", ";")},
        {"GBK, semicolons, quoted cells",
         Replaced(
             Replaced(Replaced(Replaced(csv, ",", ";"), "开", "\"\xBF\xAA\""), "关", "\xB9\xD8"),
             "230.125", "\"230.125\"")},
        {"quoted semicolon in a comma file", Replaced(csv, "channel,", "\"chan;nel\",")},
    };
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("plan.csv")).toStdString();
    for (const auto& c : cases) {
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.bytes.data(), qsizetype(c.bytes.size()));
        file.close();
        MemoryImage image{};
        const ImageFileRead read = ReadImageFile(path, kLimits, image);
        if (std::string_view(c.form).starts_with("quoted")) {
            // The header's one semicolon is inside quotes: commas still separate, and the
            // header is simply wrong.
            EXPECT_EQ(read.error,
                      path + ": the first line must be channel,rx,tx,power,rate,dataVoice,squelch")
                << c.form;
            continue;
        }
        ASSERT_TRUE(read.ok) << c.form << ": " << read.error;
        EXPECT_EQ(DecodeAsShown(image, DecodeSource::FromFile, kLimits).table, table) << c.form;
    }
}

// Records put into a start-up image with the default settings, which a CSV table, holding the
// channels only, carries too.
MemoryImage WithRecords(std::initializer_list<std::pair<int, ChannelRecord>> records) {
    MemoryImage image = StartupImage();
    EncodeImage(EmptyChannelTable(), RadioSettings{}, image);
    for (const auto& [n, record] : records)
        std::copy(record.begin(), record.end(), image.begin() + layout::ChannelOffset(n - 1));
    image[layout::kChecksum] = ImageChecksum(image);
    return image;
}

MemoryImage ReadBack(FileKind kind, const MemoryImage& image) {
    const std::vector<std::uint8_t> bytes = ImageFileBytes(kind, image, kLimits);
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    MemoryImage again{};
    ImportError error;
    EXPECT_TRUE(kind == FileKind::Json ? ImageFromJson(text, kLimits, again, error)
                                       : ImageFromCsv(text, kLimits, again, error))
        << error.Text();
    return again;
}

TEST(ImageFiles, PowerAndSquelchCodesBeyondThePanelsItemsReadBack) {
    // Squelch nibbles 10..15 show as L10..L15, power codes 6 and 7 as P6 and P7.
    const MemoryImage image = WithRecords({
        {1, {0x23, 0x01, 0x25, 0x0A, 0x23, 0x01, 0x25, 0x86 | 0x10}},
        {2, {0x23, 0x01, 0x25, 0x0B, 0x23, 0x01, 0x25, 0x87 | 0x20 | 0x40}},
        {3, {0x23, 0x01, 0x25, 0x0C, 0x23, 0x01, 0x25, 0x81 | 0x30}},
        {4, {0x23, 0x01, 0x25, 0x0D, 0x23, 0x01, 0x25, 0x82 | 0x30}},
        {5, {0x23, 0x01, 0x25, 0x0E, 0x23, 0x01, 0x25, 0x83 | 0x30}},
        {16, {0x23, 0x01, 0x25, 0x0F, 0x23, 0x01, 0x25, 0x84 | 0x30}},
    });
    for (const FileKind kind : {FileKind::Json, FileKind::Csv}) {
        EXPECT_EQ(TransferFault(kind, image, kLimits), "");
        EXPECT_EQ(ReadBack(kind, image), image);
    }
}

TEST(ImageFiles, AFileThatWouldNotReadBackNamesTheCellItCannotCarry) {
    MemoryImage erased;
    erased.fill(0xFF);
    erased[layout::kChecksum] = ImageChecksum(erased);
    const std::uint8_t f = 0x23;
    const std::string refused =
        ", which an import refuses: empty, but the row has other values; "
        "fill or clear the row";
    const struct {
        const char* what;
        MemoryImage image;
        std::string fault;
    } cases[] = {
        {"erased", erased,
         "channel 1, column rx: bytes FF FF FF show as an empty cell, which reads back as 00 00 "
         "00"},
        {"squelch high nibble", WithRecords({{3, {f, 1, 0x25, 0x1A, f, 1, 0x25, 0x93}}}),
         "channel 3, column squelch: byte 1A shows as \"L10\", which reads back as 0A"},
        {"the last channel", WithRecords({{16, {f, 1, 0x25, 0x1A, f, 1, 0x25, 0x93}}}),
         "channel 16, column squelch: byte 1A shows as \"L10\", which reads back as 0A"},
        {"power 0", WithRecords({{2, {f, 1, 0x25, 0x03, f, 1, 0x25, 0x50}}}),
         "channel 2, column power: byte 50 shows as an empty cell" + refused},
        {"rate 0", WithRecords({{2, {f, 1, 0x25, 0x03, f, 1, 0x25, 0x83}}}),
         "channel 2, column rate: byte 83 shows as an empty cell" + refused},
        {"power bit 3", WithRecords({{4, {f, 1, 0x25, 0x03, f, 1, 0x25, 0xBB}}}),
         "channel 4, column power: byte BB shows as \"P3\", which reads back as B3"},
        {"no BCD", WithRecords({{5, {f, 1, 0x25, 0x03, 0x2A, 1, 0x25, 0x93}}}),
         "channel 5, column tx: bytes 2A 01 25 show as \" 0.002\", which reads back as 00 00 02"},
        {"flags alone", WithRecords({{6, {0, 0, 0, 0, 0, 0, 0, 0x80}}}),
         "channel 6, column power: byte 80 shows as an empty cell, which reads back as 00"},
    };
    QTemporaryDir folder;
    for (const auto& c : cases) {
        for (const FileKind kind : {FileKind::Json, FileKind::Csv}) {
            const std::string path =
                folder.filePath(kind == FileKind::Json ? "x.json" : "x.csv").toStdString();
            EXPECT_EQ(TransferFault(kind, c.image, kLimits), c.fault) << c.what;
            const SaveOutcome saved = SaveImageFile(path, c.image, kLimits);
            EXPECT_EQ(saved.status, SaveStatus::WriteFailed) << c.what;
            EXPECT_EQ(saved.error, "not written, as it would not read back: " + c.fault);
            EXPECT_FALSE(QFile::exists(QString::fromStdString(path))) << c.what;
        }
    }

    // A JSON file carries the settings too, a CSV table the channels only.
    MemoryImage parity = WithRecords({});
    parity[layout::kModeByte2] |= 0xC0;  // parity code 3 has no item
    parity[layout::kChecksum] = ImageChecksum(parity);
    EXPECT_EQ(TransferFault(FileKind::Json, parity, kLimits),
              "settings.parity: code 3 shows as 0, which reads back as 0");
    EXPECT_EQ(TransferFault(FileKind::Csv, parity, kLimits), "");
    MemoryImage spareBit = WithRecords({});
    spareBit[layout::kModeByte1] |= 0x04;
    spareBit[layout::kChecksum] = ImageChecksum(spareBit);
    EXPECT_EQ(TransferFault(FileKind::Json, spareBit, kLimits),
              "settings: image byte 225 holds 05, whose bits 04 no setting shows");
    EXPECT_EQ(TransferFault(FileKind::Dat, erased, kLimits), "");
}

}  // namespace
}  // namespace orvel
