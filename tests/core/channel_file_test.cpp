#include "channel_file.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <thread>

#include "codec.h"
#include "test_files.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;
using test::NamesIn;

class ChannelFileTest : public ::testing::Test {
protected:
    std::string Read(const fs::path& path) { return test::FileBytes(path); }
    std::string Name(const std::string& file) const { return Utf8FromPath(folder / file); }

    test::TempFolder temp{"orvel-file"};
    const fs::path folder = temp.path();
};

TEST_F(ChannelFileTest, EveryByteIsMaskedAndAnEmptyChannelIsEightMaskBytes) {
    MemoryImage image = StartupImage();
    EncodeImage(EmptyChannelTable(), RadioSettings{}, image);
    const std::vector<std::uint8_t> bytes = ChannelFileBytes(image);
    ASSERT_EQ(bytes.size(), 260u);
    EXPECT_EQ(bytes[0], 0x33 ^ 0x5A);
    EXPECT_EQ(bytes[1], 0x06 ^ 0x5A);
    EXPECT_EQ(bytes[2], 0x81 ^ 0x5A);
    for (std::size_t i = 3; i < 131; ++i)
        EXPECT_EQ(bytes[i], 0x5A) << i;
    EXPECT_EQ(bytes[259], image[259] ^ 0x5A);
}

TEST_F(ChannelFileTest, ATableSurvivesSaveAndLoadWithHeaderAndSpareBytes) {
    ChannelTable table = EmptyChannelTable();
    table[0] = {ChannelLabel(1), "230.125", "235.000", "P3", "2400", "开", "L5"};
    table[9] = {ChannelLabel(10), "223.000", "223.500", "P5", "1200", "关", "L9"};
    RadioSettings settings{1, 1, 0, 1, 3, 2, 0, 1, 1, 0, 11, -1};
    MemoryImage image = StartupImage();
    image[0] = 0x12;
    image[140] = 0xAB;
    image[250] = 0xCD;
    EncodeImage(table, settings, image);

    const ChannelFileContent loaded = ImageFromChannelFile(ChannelFileBytes(image));
    ASSERT_TRUE(loaded.complete);
    EXPECT_EQ(loaded.image, image);
    const DecodedImage decoded = DecodeImage(loaded.image, DecodeSource::FromFile);
    EXPECT_TRUE(decoded.checksumOk);
    EXPECT_EQ(decoded.table, table);
    EXPECT_EQ(decoded.settings, settings);
}

TEST_F(ChannelFileTest, LengthDecidesWhatIsTaken) {
    const MemoryImage image = StartupImage();
    std::vector<std::uint8_t> longer = ChannelFileBytes(image);
    longer.resize(300, 0x77);
    EXPECT_TRUE(ImageFromChannelFile(longer).complete);
    EXPECT_EQ(ImageFromChannelFile(longer).image, image);
    std::vector<std::uint8_t> shorter = ChannelFileBytes(image);
    shorter.resize(100);
    EXPECT_FALSE(ImageFromChannelFile(shorter).complete);
    EXPECT_FALSE(ImageFromChannelFile({}).complete);
}

TEST_F(ChannelFileTest, AWrongChecksumByteIsRejectedOnDecode) {
    MemoryImage image = StartupImage();
    EncodeImage(EmptyChannelTable(), RadioSettings{}, image);
    std::vector<std::uint8_t> bytes = ChannelFileBytes(image);
    bytes[259] ^= 0x01;
    EXPECT_FALSE(DecodeImage(ImageFromChannelFile(bytes).image, DecodeSource::FromFile).checksumOk);
}

TEST_F(ChannelFileTest, OnlyRegularFilesAreReadAndNothingBlocks) {
#ifdef _WIN32
    GTEST_SKIP() << "named pipes, /dev/zero and links are POSIX";
#else
    const fs::path fifo = folder / "f.dat";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A link is judged by what it leads to (a link to a named pipe would block the test).
    const fs::path zeroLink = folder / "zero.dat";
    fs::create_symlink("/dev/zero", zeroLink);
    struct Case {
        fs::path path;
        std::string kind;
    };
    // Without the check the FIFO blocks for ever in open() and /dev/zero never ends.
    for (const Case& c : {Case{fifo, "a named pipe"}, Case{"/dev/zero", "a device"},
                          Case{zeroLink, "a device"}, Case{folder, "a folder"}}) {
        std::vector<std::uint8_t> bytes{1, 2, 3};
        std::string error;
        ReadFault fault = ReadFault::None;
        EXPECT_FALSE(ReadFileBytes(c.path.string(), bytes, error, kMaxInputFileSize, &fault))
            << c.path;
        EXPECT_EQ(fault, ReadFault::NotRegularFile) << c.path;
        EXPECT_EQ(error, c.kind + ", not a regular file");
        EXPECT_TRUE(bytes.empty());
    }
    // A link to a regular file is read like the file.
    const fs::path real = folder / "real.dat";
    std::ofstream(real) << "abc";
    fs::create_symlink(real, folder / "link.dat");
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadFileBytes((folder / "link.dat").string(), bytes, error)) << error;
    EXPECT_EQ(bytes.size(), 3u);
    ReadFault fault = ReadFault::None;
    EXPECT_FALSE(ReadFileBytes((folder / "none.dat").string(), bytes, error, 100, &fault));
    EXPECT_EQ(fault, ReadFault::CannotOpen);
    EXPECT_EQ(error, "No such file or directory");
#endif
}

TEST_F(ChannelFileTest, AFileIsReadWholeOrRefusedAsTooLargeButAChannelFileByItsHead) {
    const fs::path path = folder / "big.json";
    std::vector<std::uint8_t> bytes;
    std::string error;
    ReadFault fault = ReadFault::None;
    // 1.1 MB, which an earlier bound cut at 1 MiB without a word.
    std::ofstream(path).close();
    fs::resize_file(path, 1100000);
    ASSERT_TRUE(ReadFileBytes(path.string(), bytes, error)) << error;
    EXPECT_EQ(bytes.size(), 1100000u);

    for (std::size_t limit : {std::size_t{4096}, std::size_t{4097}, std::size_t{5000}}) {
        fs::resize_file(path, 4097);
        const bool fits = limit >= 4097;
        EXPECT_EQ(ReadFileBytes(path.string(), bytes, error, limit, &fault), fits) << limit;
        EXPECT_EQ(fault, fits ? ReadFault::None : ReadFault::TooLarge) << limit;
        EXPECT_EQ(bytes.size(), fits ? 4097u : 0u) << limit;
    }
    fs::resize_file(path, kMaxInputFileSize + 1);
    EXPECT_FALSE(ReadFileBytes(path.string(), bytes, error, kMaxInputFileSize, &fault));
    EXPECT_EQ(fault, ReadFault::TooLarge);
    EXPECT_EQ(error, "too large; files read here hold at most 16 MiB");
    fs::resize_file(path, kMaxInputFileSize);
    EXPECT_TRUE(ReadFileBytes(path.string(), bytes, error));

    // A channel file is its first 260 bytes, however long it is.
    fs::resize_file(path, (17u << 20));
    ASSERT_TRUE(ReadChannelFileHead(path.string(), bytes, error, &fault)) << error;
    EXPECT_EQ(fault, ReadFault::None);
    EXPECT_EQ(bytes.size(), kImageSize + 1);
    EXPECT_TRUE(ImageFromChannelFile(bytes).complete);
    fs::resize_file(path, 100);
    ASSERT_TRUE(ReadChannelFileHead(path.string(), bytes, error, &fault)) << error;
    EXPECT_EQ(bytes.size(), 100u);
    EXPECT_FALSE(ReadChannelFileHead(folder.string(), bytes, error, &fault));
    EXPECT_EQ(fault, ReadFault::NotRegularFile);
}

TEST_F(ChannelFileTest, AtomicWriteReplacesWholeAndLeavesNoTemporaryFile) {
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(Name("a.dat"), std::string("old content"), error)) << error;
    ASSERT_TRUE(WriteFileAtomically(Name("a.dat"), std::string("new"), error)) << error;
    EXPECT_EQ(Read(folder / "a.dat"), "new");
    ASSERT_TRUE(WriteFileAtomically(Name("a.dat"), std::string(), error)) << error;
    EXPECT_EQ(Read(folder / "a.dat"), "");
    EXPECT_EQ(NamesIn(folder), std::set<std::string>{"a.dat"});
}

TEST_F(ChannelFileTest, AtomicWriteKeepsThePermissionsOfTheReplacedFile) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows files have no permission bits; their read-only mark is tested below";
#endif
    const fs::path target = folder / "a.dat";
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(Name("a.dat"), std::string("old"), error)) << error;
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(WriteFileAtomically(Name("a.dat"), std::string("new content"), error)) << error;
    EXPECT_EQ(Read(target), "new content");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ChannelFileTest, AtomicWriteFollowsALinkInsteadOfReplacingIt) {
#ifdef _WIN32
    GTEST_SKIP() << "links need a privilege on Windows, and only POSIX saves follow them";
#endif
    const fs::path real = folder / "real.dat";
    const fs::path link = folder / "link.dat";
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(Name("real.dat"), std::string("one"), error));
    fs::create_symlink(real, link);
    ASSERT_TRUE(WriteFileAtomically(Name("link.dat"), std::string("two"), error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(real), "two");
}

TEST_F(ChannelFileTest, AFailedWriteLeavesNothingBehind) {
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(Name("missing/x.dat"), std::string("x"), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(folder / "missing"));

    fs::create_directory(folder / "folder.dat");
    error.clear();
    EXPECT_FALSE(WriteFileAtomically(Name("folder.dat"), std::string("x"), error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(folder / "folder.dat"));

    // On Windows this is the read-only mark.
    if (!test::RunsAsRoot()) {
        ASSERT_TRUE(WriteFileAtomically(Name("locked.dat"), std::string("keep"), error));
        fs::permissions(folder / "locked.dat", fs::perms::owner_read);
        error.clear();
        EXPECT_FALSE(WriteFileAtomically(Name("locked.dat"), std::string("lost"), error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(Read(folder / "locked.dat"), "keep");
    }
    EXPECT_EQ(NamesIn(folder).size(), test::RunsAsRoot() ? 1u : 2u);
}

// Windows refuses to replace a file that another program has open (an editor, a virus
// scanner); POSIX does not mind. Either way a holder that lets go soon does not fail the save.
TEST_F(ChannelFileTest, AtomicWriteWaitsForAProgramThatLetsGoOfTheTarget) {
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(Name("held.dat"), std::string("old"), error)) << error;
    std::FILE* holder = OpenStream(folder / "held.dat", "rb");
    ASSERT_NE(holder, nullptr);
    std::thread release([holder] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::fclose(holder);
    });
    const bool saved = WriteFileAtomically(Name("held.dat"), std::string("new"), error);
    release.join();
    EXPECT_TRUE(saved) << error;
    EXPECT_EQ(Read(folder / "held.dat"), "new");
    EXPECT_EQ(NamesIn(folder), std::set<std::string>{"held.dat"});
}

TEST_F(ChannelFileTest, ATargetHeldOpenThroughoutIsLeftAsItWas) {
#ifndef _WIN32
    GTEST_SKIP() << "POSIX replaces a file whoever has it open";
#endif
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(Name("held.dat"), std::string("old"), error)) << error;
    std::FILE* holder = OpenStream(folder / "held.dat", "rb");
    ASSERT_NE(holder, nullptr);
    const bool saved = WriteFileAtomically(Name("held.dat"), std::string("new"), error);
    std::fclose(holder);
    EXPECT_FALSE(saved);
    EXPECT_NE(error.find("in use by another program"), std::string::npos) << error;
    EXPECT_EQ(Read(folder / "held.dat"), "old");
    EXPECT_EQ(NamesIn(folder), std::set<std::string>{"held.dat"});
}

}  // namespace
}  // namespace orvel
