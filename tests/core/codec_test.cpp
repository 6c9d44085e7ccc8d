#include "codec.h"

#include <gtest/gtest.h>

#include <numeric>

namespace orvel {
namespace {

ChannelRow Row(std::string rx, std::string tx, std::string power, std::string rate,
               std::string dataVoice, std::string squelch, int channel = 0) {
    return {channel ? ChannelLabel(channel) : "", rx, tx, power, rate, dataVoice, squelch};
}

ChannelRecord RecordAt(const MemoryImage& image, int index) {
    ChannelRecord record;
    std::copy_n(image.begin() + layout::ChannelOffset(index), 8, record.begin());
    return record;
}

TEST(HexPairToByte, NonHexCharactersCountZero) {
    EXPECT_EQ(HexPairToByte('2', '3'), 0x23);
    EXPECT_EQ(HexPairToByte('a', 'F'), 0xAF);
    EXPECT_EQ(HexPairToByte(' ', '4'), 0x04);
    EXPECT_EQ(HexPairToByte('-', 'G'), 0x00);
}

TEST(PackFrequency, PacksKilohertzAsBcd) {
    EXPECT_EQ(PackFrequency("230.125"), (FrequencyBytes{0x23, 0x01, 0x25}));
    EXPECT_EQ(PackFrequency("45.000"), (FrequencyBytes{0x04, 0x50, 0x00}));
    EXPECT_EQ(PackFrequency("0.100"), (FrequencyBytes{0x00, 0x01, 0x00}));
    EXPECT_EQ(PackFrequency(""), (FrequencyBytes{0, 0, 0}));
    EXPECT_EQ(PackFrequency("223.5"), (FrequencyBytes{0x22, 0x35, 0x00}));
    // Seven digits: only the first six are packed.
    EXPECT_EQ(PackFrequency("1000.000"), (FrequencyBytes{0x10, 0x00, 0x00}));
    EXPECT_EQ(PackFrequency("224abc"), (FrequencyBytes{0x22, 0x40, 0x00}));
    EXPECT_EQ(PackFrequency("45", Padding::Blanks), (FrequencyBytes{0x04, 0x50, 0x00}));
}

TEST(UnpackFrequency, FormatsMegahertzOrNothing) {
    EXPECT_EQ(UnpackFrequency(0x23, 0x01, 0x25), "230.125");
    EXPECT_EQ(UnpackFrequency(0x04, 0x50, 0x00), "45.000");
    EXPECT_EQ(UnpackFrequency(0x00, 0x01, 0x00), " 0.100");
    EXPECT_EQ(UnpackFrequency(0x10, 0x00, 0x00), "100.000");
    EXPECT_EQ(UnpackFrequency(0, 0, 0), std::nullopt);
    EXPECT_EQ(UnpackFrequency(0xFF, 0xFF, 0xFF), std::nullopt);
    EXPECT_EQ(UnpackFrequency(0x23, 0x0A, 0x00), " 0.230");
}

TEST(ImageChecksum, SumsBytesThreeTo258) {
    MemoryImage image{};
    image[0] = image[1] = image[2] = 0xFF;  // header outside the sum
    image[259] = 0x77;                      // so is the checksum itself
    image[3] = 0x80;
    image[258] = 0x81;
    EXPECT_EQ(ImageChecksum(image), 0x01);
    MemoryImage full;
    full.fill(0xFF);
    EXPECT_EQ(ImageChecksum(full), 0x00);
}

TEST(EncodeImage, CodesAChannelRowIntoItsRecord) {
    ChannelTable table = EmptyChannelTable();
    table[0] = Row("230.125", "235.000", "P3", "2400", "开", "L5");
    table[1] = Row("223.000", "223.000", "P1", "", "", "");
    MemoryImage image = StartupImage();
    EncodeImage(table, RadioSettings{}, image);
    EXPECT_EQ(RecordAt(image, 0), (ChannelRecord{0x23, 0x01, 0x25, 0x05, 0x23, 0x50, 0x00, 0xE3}));
    EXPECT_EQ(RecordAt(image, 1)[7], 0x81);
    EXPECT_EQ(RecordAt(image, 2), ChannelRecord{});  // an empty row is eight zero bytes
}

TEST(EncodeImage, TextsOutsideTheVocabulariesCodeAsZero) {
    ChannelRow row = Row("abc", "", "P0", "9600", "on", "L16");
    EXPECT_EQ(EncodeChannel(row), ChannelRecord{});
    // What a decode shows for squelch nibbles 10..15 codes back as those nibbles.
    EXPECT_EQ(SquelchCode("L10"), 0x0A);
    EXPECT_EQ(SquelchCode("L15"), 0x0F);
    EXPECT_EQ(SquelchCode("L9"), 0x09);
    EXPECT_EQ(ChannelFlags("P9", "1200", "开"), 0x89 + 0x30 + 0x40);
    EXPECT_EQ(ChannelFlags("P1", "4800", "关"), 0x91);
}

TEST(EncodeImage, CodesSettingsAndKeepsHeaderAndSpareWords) {
    MemoryImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7);
    const MemoryImage before = image;
    RadioSettings s{1, 1, 1, 1, 3, 2, 0, 1, 1, 1, 11, 8};
    EncodeImage(EmptyChannelTable(), s, image);
    EXPECT_EQ(image[223], 0x0B);
    EXPECT_EQ(image[224], 0x08);
    EXPECT_EQ(image[225], 0 + 2 + 8 + 16);
    EXPECT_EQ(image[226], 1 + 2 + 4 + 8 + 48 + 128);
    for (std::size_t i : {0, 1, 2, 131, 200, 222, 227, 258})
        EXPECT_EQ(image[i], before[i]) << i;
    EXPECT_EQ(image[259], ImageChecksum(image));

    s.txTimeLimit = -1;
    s.powerSave = -1;
    EncodeImage(EmptyChannelTable(), s, image);
    EXPECT_EQ(image[223], 0xFF);
    EXPECT_EQ(image[224], 0xFF);
}

TEST(EncodeImage, ASpareByteChangesTheChecksum) {
    MemoryImage image = StartupImage();
    EncodeImage(EmptyChannelTable(), RadioSettings{}, image);
    const std::uint8_t first = image[259];
    image[150] = 0x10;
    EncodeImage(EmptyChannelTable(), RadioSettings{}, image);
    EXPECT_EQ(image[259], static_cast<std::uint8_t>(first + 0x10));
}

MemoryImage ImageWithRecord(const ChannelRecord& record, bool fixChecksum = true) {
    MemoryImage image = StartupImage();
    std::copy(record.begin(), record.end(), image.begin() + 3);
    if (fixChecksum)
        image[259] = ImageChecksum(image);
    return image;
}

TEST(DecodeImage, FlagsDecodeDifferentlyFromFileAndFromRadio) {
    // P2 with no rate: empty rate from a file, 4800 from the radio.
    MemoryImage image = ImageWithRecord({0x23, 0x01, 0x25, 0, 0, 0, 0, 0x82});
    DecodedImage file = DecodeImage(image, DecodeSource::FromFile);
    DecodedImage radio = DecodeImage(image, DecodeSource::FromRadio);
    ASSERT_TRUE(file.checksumOk);
    EXPECT_EQ(file.table[0][kColPower], "P2");
    EXPECT_EQ(file.table[0][kColRate], "");
    EXPECT_EQ(radio.table[0][kColRate], "4800");
    EXPECT_EQ(file.table[0][kColDataVoice], "关");
    EXPECT_EQ(file.table[0][kColRx], "230.125");
    EXPECT_EQ(file.table[0][kColTx], "");

    // A rate alone with no other flag: shown from a file, and from the radio too.
    image = ImageWithRecord({0, 0, 0, 0, 0, 0, 0, 0x30});
    EXPECT_EQ(DecodeImage(image, DecodeSource::FromFile).table[0][kColRate], "1200");
    EXPECT_EQ(DecodeImage(image, DecodeSource::FromRadio).table[0][kColRate], "1200");
}

TEST(DecodeImage, RoundTripsAFullRow) {
    ChannelTable table = EmptyChannelTable();
    table[5] = Row("230.125", "235.000", "P3", "2400", "开", "L5", 6);
    table[15] = Row(" 0.100", "45.000", "P5", "1200", "关", "L9", 16);
    MemoryImage image = StartupImage();
    EncodeImage(table, RadioSettings{}, image);
    for (auto source : {DecodeSource::FromFile, DecodeSource::FromRadio}) {
        DecodedImage decoded = DecodeImage(image, source);
        EXPECT_EQ(decoded.table, table);
        EXPECT_EQ(decoded.settings, RadioSettings{});
    }
}

TEST(DecodeImage, EightZeroBytesAreAnEmptyRow) {
    DecodedImage decoded = DecodeImage(ImageWithRecord({}), DecodeSource::FromRadio);
    EXPECT_EQ(decoded.table, EmptyChannelTable());
}

TEST(DecodeImage, HighSquelchAndPowerCodesDecodeThroughTheirBits) {
    MemoryImage image = ImageWithRecord({0, 0, 0, 0x1F, 0, 0, 0, 0x89});
    DecodedImage decoded = DecodeImage(image, DecodeSource::FromFile);
    EXPECT_EQ(decoded.table[0][kColSquelch], "L15");
    EXPECT_EQ(decoded.table[0][kColPower], "P1");  // code 9 read through three bits
}

TEST(DecodeImage, FileWithBadChecksumDecodesNothing) {
    MemoryImage image = ImageWithRecord({0x23, 0x01, 0x25, 5, 0x23, 0x50, 0, 0xE3}, false);
    image[259] ^= 0x01;
    image[226] = 0xFF;
    DecodedImage decoded = DecodeImage(image, DecodeSource::FromFile, RadioSettings{});
    EXPECT_FALSE(decoded.checksumOk);
    EXPECT_EQ(decoded.table, EmptyChannelTable());
    EXPECT_EQ(decoded.settings, (RadioSettings{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1, -1}));
}

TEST(DecodeImage, AllFfFromTheRadio) {
    MemoryImage image;
    image.fill(0xFF);
    RadioSettings before;
    before.parity = 2;
    DecodedImage decoded = DecodeImage(image, DecodeSource::FromRadio, before);
    EXPECT_FALSE(decoded.checksumOk);
    for (const ChannelRow& row : decoded.table) {
        EXPECT_EQ(row[kColRx], "");
        EXPECT_EQ(row[kColTx], "");
        EXPECT_EQ(row[kColPower], "P7");
        EXPECT_EQ(row[kColDataVoice], "开");
        EXPECT_EQ(row[kColRate], "1200");
        EXPECT_EQ(row[kColSquelch], "L15");
    }
    const RadioSettings& s = decoded.settings;
    EXPECT_EQ(s.txTimeLimit, -1);
    EXPECT_EQ(s.powerSave, -1);
    EXPECT_EQ(s.baudRate, 3);
    EXPECT_EQ(s.parity, 2);  // code 3 keeps what was selected before
    for (int v : {s.dataVoicePriority, s.rxBusyLevel, s.fsqc, s.extSqc, s.dataBits, s.stopBits,
                  s.txVco, s.remoteControl}) {
        EXPECT_EQ(v, 1);
    }
}

TEST(DecodeImage, ParityCodeThreeFromAFileFallsBackToZero) {
    MemoryImage image = StartupImage();
    image[226] = 0xC0;
    image[259] = ImageChecksum(image);
    RadioSettings before;
    before.parity = 1;
    EXPECT_EQ(DecodeImage(image, DecodeSource::FromFile, before).settings.parity, 0);
    EXPECT_EQ(DecodeImage(image, DecodeSource::FromRadio, before).settings.parity, 1);
}

TEST(DecodeImage, DropDownIndexesBeyondTheListsMeanNoSelection) {
    MemoryImage image = StartupImage();
    image[223] = 11;
    image[224] = 8;
    image[259] = ImageChecksum(image);
    EXPECT_EQ(DecodeImage(image, DecodeSource::FromFile).settings.txTimeLimit, 11);
    EXPECT_EQ(DecodeImage(image, DecodeSource::FromFile).settings.powerSave, 8);
    image[223] = 12;
    image[224] = 9;
    image[259] = ImageChecksum(image);
    EXPECT_EQ(DecodeImage(image, DecodeSource::FromFile).settings.txTimeLimit, -1);
    EXPECT_EQ(DecodeImage(image, DecodeSource::FromFile).settings.powerSave, -1);
}

TEST(DecodeImage, SettingsRoundTripIncludingNoSelection) {
    RadioSettings s{1, 0, 1, 0, 2, 1, 0, 1, 0, 1, -1, 3};
    MemoryImage image = StartupImage();
    EncodeImage(EmptyChannelTable(), s, image);
    EXPECT_EQ(DecodeImage(image, DecodeSource::FromFile).settings, s);
}

}  // namespace
}  // namespace orvel
