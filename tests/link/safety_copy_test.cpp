// The safety copy of a write is the configuration the radio is given, so a write that goes
// wrong can be undone from it.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "app_paths.h"
#include "channel_file.h"
#include "codec.h"
#include "link_fixture.h"
#include "radio_operations.h"

namespace orvel::testing {
namespace {

using SafetyCopyTest = LinkTest;

TEST_F(SafetyCopyTest, AWriteKeepsWhatTheRadioNowHoldsNotTheImageItStartedFrom) {
    QTemporaryDir folder;
    qputenv("XDG_DATA_HOME", folder.filePath("data").toUtf8());
    StartRadio();
    const MemoryImage base = radio->Image();
    const DecodedImage before = DecodeImage(base, DecodeSource::FromRadio);
    WriteRequest request{before.table, before.settings, ""};
    request.table[2] = {ChannelLabel(3), "226.500", "230.000", "P2", "4800", "开", "L3"};
    request.settings.baudRate = before.settings.baudRate == 1 ? 2 : 1;
    std::string folderHeld;
    ASSERT_EQ(WriteRadioKeepingCopy(port, base, request, Hooks(), folderHeld).status,
              WriteStatus::Ok);

    const QStringList copies = QDir(BackupFolder()).entryList({"*-write.dat"});
    ASSERT_EQ(copies.size(), 1);
    std::vector<std::uint8_t> kept;
    std::string error;
    ASSERT_TRUE(ReadFileBytes(QDir(BackupFolder()).filePath(copies[0]).toStdString(), kept, error))
        << error;
    // The radio's copy differs only in a bit the mode word is sent with.
    const DecodedImage copy = DecodeImage(ImageFromChannelFile(kept).image, DecodeSource::FromFile);
    const DecodedImage held = DecodeImage(radio->Image(), DecodeSource::FromRadio);
    EXPECT_TRUE(copy.checksumOk);
    EXPECT_EQ(copy.table, held.table);
    EXPECT_EQ(copy.settings, held.settings);
    EXPECT_EQ(held.table, request.table);
}

}  // namespace
}  // namespace orvel::testing
