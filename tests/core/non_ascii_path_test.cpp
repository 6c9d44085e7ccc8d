// Folder and file names beyond ASCII, as Chinese and European users have them everywhere. The
// program hands the core UTF-8 text (Qt's paths use '/' on every system); the names that end
// up on disk must be exactly those, with nothing garbled and nothing left beside them.
#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <set>

#include "backup_store.h"
#include "channel_file.h"
#include "file_access.h"
#include "ini_file.h"
#include "test_files.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;
using test::NamesIn;
using test::Utf8;

struct Place {
    std::u8string_view folder;  // may hold a '/'
    std::u8string_view file;
};

constexpr Place kPlaces[] = {
    {u8"桌面/文档", u8"一号站.dat"},
    {u8"Café Müller", u8"Übergabe-ñ.dat"},
    {u8"é中", u8"频道 ß.dat"},
};

class NonAsciiPath : public ::testing::Test {
protected:
    fs::path Folder(std::u8string_view name) const { return temp.path() / fs::path(name); }
    std::string Text(std::u8string_view folder, std::u8string_view file) const {
        return Utf8FromPath(temp.path()) + "/" + Utf8(folder) + "/" + Utf8(file);
    }

    test::TempFolder temp{"orvel-names"};
};

TEST_F(NonAsciiPath, PathsTurnIntoSystemNamesAndBack) {
    const std::string name = Utf8(u8"桌面/一号站 é.dat");
    EXPECT_EQ(Utf8FromPath(PathFromUtf8(name)), name);
    EXPECT_EQ(PathFromUtf8(name).filename(), fs::path(u8"一号站 é.dat"));
#ifdef _WIN32
    EXPECT_EQ(PathFromUtf8(Utf8(u8"桌面é")).native(), L"\u684C\u9762\u00E9");
    // A lone lead byte names no file rather than a wrong one.
    EXPECT_TRUE(PathFromUtf8("\xE6\xA1").empty());
#else
    EXPECT_EQ(PathFromUtf8(Utf8(u8"桌面é")).native(), Utf8(u8"桌面é"));
    // POSIX names are bytes: one that is not UTF-8 still names its file.
    EXPECT_EQ(PathFromUtf8("\xE6\xA1").native(), "\xE6\xA1");
#endif
    errno = 0;
    EXPECT_EQ(OpenStream(std::string(), "rb"), nullptr);
    EXPECT_NE(errno, 0);
}

TEST_F(NonAsciiPath, ChannelFilesSaveReplaceAndOpen) {
    for (const Place& place : kPlaces) {
        SCOPED_TRACE(Utf8(place.folder));
        fs::create_directories(Folder(place.folder));
        const std::string path = Text(place.folder, place.file);
        MemoryImage image = StartupImage();
        image[7] = 0x42;
        std::string error;
        ASSERT_TRUE(WriteFileAtomically(path, ChannelFileBytes(image), error)) << error;
        image[7] = 0x43;
        ASSERT_TRUE(WriteFileAtomically(path, ChannelFileBytes(image), error)) << error;
        EXPECT_EQ(NamesIn(Folder(place.folder)), std::set<std::string>{Utf8(place.file)});

        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(ReadFileBytes(path, bytes, error)) << error;
        const ChannelFileContent content = ImageFromChannelFile(bytes);
        EXPECT_TRUE(content.complete);
        EXPECT_EQ(content.image, image);

        error.clear();
        EXPECT_FALSE(ReadFileBytes(Text(place.folder, u8"无.dat"), bytes, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST_F(NonAsciiPath, IniFileLoadsSavesAndKnowsItExists) {
    const std::u8string_view folder = u8"文档/Grüße";
    const std::u8string_view file = u8"设置 é.ini";
    fs::create_directories(Folder(folder));
    const std::string path = Text(folder, file);
    std::string error;
    IniFile ini;
    ASSERT_TRUE(IniFile::Load(path, ini, error)) << error;
    EXPECT_FALSE(ini.exists());

    ini.Set("Set", "Port", "3");
    ASSERT_TRUE(ini.Save(path, error)) << error;
    EXPECT_EQ(NamesIn(Folder(folder)), std::set<std::string>{Utf8(file)});
    IniFile again;
    ASSERT_TRUE(IniFile::Load(path, again, error)) << error;
    EXPECT_TRUE(again.exists());
    EXPECT_EQ(again.Get("Set", "Port"), "3");
}

TEST_F(NonAsciiPath, BackupsAreWrittenAndPrunedInTheirFolder) {
    const std::string folder = Utf8FromPath(temp.path()) + Utf8(u8"/备份/Ærø");
    const std::time_t t0 = test::LocalTime(2024, 3, 5, 7, 8, 9);
    const MemoryImage image = StartupImage();
    std::string error;
    std::string last;
    for (int i = 0; i < 3; ++i) {
        last = SaveBackup(folder, image, i == 1 ? "write" : "read", error, 2, t0 + i);
        ASSERT_FALSE(last.empty()) << error;
    }
    EXPECT_EQ(PathFromUtf8(last), PathFromUtf8(folder) / "20240305-070811-read.dat");
    EXPECT_EQ(NamesIn(PathFromUtf8(folder)),
              (std::set<std::string>{".copies", "20240305-070810-write.dat",
                                     "20240305-070811-read.dat"}));
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadFileBytes(last, bytes, error)) << error;
    EXPECT_EQ(bytes, ChannelFileBytes(image));
}

}  // namespace
}  // namespace orvel
