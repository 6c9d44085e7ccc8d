// The configuration files as both programs read them: a channel plan saved by a spreadsheet
// comes in whatever form the spreadsheet chose.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "codec.h"
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

}  // namespace
}  // namespace orvel
