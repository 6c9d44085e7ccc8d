#include "transfer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <nlohmann/json.hpp>

#include "channel_file.h"

namespace orvel {
namespace {

using nlohmann::json;

constexpr FrequencyLimits kLimits{223.0, 235.0};

// An image as the window writes it: complete and empty rows, a header and spare bytes of
// someone else's, and settings with an empty drop-down.
MemoryImage WrittenImage() {
    MemoryImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 1);
    ChannelTable table = EmptyChannelTable();
    table[0] = {ChannelLabel(1), "230.125", "235.000", "P3", "2400", "开", "L5"};
    table[1] = {ChannelLabel(2), "223.000", "234.999", "P5", "1200", "关", "L9"};
    table[15] = {ChannelLabel(16), "229.500", "229.500", "P1", "4800", "开", "L1"};
    RadioSettings settings{1, 0, 1, 0, 3, 2, 0, 1, 1, 0, -1, 8};
    EncodeImage(table, settings, image);
    return image;
}

std::string JsonOf(const MemoryImage& image) {
    return ImageToJson(image, DecodeAsShown(image, DecodeSource::FromFile, kLimits));
}

std::string CsvOf(const MemoryImage& image) {
    return TableToCsv(DecodeAsShown(image, DecodeSource::FromFile, kLimits).table);
}

std::string JsonError(const std::string& text, const FrequencyLimits& limits = kLimits) {
    MemoryImage image{};
    ImportError error;
    if (ImageFromJson(text, limits, image, error))
        return "accepted";
    return error.Text();
}

std::string CsvError(const std::string& text, const FrequencyLimits& limits = kLimits) {
    MemoryImage image{};
    ImportError error;
    if (ImageFromCsv(text, limits, image, error))
        return "accepted";
    return error.Text();
}

// The CSV of WrittenImage with line `line` (0 = header) replaced.
std::string CsvWithLine(int line, const std::string& replacement) {
    std::string text = CsvOf(WrittenImage());
    std::size_t begin = 0;
    for (int i = 0; i < line; ++i)
        begin = text.find('\n', begin) + 1;
    return text.replace(begin, text.find('\n', begin) - begin, replacement);
}

TEST(TransferJson, DatToJsonToDatIsByteIdentical) {
    const MemoryImage image = WrittenImage();
    MemoryImage back{};
    ImportError error;
    ASSERT_TRUE(ImageFromJson(JsonOf(image), kLimits, back, error)) << error.Text();
    EXPECT_EQ(ChannelFileBytes(back), ChannelFileBytes(image));
}

TEST(TransferJson, ShowsCellsAndBytesAsTheChannelListDoes) {
    MemoryImage image = WrittenImage();
    image[layout::ChannelOffset(2) + 1] = 0x01;  // channel 3 receives 000100: 0.1 MHz
    image[layout::kChecksum] = ImageChecksum(image);
    image[0] = 0xAB;
    const json doc = json::parse(JsonOf(image));
    EXPECT_EQ(doc["header"], "AB080F");
    EXPECT_EQ(doc["checksum"]["stored"], image[layout::kChecksum]);
    EXPECT_EQ(doc["checksum"]["stored"], doc["checksum"]["computed"]);
    ASSERT_EQ(doc["channels"].size(), 16u);
    EXPECT_EQ(doc["channels"][0],
              json::parse(R"({"channel": 1, "rx": "230.125", "tx": "235.000", "power": "P3",
                              "rate": "2400", "dataVoice": "开", "squelch": "L5"})"));
    EXPECT_EQ(doc["channels"][2]["rx"], " 0.100");
    EXPECT_EQ(doc["channels"][2]["tx"], "");
    EXPECT_EQ(doc["channels"][15]["channel"], 16);
    EXPECT_EQ(doc["settings"]["baudRate"], 3);
    EXPECT_EQ(doc["settings"]["txTimeLimit"], -1);
    EXPECT_EQ(doc["settings"]["powerSave"], 8);
    const std::string spareA = doc["spareA"];
    EXPECT_EQ(spareA.size(), 184u);
    EXPECT_EQ(spareA.substr(0, 4), "969D");  // bytes 131 and 132
    EXPECT_EQ(std::string(doc["spareB"]).size(), 64u);
}

TEST(TransferCsv, RoundTripKeepsChannelsAndGivesTheRestStartupValues) {
    const MemoryImage written = WrittenImage();
    MemoryImage image{};
    ImportError error;
    ASSERT_TRUE(ImageFromCsv(CsvOf(written), kLimits, image, error)) << error.Text();
    EXPECT_EQ(std::vector(image.begin() + layout::kChannels, image.begin() + layout::kSpareA),
              std::vector(written.begin() + layout::kChannels, written.begin() + layout::kSpareA));
    EXPECT_EQ(image[0], 0x33);
    EXPECT_EQ(image[1], 0x06);
    EXPECT_EQ(image[2], 0x81);
    for (std::size_t i = layout::kSpareA; i < layout::kSpareA + layout::kSpareASize; ++i) {
        ASSERT_EQ(image[i], 0) << i;
    }
    const DecodedImage decoded = DecodeImage(image, DecodeSource::FromFile);
    EXPECT_TRUE(decoded.checksumOk);
    EXPECT_EQ(decoded.settings, RadioSettings{});
}

TEST(TransferCsv, StoresFrequenciesAsThePanelPrintsThem) {
    MemoryImage image{};
    ImportError error;
    ASSERT_TRUE(
        ImageFromCsv(CsvWithLine(3, "3, 230.1 ,\"229\",P2,1200,关,L3"), kLimits, image, error))
        << error.Text();
    const ChannelRow row = DecodeImage(image, DecodeSource::FromFile).table[2];
    EXPECT_EQ(row[kColRx], "230.100");
    EXPECT_EQ(row[kColTx], "229.000");
}

TEST(TransferCsv, QuotesWhereNeededAndReadsQuotedCells) {
    ChannelTable table = EmptyChannelTable();
    table[0] = {ChannelLabel(1), " 0.100", "a,b", "say \"x\"", "", "", ""};
    const std::string csv = TableToCsv(table);
    EXPECT_EQ(csv.substr(0, csv.find('\n', csv.find('\n') + 1) + 1),
              "channel,rx,tx,power,rate,dataVoice,squelch\n"
              "1,\" 0.100\",\"a,b\",\"say \"\"x\"\"\",,,\n");

    // Spreadsheet habits: a byte-order mark, CRLF, every cell quoted.
    std::string text = "\xEF\xBB\xBF" + CsvOf(WrittenImage());
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) {
        text.insert(at, "\r");
    }
    text.replace(text.find("1,230.125,"), 10, "\"1\",\"230.125\",");
    EXPECT_EQ(CsvError(text), "accepted");
    EXPECT_EQ(CsvError(CsvWithLine(2, "2,223.000,\"234.999\",\"P\"\"5\",1200,关,L9")),
              "row 2, column power: \"P\"5\" is not one of P1, P2, P3, P4, P5, P6, P7");
    EXPECT_EQ(CsvError(CsvWithLine(2, "2,223.000,\"234.999\"0,P5,1200,关,L9")),
              "row 2: text follows the closing quote of a cell");
    EXPECT_EQ(CsvError(CsvWithLine(16, "16,\"229.500")), "row 16: a quoted cell is not closed");
    // Semicolons inside quotes on the first line do not make it a semicolon file: the title
    // line is what is wrong, not a quote in row 2.
    EXPECT_EQ(CsvError("\"Site A; repeaters; 16 channels\"\n" +
                       CsvWithLine(1, "\"1\",\"230.125\",235.000,P3,2400,开,L5")),
              "the first line must be channel,rx,tx,power,rate,dataVoice,squelch");
}

TEST(TransferImport, ReportsTheFirstBadCellOfAnyRow) {
    const std::string outside = "is outside Min..Max, 223.000 to 235.000 MHz";
    const struct {
        int line;
        std::string text;
        std::string error;
    } cases[] = {
        {1, "1,abc,235.000,P3,2400,开,L5", "row 1, column rx: \"abc\" is not a frequency in MHz"},
        {1, "1,224abc,235.000,P3,2400,开,L5",
         "row 1, column rx: \"224abc\" is not a frequency in MHz"},
        {1, "1,224.5.1,235.000,P3,2400,开,L5",
         "row 1, column rx: \"224.5.1\" is not a frequency in MHz"},
        {2, "2,222.999,235.000,P3,2400,开,L5", "row 2, column rx: \"222.999\" " + outside},
        {2, "2,223,235.001,P3,2400,开,L5", "row 2, column tx: \"235.001\" " + outside},
        {3, "3,223,1000,P3,2400,开,L5",
         "row 3, column tx: \"1000\" cannot be stored; a channel holds 0.001 to 999.999 MHz"},
        {4, "4,230,230,P3,9600,开,L5",
         "row 4, column rate: \"9600\" is not one of 1200, 2400, 4800"},
        {4, "4,230,230,P3,2400,on,L5", "row 4, column dataVoice: \"on\" is not one of 关, 开"},
        // A value is echoed short and with its control bytes written out.
        {4, "4,230,230,P3,\x1B[2J" + std::string(200'000, 'x') + ",开,L5",
         "row 4, column rate: \"\\x1B[2J" + std::string(32, 'x') +
             "…\" is not one of 1200, 2400, 4800"},
        {4, "4,230,230,P3,2400,开,L0",
         "row 4, column squelch: \"L0\" is not one of L1, L2, L3, L4, L5, L6, L7, L8, L9, L10, "
         "L11, L12, L13, L14, L15"},
        // Codes a decode shows beyond the panel's items come back as those codes.
        {4, "4,230,230,P8,2400,开,L5",
         "row 4, column power: \"P8\" is not one of P1, P2, P3, P4, P5, P6, P7"},
        {4, "4,230,230,P7,2400,开,L16",
         "row 4, column squelch: \"L16\" is not one of L1, L2, L3, L4, L5, L6, L7, L8, L9, L10, "
         "L11, L12, L13, L14, L15"},
        // The first bad cell wins, and an empty cell of a started row is one.
        {5, "5,230.125,,P9,,,",
         "row 5, column tx: empty, but the row has other values; fill or clear the row"},
        {5, "5,,,,,,L1",
         "row 5, column rx: empty, but the row has other values; fill or clear the row"},
        {6, "6,230,230,P3,2400,开", "row 6: 6 columns, expected 7"},
        {7, "8,230,230,P3,2400,开,L5", "row 7, column channel: expected 7, found \"8\""},
        {0, "channel,rx,tx,power,rate,dataVoice",
         "the first line must be channel,rx,tx,power,rate,dataVoice,squelch"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CsvError(CsvWithLine(c.line, c.text)), c.error) << c.text;
    }
    // The limits come from the configuration; beyond six digits nothing is storable.
    EXPECT_EQ(CsvError(CsvWithLine(1, "1,240,100,P3,2400,开,L5"), {0, 2000}), "accepted");
    EXPECT_EQ(
        CsvError(CsvWithLine(1, "1,240,999.9996,P3,2400,开,L5"), {0, 2000}),
        "row 1, column tx: \"999.9996\" cannot be stored; a channel holds 0.001 to 999.999 MHz");
    EXPECT_EQ(CsvError(CsvWithLine(1, "1,,,,,,")), "accepted");

    const std::string csv = CsvOf(WrittenImage());
    EXPECT_EQ(CsvError(csv.substr(0, csv.rfind("16,"))),
              "row 16: missing; the table needs all 16 rows");
    EXPECT_EQ(CsvError(csv + "17,,,,,,\n"), "row 17: the table has 16 rows only");
    EXPECT_EQ(CsvError(csv + "\n\n"), "accepted");
    EXPECT_EQ(CsvError(""), "the first line must be channel,rx,tx,power,rate,dataVoice,squelch");
}

TEST(TransferImport, ChecksTheJsonDocument) {
    const json good = json::parse(JsonOf(WrittenImage()));
    auto with = [&](const std::function<void(json&)>& edit) {
        json doc = good;
        edit(doc);
        return JsonError(doc.dump());
    };
    EXPECT_EQ(with([](json&) {}), "accepted");
    EXPECT_EQ(with([](json& d) { d.erase("checksum"); }), "accepted");
    EXPECT_EQ(with([](json& d) { d.erase("settings"); }), "settings: missing");
    EXPECT_EQ(with([](json& d) { d.erase("spareB"); }), "spareB: missing");
    EXPECT_EQ(with([](json& d) { d["header"] = "33068"; }),
              "header: expected 6 hex digits, found 5 characters");
    EXPECT_EQ(with([](json& d) { d["header"] = "33 681"; }),
              "header: expected 6 hex digits; character 3 is not one");
    EXPECT_EQ(with([](json& d) { d["spareA"] = 0; }),
              "spareA: expected 184 hex digits in a string");
    EXPECT_EQ(with([](json& d) { d["channels"].erase(3); }),
              "channels: expected an array of 16 channel entries");
    EXPECT_EQ(with([](json& d) { d["channels"].push_back(d["channels"][15]); }),
              "channels: expected an array of 16 channel entries");
    EXPECT_EQ(with([](json& d) { d["channels"][1]["rx"] = 230.125; }),
              "row 2, column rx: expected a string, found 230.125");
    EXPECT_EQ(with([](json& d) { d["channels"][1].erase("squelch"); }),
              "row 2, column squelch: missing");
    EXPECT_EQ(with([](json& d) { d["channels"][4]["channel"] = "5"; }),
              "row 5, column channel: expected 5, found \"5\"");
    EXPECT_EQ(with([](json& d) { d["channels"][8] = json::array(); }), "row 9: expected an object");
    EXPECT_EQ(with([](json& d) { d["channels"][0]["power"] = "P0"; }),
              "row 1, column power: \"P0\" is not one of P1, P2, P3, P4, P5, P6, P7");
    EXPECT_EQ(with([](json& d) { d["settings"]["parity"] = 3; }),
              "settings.parity: expected an integer from 0 to 2, found 3");
    EXPECT_EQ(with([](json& d) { d["settings"]["fsqc"] = -1; }),
              "settings.fsqc: expected an integer from 0 to 1, found -1");
    EXPECT_EQ(with([](json& d) { d["settings"]["powerSave"] = true; }),
              "settings.powerSave: expected an integer from -1 to 8, found true");
    EXPECT_EQ(
        with([](json& d) { d["settings"]["txTimeLimit"] = 18446744073709551615u; }),
        "settings.txTimeLimit: expected an integer from -1 to 11, found 18446744073709551615");
    EXPECT_EQ(JsonError("[1, 2]"), "expected a JSON object");
    EXPECT_EQ(
        JsonError(good.dump().substr(0, 40)).rfind("malformed JSON: parse error at line 1", 0), 0u);
}

TEST(TransferImport, NumbersTheParserRefusesAreDataErrorsWithTheirPlace) {
    // Once an exception nothing caught: the program aborted.
    EXPECT_EQ(JsonError("1e999"), "number overflow parsing '1e999'");
    EXPECT_EQ(JsonError(R"({"header":"330681","channels":[1e400]})"),
              "row 1: number overflow parsing '1e400'");
    std::string text = JsonOf(WrittenImage());
    const std::string rx = "\"rx\": \"223.000\"";
    ASSERT_NE(text.find(rx), std::string::npos);
    EXPECT_EQ(JsonError(std::string(text).replace(text.find(rx), rx.size(), "\"rx\": -1e400")),
              "row 2, column rx: number overflow parsing '-1e400'");
    const std::string parity = "\"parity\": 2";
    ASSERT_NE(text.find(parity), std::string::npos);
    EXPECT_EQ(
        JsonError(std::string(text).replace(text.find(parity), parity.size(), "\"parity\": 2e308")),
        "settings.parity: number overflow parsing '2e308'");
    EXPECT_EQ(JsonError(R"({"header": 1E+999})"), "header: number overflow parsing '1E+999'");

    // A value of the wrong kind is named, not printed: printing recurses as deep as it nests.
    const std::string deep = std::string(200000, '[') + std::string(200000, ']');
    const std::string one = "\"channel\": 1";
    text.replace(text.find(one), one.size(), "\"channel\": " + deep);
    EXPECT_EQ(JsonError(text), "row 1, column channel: expected 1, found an array");
}

TEST(TransferImport, AKeyGivenTwiceIsRefusedByName) {
    // The parser kept the last of the two values, silently.
    std::string text = JsonOf(WrittenImage());
    auto twice = [&](const std::string& key) {
        // The first member of that name, given again in front of itself.
        const std::size_t at = text.find("\"" + key + "\": ");
        EXPECT_NE(at, std::string::npos) << key;
        const std::string member = text.substr(at, text.find(',', at) - at);
        return JsonError(std::string(text).insert(at, member + ", "));
    };
    EXPECT_EQ(twice("rx"), "row 1, column rx: the key \"rx\" is given twice");
    EXPECT_EQ(twice("parity"), "settings.parity: the key \"parity\" is given twice");
    EXPECT_EQ(twice("header"), "header: the key \"header\" is given twice");
    // Of two keys given twice, the first in the file is named.
    const std::size_t parity = text.find("\"parity\": ");
    text.insert(parity, text.substr(parity, text.find(',', parity) - parity) + ", ");
    EXPECT_EQ(twice("rx"), "row 1, column rx: the key \"rx\" is given twice");
}

TEST(TransferImport, AFrequencyIsCheckedAsItWillBeStored) {
    const FrequencyLimits fromZero{-5.0, 235.0};
    // 0.000 MHz packs as 00 00 00, which reads back as an empty cell.
    for (const char* typed : {"0", "0.0004", "-0.0004", "0.000"}) {
        EXPECT_EQ(
            CsvError(CsvWithLine(2, std::string("2,230,") + typed + ",P5,1200,关,L9"), fromZero),
            std::string("row 2, column tx: \"") + typed +
                "\" cannot be stored; a channel holds 0.001 to 999.999 MHz")
            << typed;
    }
    EXPECT_EQ(CsvError(CsvWithLine(2, "2,230,0.0005,P5,1200,关,L9"), fromZero), "accepted");

    // Limits finer than a kHz: "230.1245" becomes 230.125, which lies above Max.
    const FrequencyLimits fine{223.0, 230.1245};
    std::string oneRow =
        "channel,rx,tx,power,rate,dataVoice,squelch\n1,230.1245,230,P5,1200,关,L9\n";
    for (int n = 2; n <= kChannelCount; ++n)
        oneRow += std::to_string(n) + ",,,,,,\n";
    EXPECT_EQ(CsvError(oneRow, fine),
              "row 1, column rx: \"230.1245\" is outside Min..Max, 223.000 to 230.1245 MHz");
    EXPECT_EQ(CsvError(oneRow.replace(oneRow.find("230.1245"), 8, "230.124"), fine), "accepted");
    // And the other way round: a value typed beyond a limit is refused although it would be
    // stored as the limit itself.
    EXPECT_EQ(CsvError(CsvWithLine(2, "2,222.9996,235.000,P5,1200,关,L9")),
              "row 2, column rx: \"222.9996\" is outside Min..Max, 223.000 to 235.000 MHz");
    EXPECT_EQ(CsvError(CsvWithLine(2, "2,223,235.0004,P5,1200,关,L9")),
              "row 2, column tx: \"235.0004\" is outside Min..Max, 223.000 to 235.000 MHz");
    // However little: as a double it is 235 itself.
    EXPECT_EQ(CsvError(CsvWithLine(2, "2,223,235.0000000000000000001,P5,1200,关,L9")),
              "row 2, column tx: \"235.0000000000000000001\" is outside Min..Max, 223.000 to "
              "235.000 MHz");
}

TEST(TransferImport, PowerAndSquelchCodesBeyondThePanelsItemsComeBackAsTheirCodes) {
    MemoryImage image{};
    ImportError error;
    ASSERT_TRUE(ImageFromCsv(CsvWithLine(2, "2,223,234.999,P7,1200,关,L15"), kLimits, image, error))
        << error.Text();
    const std::size_t record = layout::ChannelOffset(1);
    EXPECT_EQ(image[record + layout::kSquelch], 0x0F);
    EXPECT_EQ(image[record + layout::kFlags], 0x87 + 0x30);
    ASSERT_TRUE(ImageFromCsv(CsvWithLine(2, "2,223,234.999,P6,4800,开,L10"), kLimits, image, error))
        << error.Text();
    EXPECT_EQ(image[record + layout::kSquelch], 0x0A);
    EXPECT_EQ(image[record + layout::kFlags], 0x86 + 0x10 + 0x40);
}

// As doubles, 230.0125 lies just below its half and 234.9995 just above, and they once rounded
// their own ways. Typed, pasted or imported, a frequency rounds on its digits, halves up.
TEST(ChannelEdit, HalvesRoundUpWhereverAFrequencyComesIn) {
    const FrequencyLimits limits{223.0, 240.0};
    const struct {
        std::string typed;
        std::string cell;
    } cases[] = {{"230.0125", "230.013"},
                 {"234.9995", "235.000"},
                 {"230.0115", "230.012"},
                 {"230.01249", "230.012"},
                 {"223.0005", "223.001"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FrequencyCell(c.typed), c.cell) << c.typed;
        ChannelTable typed = EmptyChannelTable();
        InvalidFlags invalid;
        ASSERT_TRUE(
            ConfirmPanel({1, c.typed, c.typed, 0, 0, 0, 0}, limits, typed, invalid).written);
        EXPECT_EQ(typed[0][kColRx], c.cell) << c.typed;
        ChannelTable pasted = EmptyChannelTable();
        EXPECT_TRUE(ConfirmRow({"", c.typed, c.typed, "P1", "1200", "关", "L1"}, 1, limits, pasted)
                        .empty());
        EXPECT_EQ(pasted[0][kColTx], c.cell) << c.typed;
        MemoryImage image{};
        ImportError error;
        ASSERT_TRUE(ImageFromCsv(CsvWithLine(1, "1," + c.typed + "," + c.typed + ",P1,1200,关,L1"),
                                 limits, image, error))
            << error.Text();
        EXPECT_EQ(DecodeImage(image, DecodeSource::FromFile).table[0][kColRx], c.cell) << c.typed;
        EXPECT_EQ(PackFrequency(c.typed), PackFrequency(c.cell)) << c.typed;
    }
    EXPECT_EQ(FrequencyCell("2.300125e2"), "230.013");
    EXPECT_EQ(FrequencyCell("-0.0005"), "-0.001");
}

TEST(ChannelEdit, ConfirmRefusesWhatCannotBeStoredAndWhatIsTypedOrStoredOutsideTheLimits) {
    struct Case {
        const char* typed;
        FrequencyLimits limits;
        bool valid;
    } cases[] = {
        {"0", {-1.0, 235.0}, false},
        {"0.0004", {-1.0, 235.0}, false},
        {"0.0005", {-1.0, 235.0}, true},
        {"999.999", {0.0, 2000.0}, true},
        {"999.9995", {0.0, 2000.0}, false},
        {"230.1245", {223.0, 230.1245}, false},
        {"230.1244", {223.0, 230.1245}, true},
        {"223", {223.0, 235.0}, true},
        {"nan", {-1e9, 1e9}, false},
        {"inf", {-1e9, HUGE_VAL}, false},
        {"235.0001", {223.0, 235.0}, false},
        {"222.9999", {223.0, 235.0}, false},
        {"235.0004", {223.0, 235.0}, false},
        {"235", {223.0, 235.0}, true},
        {"235.0000000000000000001", {223.0, 235.0}, false},
        {"222.99999999999999999999", {223.0, 235.0}, false},
        {"2.350000000000000000001e2", {223.0, 235.0}, false},
        {"235.0000000000000000000", {223.0, 235.0}, true},
        {"230.12449999999999999999", {223.0, 230.1245}, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FrequencyValid(c.typed, c.limits), c.valid) << c.typed;
        ChannelTable table = EmptyChannelTable();
        EditPanel panel{3, c.typed, "230.000", 0, 0, 0, 0};
        InvalidFlags invalid;
        const ConfirmResult result = ConfirmPanel(panel, c.limits, table, invalid);
        EXPECT_EQ(result.written, c.valid) << c.typed;
        EXPECT_EQ(invalid.rx, !c.valid) << c.typed;
        if (!c.valid) {
            EXPECT_EQ(FormatText(result.logLines.front()), "***接收频率数据非法***");
        }
        // What the panel accepted must come back from the image it makes as it went in.
        if (c.valid) {
            MemoryImage image = StartupImage();
            EncodeImage(table, RadioSettings{}, image);
            const DecodedImage decoded = DecodeImage(image, DecodeSource::FromFile);
            EXPECT_EQ(decoded.table[2][kColRx], table[2][kColRx]) << c.typed;
            ImportError error;
            EXPECT_TRUE(CheckRow(decoded.table[2], 3, c.limits, error)) << error.Text();
        }
    }
}

}  // namespace
}  // namespace orvel
