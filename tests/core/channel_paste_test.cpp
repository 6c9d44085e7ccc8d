#include "channel_paste.h"

#include <gtest/gtest.h>

#include "vocabulary.h"

namespace orvel {
namespace {

// The window in English: labels and "关"/"开" as the list shows them there.
std::string English(std::string_view text) {
    if (text == vocab::kOff)
        return "Off";
    if (text == vocab::kOn)
        return "On";
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        if (text == ChannelLabel(channel))
            return " Channel " + std::to_string(channel);
    }
    return std::string(text);
}

std::vector<PastedRow> Rows(std::string_view text) {
    return RowsFromText(text, English);
}

ChannelRow Row(const std::string& rx, const std::string& tx, const std::string& power,
               const std::string& rate, const std::string& dataVoice, const std::string& squelch) {
    return {"", rx, tx, power, rate, dataVoice, squelch};
}

const ChannelRow kRow = Row("230.125", "231.000", "P2", "2400", "开", "L2");

TEST(ChannelPaste, ReadsTabsSemicolonsOrCommasAsTheFirstLineUses) {
    const std::vector<PastedRow> one{kRow};
    EXPECT_EQ(Rows("230.125\t231.000\tP2\t2400\t开\tL2"), one);
    EXPECT_EQ(Rows("230.125;231.000;P2;2400;开;L2\r\n"), one);
    EXPECT_EQ(Rows("230.125,231.000,P2,2400,开,L2\n"), one);
    // A tab anywhere outside quotes wins over semicolons and commas.
    EXPECT_EQ(Rows("230.125\t231.000\tP2\t2400\t开\tL2;x,y\n1,2,3,4,5,6\n"),
              (std::vector<PastedRow>{Row("230.125", "231.000", "P2", "2400", "开", "L2;x,y"),
                                      std::nullopt}));
    // A separator inside quotes on the first line does not choose the separator.
    EXPECT_EQ(Rows("\"a\tb\";231.000;P2;2400;开;L2"),
              (std::vector<PastedRow>{Row("a\tb", "231.000", "P2", "2400", "开", "L2")}));
}

TEST(ChannelPaste, UnquotesCellsAndTrimsTheirBlanks) {
    EXPECT_EQ(Rows("\"230,125\",\" 231 \",\"P\"\"2\",  2400 ,\u3000开\u00a0,\"\"\r\n"),
              (std::vector<PastedRow>{Row("230,125", " 231 ", "P\"2", "2400", "开", "")}));
    // Quotes that do not wrap a cell are its text; an unclosed one runs to the line's end.
    EXPECT_EQ(
        Rows("a\"b,c\"d,P2,2400,开,L2,x\n\"230,231,P2,2400,开,L2\n"),
        (std::vector<PastedRow>{Row("a\"b,c\"d", "P2", "2400", "开", "L2", "x"), std::nullopt}));
}

TEST(ChannelPaste, DropsTheHeaderTheChannelColumnAndSpreadsheetPadding) {
    const std::vector<PastedRow> two{kRow, kRow};
    EXPECT_EQ(Rows("channel\trx\ttx\tpower\trate\tdataVoice\tsquelch\n"
                   "3\t230.125\t231.000\tP2\t2400\t开\tL2\n"
                   "+04\t230.125\t231.000\tP2\t2400\t开\tL2\t\t\t\n"),
              two);
    EXPECT_EQ(Rows("RX;TX;Power;Rate;DATAVOICE;Squelch\n"
                   " 信道3;230.125;231.000;P2;2400;开;L2\n"
                   "Channel 16;230.125;231.000;P2;2400;开;L2\n"),
              two);
    EXPECT_EQ(Rows("信道号,接收频率,发送频率,功率级别,信道速率,数据/话音,静噪电平\n"
                   "\"16\",230.125,231.000,P2,2400,开,L2\n"),
              (std::vector<PastedRow>{kRow}));
    // A header further down is a row, for the checks to refuse; a channel column beyond 1..16
    // makes a line of seven cells, which is no row.
    EXPECT_EQ(
        Rows("230.125,231.000,P2,2400,开,L2\nrx,tx,power,rate,dataVoice,squelch\n"
             "0,230.125,231.000,P2,2400,开,L2\n17,230.125,231.000,P2,2400,开,L2\n"
             "-3,230.125,231.000,P2,2400,开,L2\n"),
        (std::vector<PastedRow>{kRow, Row("rx", "tx", "power", "rate", "dataVoice", "squelch"),
                                std::nullopt, std::nullopt, std::nullopt}));
}

TEST(ChannelPaste, KeepsEveryLineInPlaceAndSkipsBlankOnes) {
    EXPECT_EQ(Rows("\xEF\xBB\xBF"
                   "230.125,231.000,P2,2400,开,L2\r\n\r\n\n"
                   "five,cells,only,here,\n \n230.125,231.000,P2,\xEF\xBB\xBF"
                   "2400,开,L2"),
              (std::vector<PastedRow>{kRow, std::nullopt, std::nullopt, kRow}));
    EXPECT_TRUE(Rows("").empty());
    EXPECT_TRUE(Rows("\r\n\n\xEF\xBB\xBF").empty());
}

TEST(ChannelPaste, TakesCellsAsTheListShowsThem) {
    EXPECT_EQ(Rows("230.125\t231.000\tP2\t2400\tOff\tL2\n230.125\t231.000\tP2\t2400\tOn\tL2"),
              (std::vector<PastedRow>{Row("230.125", "231.000", "P2", "2400", "关", "L2"), kRow}));
    // Only in the column that shows it: "Off" stays as typed among the frequencies.
    EXPECT_EQ(Rows("Off\t231.000\tP2\t2400\toff\tL2"),
              (std::vector<PastedRow>{Row("Off", "231.000", "P2", "2400", "off", "L2")}));
}

}  // namespace
}  // namespace orvel
