// orvelctl run as a process against orvelsim, and in this process where orvelsim lacks a fault.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <sstream>

#include "../link/byte_proxy.h"
#include "channel_file.h"
#include "commands.h"
#include "echo_text.h"
#include "exchanges.h"
#include "scratch_home.h"
#include "serial_port.h"
#include "transfer.h"
#include "virtual_radio.h"

namespace orvel {
namespace {

using nlohmann::json;

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

// Unlike the virtual radio's own configuration, so that a lost write shows.
MemoryImage SampleImage() {
    MemoryImage image = StartupImage();
    ChannelTable table = EmptyChannelTable();
    table[0] = {ChannelLabel(1), "230.125", "235.000", "P3", "2400", "开", "L5"};
    table[9] = {ChannelLabel(10), "224.500", "224.500", "P1", "4800", "关", "L2"};
    EncodeImage(table, RadioSettings{1, 1, 0, 1, 2, 1, 1, 0, 1, 1, 3, 4}, image);
    return image;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

class Cli : public ScratchHome {
protected:
    void SetUp() override {
        ScratchHome::SetUp();
        WriteIni("12 34 56");
    }
    void TearDown() override { StopSim(); }

    QString Radio() const { return Path("radio"); }

    // No INI that a window run left beside the built orvelctl reaches this one.
    void OwnProgramFolder() {
        ASSERT_TRUE(QDir(dir_.path()).mkdir("bin"));
        program_ = Path("bin/orvelctl");
        ASSERT_TRUE(::link(ORVELCTL_PATH, QFile::encodeName(program_)) == 0 ||
                    QFile::copy(ORVELCTL_PATH, program_));
    }
    QString program_ = ORVELCTL_PATH;

    // With `fileSizeLimit`, no file the run writes may grow past that many bytes (ulimit -f).
    Result Ctl(const QStringList& arguments, rlim_t fileSizeLimit = RLIM_INFINITY) {
        QProcess process;
        process.setProcessEnvironment(env_);
        process.setChildProcessModifier([fileSizeLimit] {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        process.start(program_, arguments);
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }

    // orvelsim's last start-up line names the link, which is then ready for use.
    void StartSim(const QStringList& faults = {}) {
        sim_.setProcessEnvironment(env_);
        sim_.start(ORVELSIM_PATH, QStringList{"--link", Radio()} + faults);
        for (QByteArray line; line.trimmed() != Radio().toUtf8();) {
            if (!sim_.canReadLine() && !sim_.waitForReadyRead(5000))
                FAIL() << "no orvelsim";
            line = sim_.readLine();
        }
    }

    // The frames orvelsim received, as it printed them.
    std::vector<RadioFrame> StopSim() {
        std::vector<RadioFrame> frames;
        if (sim_.state() == QProcess::NotRunning)
            return frames;
        sim_.terminate();
        sim_.waitForFinished(5000);
        for (const QByteArray& line : sim_.readAllStandardOutput().split('\n')) {
            if (!line.startsWith("rx "))
                continue;
            RadioFrame frame{};
            for (std::size_t i = 0; i < frame.size(); ++i) {
                frame[i] = static_cast<std::uint8_t>(
                    line.mid(3 + 3 * static_cast<qsizetype>(i), 2).toUInt(nullptr, 16));
            }
            frames.push_back(frame);
        }
        return frames;
    }

    QProcess sim_;
};

TEST_F(Cli, EveryCommandHasHelpAndBadCommandLinesExitOne) {
    // Every command the overview lists, as the manual's reference takes them.
    std::vector<std::string> commands;
    const QRegularExpression listed(QStringLiteral("^  ([a-z][a-z-]*)  +\\S"),
                                    QRegularExpression::MultilineOption);
    for (const auto& line : listed.globalMatch(QString::fromStdString(Ctl({"--help"}).out)))
        commands.push_back(line.captured(1).toStdString());
    EXPECT_FALSE(commands.empty());
    for (const std::string& command : commands) {
        const Result r = Ctl({QString::fromStdString(command), "--help"});
        EXPECT_EQ(r.code, 0) << command;
        EXPECT_EQ(r.out.rfind(std::string("usage: orvelctl ") + command, 0), 0u) << r.out;
    }
    EXPECT_EQ(Ctl({"--help"}).code, 0);
    // The network kinds' words in both programs' help, orvelctl's in the option's column.
    EXPECT_NE(Ctl({"read", "--help"})
                  .out.find("server: rfc2217://HOST:PORT (the tool sets\n                  the "
                            "server's line to 9600 baud 8E1 by RFC 2217) or socket://HOST:PORT\n"
                            "                  (raw TCP, the line set up on the server)\n"),
              std::string::npos);
    QProcess window;
    QProcessEnvironment offscreen = env_;
    offscreen.insert("QT_QPA_PLATFORM", "offscreen");
    window.setProcessEnvironment(offscreen);
    window.start(ORVELTOOL_PATH, {"--help"});
    ASSERT_TRUE(window.waitForFinished(30000));
    EXPECT_TRUE(QString(window.readAllStandardOutput())
                    .simplified()
                    .contains("rfc2217://HOST:PORT (line set by RFC 2217) or socket://HOST:PORT "
                              "(raw TCP)."));
    const QStringList usageErrors[] = {
        {},
        {"frobnicate"},
        {"read"},
        {"read", "--simulate", "--port", "/dev/null"},
        {"read", "--simulate", "--format", "xml"},
        {"read", "--simulate", "--out", Path("x.json")},
        {"read", "--simulate", "extra"},
        {"write", "--simulate"},
        {"write", "--simulate", Path("a.txt")},
        {"show"},
        {"show", Path("a.bin")},
        {"convert", Path("a.dat")},
        {"convert", Path("a.dat"), Path("b.xml")},
        {"channel", "--simulate", "--set", "0"},
        {"channel", "--simulate", "--set", "17"},
        {"channel", "--simulate", "--set", "x"},
        {"channel", "--simulate", "--set", "3", "--squelch", "10"},
        {"channel", "--simulate", "--squelch", "1"},
        {"channel", "--simulate", "--format", "csv"},
        {"ports", "--bogus"},
        {"ports", "--port", "/dev/null"},
        {"ports", "--probe", "--format", "csv"},
        {"plan"},
        {"plan", "add"},
        {"plan", "add", Path("a.txt")},
        {"plan", "add", Path("a.dat"), "--name", "Site@2"},
        {"plan", "add", Path("a.dat"), "--name", "Site\t2"},
        {"plan", "add", Path("a.dat"), "--note", "x\x1B[2J"},
        {"plan", "show"},
        {"plan", "show", "Site@x"},
        {"plan", "show", "Site", "--operator", "wang"},
        {"plan", "list", "--format", "xml"},
        {"plan", "get", "Site"},
        {"plan", "get", "Site", "--out", Path("a.json")},
        {"unit", "frob"},
        {"unit", "assign", "SN-1"},
        {"unit", "assign", "--plan", "P"},
        {"unit", "assign", "ask", "--plan", "P"},
        {"unit", "assign", "SN-1", "--plan", "P", "--port", "COM0"},
        {"unit", "assign", "SN-1", "--plan", "P", "--site", "a\x7F"},
        {"unit", "import", Path("u.txt")},
        {"unit", "show", "--format", "csv", "SN-1"},
        {"unit", "export", Path("u.txt")},
        {"write", "--assigned", "--simulate"},
        {"write", "--assigned", "--simulate", "--unit", "SN-1", Path("a.dat")},
        {"write", "--assigned", "--port", "/dev/null", "--port", "/dev/zero", "--unit", "ask"},
        {"write", "--assigned", "--port", "/dev/null", "--unit", "SN-1", "--format", "json"},
        {"record", "restore", "x", "--simulate", "--before", "--after"},
        {"record", "restore", "x"},
    };
    for (const QStringList& arguments : usageErrors) {
        const Result r = Ctl(arguments);
        EXPECT_EQ(r.code, 1) << arguments.join(' ').toStdString() << "\n" << r.err;
        EXPECT_EQ(r.out, "") << arguments.join(' ').toStdString();
    }
}

TEST_F(Cli, ReadPrintsTheConfigurationStoresItAndKeepsACopy) {
    StartSim();
    const Result r = Ctl({"read", "--port", Radio(), "--format", "json", "--out", Path("read.dat"),
                          "--trace", Path("trace.txt"), "--config", Path("orvel.ini")});
    ASSERT_EQ(r.code, 0) << r.err;
    const MemoryImage image = sim::VirtualRadio::DefaultImage();
    EXPECT_EQ(r.out, ImageToJson(image, DecodeAsShown(image, DecodeSource::FromRadio, kLimits)));
    EXPECT_EQ(Read("read.dat"), ChannelFileBytes(image));
    EXPECT_NE(r.err.find("接收数据[% 90]\n接收数据[% 100]\n ***正确接收数据***\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find('\r'), std::string::npos);
    const QStringList copies = Backups("*-read.dat");
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(Read("data/OrvelTool/backups/" + copies[0]), ChannelFileBytes(image));
    EXPECT_GT(QFileInfo(Path("trace.txt")).size(), 260);
}

// Runs started together with one home: every read keeps its copy and every replaced file its
// old bytes, however many land in one second.
TEST_F(Cli, RunsSideBySideLoseNoSafetyCopy) {
    constexpr int kRuns = 12;
    Write("a.json", JsonOf(SampleImage()));
    std::vector<std::unique_ptr<QProcess>> runs;
    auto start = [&](const QStringList& arguments) {
        runs.push_back(std::make_unique<QProcess>());
        runs.back()->setProcessEnvironment(env_);
        runs.back()->start(ORVELCTL_PATH, arguments);
    };
    for (int i = 0; i < kRuns; ++i) {
        const QString name = QString("t%1.dat").arg(i);
        Write(name, std::string(10, static_cast<char>('a' + i)));
        start({"read", "--simulate"});
        start({"convert", Path("a.json"), Path(name), "--config", Path("orvel.ini")});
    }
    for (auto& run : runs) {
        ASSERT_TRUE(run->waitForFinished(60000));
        EXPECT_EQ(run->exitCode(), 0) << run->readAllStandardError().toStdString();
    }
    EXPECT_EQ(Backups("*-read*.dat").size(), kRuns);
    std::set<std::string> kept;
    for (const QString& copy : Backups("*-file*.dat")) {
        const std::vector<std::uint8_t> bytes = Read("data/OrvelTool/backups/" + copy);
        kept.insert(std::string(bytes.begin(), bytes.end()));
    }
    EXPECT_EQ(kept.size(), std::size_t{kRuns});
    const std::vector<std::uint8_t> list = Read("data/OrvelTool/backups/.copies");
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 2 * kRuns);
}

TEST_F(Cli, ReadWithABadChecksumStillPrintsTheDataAndExitsThree) {
    StartSim({"--bad-checksum"});
    const Result r = Ctl({"read", "--port", Radio(), "--format", "csv", "--out", Path("bad.dat"),
                          "--config", Path("orvel.ini")});
    EXPECT_EQ(r.code, 3);
    MemoryImage received = sim::VirtualRadio::DefaultImage();
    ++received[layout::kChecksum];
    EXPECT_EQ(r.out, TableToCsv(DecodeAsShown(received, DecodeSource::FromRadio, kLimits).table));
    EXPECT_EQ(Read("bad.dat"), ChannelFileBytes(received));
    EXPECT_NE(r.err.find("数据校验错\n"), std::string::npos) << r.err;
}

TEST_F(Cli, CommunicationFailuresExitTwo) {
    Write("sample.dat", ChannelFileBytes(SampleImage()));
    const struct {
        QStringList faults;
        QStringList command;
        std::string logged;
        std::size_t frames;
    } cases[] = {
        {{"--silent"}, {"read"}, "通信错误", 1},
        {{"--garbage-id"}, {"read"}, "格式出错", 1},
        {{"--cut", "100"}, {"read"}, "接收数据超时", 2},
        {{"--nak", "5"}, {"write", Path("sample.dat")}, "写入数据[% 0] 失败", 5},
        {{"--silent"}, {"channel"}, "接收数据超时", 1},
        {{"--silent"}, {"channel", "--set", "2"}, "写入数据失败", 1},
    };
    for (const auto& c : cases) {
        StartSim(c.faults);
        const Result r = Ctl(c.command + QStringList{"--port", Radio()});
        const std::vector<RadioFrame> frames = StopSim();
        EXPECT_EQ(r.code, 2) << c.logged << "\n" << r.err;
        EXPECT_NE(r.err.find(c.logged + "\n"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(Radio().toStdString()), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(frames.size(), c.frames) << c.logged;
    }
}

TEST_F(Cli, WriteSendsTheWindowsFramesFromJsonAndCsv) {
    // A .dat goes the same way as a .json once loaded; the verify test below writes one.
    const MemoryImage sample = SampleImage();
    Write("sample.json", JsonOf(sample));
    Write("sample.csv", CsvOf(sample));
    for (const QString name : {"sample.json", "sample.csv"}) {
        StartSim();
        const Result r =
            Ctl({"write", "--port", Radio(), Path(name), "--config", Path("orvel.ini")});
        const std::vector<RadioFrame> frames = StopSim();
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.err.find("***正确写入数据***\n"), std::string::npos);
        MemoryImage written = sample;
        if (name.endsWith(".csv")) {  // a table alone: the settings go out at start-up values
            ImportError error;
            ASSERT_TRUE(ImageFromCsv(CsvOf(sample), kLimits, written, error));
        }
        const DecodedImage decoded = DecodeAsShown(written, DecodeSource::FromFile, kLimits);
        EXPECT_EQ(frames, WriteFrames({decoded.table, decoded.settings, "12 34 56"}));
        ASSERT_EQ(frames.size(), 67u);
        EXPECT_EQ(frames.front(), MakeFrame(CmdWriteWord, 0x00, 0x23, 0x01));
        EXPECT_EQ(frames.back(), MakeFrame(CmdWriteWord, 0x12, 0x34, 0x56));
    }
    EXPECT_EQ(Backups("*-write.dat").size(), 2);
}

TEST_F(Cli, WriteChecksTheFileBeforeOpeningThePort) {
    MemoryImage broken = SampleImage();
    broken[10] ^= 1;
    Write("broken.dat", ChannelFileBytes(broken));
    Result r = Ctl({"write", "--port", "/dev/nonexistent", Path("broken.dat")});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("数据校验错\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("broken.dat"), std::string::npos) << r.err;

    Write("bad.csv", Replaced(CsvOf(SampleImage()), "230.125", "236"));
    r = Ctl(
        {"write", "--port", "/dev/nonexistent", Path("bad.csv"), "--config", Path("orvel.ini")});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("bad.csv: row 1, column rx: \"236\" is outside Min..Max"),
              std::string::npos)
        << r.err;
}

TEST_F(Cli, AnIniThatCannotWorkIsNamedAsTheCause) {
    Write("sample.json", JsonOf(SampleImage()));
    Write("word.ini", "[Set]\nWord=1O 34 56\n");
    Result r = Ctl({"write", "--simulate", Path("sample.json"), "--config", Path("word.ini")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("Word \"1O 34 56\" is not three hexadecimal pairs"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("特定数据格式错误，未写入\n"), std::string::npos) << r.err;

    Write("limits.ini", "[Set]\nMin=236\nMax=235\n");
    r = Ctl({"convert", Path("sample.json"), Path("o.dat"), "--config", Path("limits.ini")});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("Min 236 in the configuration is above Max 235"), std::string::npos)
        << r.err;
}

TEST_F(Cli, ShowDecodesAFileAndRefusesShortAndCorruptOnes) {
    const MemoryImage sample = SampleImage();
    Write("sample.dat", ChannelFileBytes(sample));
    Result r = Ctl({"show", Path("sample.dat"), "--format", "json"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, JsonOf(sample));
    r = Ctl({"show", Path("sample.dat")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("信道10  224.500   224.500   P1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("信道16"), std::string::npos);

    // Bytes after the 260th are ignored, however many (17 MiB was once refused as too large).
    ASSERT_TRUE(QFile::copy(Path("sample.dat"), Path("long.dat")));
    ASSERT_TRUE(QFile::resize(Path("long.dat"), 17 << 20));
    r = Ctl({"show", Path("long.dat"), "--format", "json"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, JsonOf(sample));

    std::vector<std::uint8_t> bytes = ChannelFileBytes(sample);
    bytes.pop_back();
    Write("short.dat", bytes);
    r = Ctl({"show", Path("short.dat")});
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("short.dat: 259 bytes"), std::string::npos) << r.err;

    bytes.push_back(0x00);  // masked, so the checksum byte no longer fits
    Write("corrupt.dat", bytes);
    r = Ctl({"show", Path("corrupt.dat")});
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("数据校验错\n", 0), 0u) << r.err;
}

TEST_F(Cli, AwkwardInputFilesAreDataErrorsAtOnce) {
    // Each once aborted (exit 134), blocked for ever, or was cut short without a word.
    const std::string big = JsonOf(SampleImage()) + std::string(1200000, ' ');
    Write("big.json", big);
    Write("overflow.json", std::string("1e999"));
    Write("cell.json", std::string(R"({"header":"330681","channels":[1e400]})"));
    ASSERT_EQ(::mkfifo(Path("fifo.dat").toLocal8Bit().constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir_.path()).mkdir("folder.json"));
    Write("huge.csv", CsvOf(SampleImage()));
    ASSERT_TRUE(QFile::resize(Path("huge.csv"), 17 << 20));
    const struct {
        QString file;
        std::string message;
    } cases[] = {
        {"overflow.json", "overflow.json: number overflow parsing '1e999'"},
        {"cell.json", "cell.json: row 1: number overflow parsing '1e400'"},
        {"fifo.dat", "fifo.dat: a named pipe, not a regular file"},
        {"folder.json", "folder.json: a folder, not a regular file"},
        {"huge.csv", "huge.csv: too large; files read here hold at most 16 MiB"},
    };
    for (const auto& c : cases) {
        for (const QStringList& command :
             {QStringList{"show", Path(c.file)},
              QStringList{"convert", Path(c.file), Path("o.dat")},
              QStringList{"write", "--port", "/dev/nonexistent", Path(c.file)}}) {
            const Result r = Ctl(command);
            EXPECT_EQ(r.code, 3) << command.join(' ').toStdString() << r.err;
            EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        }
    }
    EXPECT_FALSE(QFile::exists(Path("o.dat")));
    const Result r = Ctl({"show", Path("big.json"), "--format", "json"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, JsonOf(SampleImage()));
}

TEST_F(Cli, ConvertRoundTripsAndLeavesTheOutputAloneOnError) {
    MemoryImage image = SampleImage();
    image[0] = 0x12;
    image[layout::kSpareA + 5] = 0x77;
    image[layout::kSpareB + 31] = 0x88;
    image[layout::kChecksum] = ImageChecksum(image);
    Write("a.dat", ChannelFileBytes(image));
    const QString ini = Path("orvel.ini");
    EXPECT_EQ(Ctl({"convert", Path("a.dat"), Path("a.json"), "--config", ini}).code, 0);
    EXPECT_EQ(Ctl({"convert", Path("a.json"), Path("b.dat"), "--config", ini}).code, 0);
    EXPECT_EQ(Read("b.dat"), Read("a.dat"));
    EXPECT_EQ(Ctl({"convert", Path("a.dat"), Path("a.csv"), "--config", ini}).code, 0);
    EXPECT_EQ(Ctl({"convert", Path("a.csv"), Path("c.json"), "--config", ini}).code, 0);
    const json fromCsv = json::parse(Read("c.json"));
    EXPECT_EQ(fromCsv["header"], "330681");
    EXPECT_EQ(fromCsv["channels"], json::parse(Read("a.json"))["channels"]);
    // The same table as a spreadsheet of a Chinese system saves it: GBK and semicolons.
    const std::vector<std::uint8_t> csv = Read("a.csv");
    std::string gbk(csv.begin(), csv.end());
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{",", ";"}, {"开", "\xBF\xAA"}, {"关", "\xB9\xD8"}}) {
        for (std::size_t at; (at = gbk.find(from)) != std::string::npos;)
            gbk.replace(at, from.size(), to);
    }
    Write("gbk.csv", gbk);
    EXPECT_EQ(Ctl({"convert", Path("gbk.csv"), Path("d.json"), "--config", ini}).code, 0);
    EXPECT_EQ(json::parse(Read("d.json"))["channels"], fromCsv["channels"]);

    const std::vector<std::uint8_t> bytes = Read("a.json");
    Write("bad.json", Replaced({bytes.begin(), bytes.end()}, "\"P3\"", "\"P8\""));
    Write("kept.dat", std::string("keep"));
    for (const QString out : {"kept.dat", "new.dat"}) {
        const Result r = Ctl({"convert", Path("bad.json"), Path(out), "--config", ini});
        EXPECT_EQ(r.code, 3);
        EXPECT_NE(r.err.find("bad.json: row 1, column power: \"P8\" is not one of"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_EQ(Read("kept.dat"), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_FALSE(QFile::exists(Path("new.dat")));
    EXPECT_TRUE(QDir(dir_.path()).entryList({".*tmp*"}, QDir::Files | QDir::Hidden).isEmpty());

    const Result missing = Ctl({"convert", Path("missing.dat"), Path("x.json")});
    EXPECT_EQ(missing.code, 3);
    EXPECT_NE(missing.err.find("missing.dat"), std::string::npos);
}

TEST_F(Cli, ChannelReadsAndSetsTheCurrentChannel) {
    StartSim({"--current", "5"});
    Result r = Ctl({"channel", "--port", Radio(), "--format", "json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const MemoryImage image = sim::VirtualRadio::DefaultImage();
    const int squelch = image[layout::ChannelOffset(4) + layout::kSquelch];
    EXPECT_EQ(json::parse(r.out), (json{{"channel", 5}, {"squelch", squelch}}));
    r = Ctl({"channel", "--port", Radio(), "--set", "16", "--squelch", "9"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const std::vector<RadioFrame> frames = StopSim();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back(), (RadioFrame{0xCC, 0x07, 0x0F, 0x09, 0x00, 0x00, 0x00, 0x1F}));
}

TEST_F(Cli, PortsThatCannotBeOpenedExitFourAndSayWhy) {
    Result r = Ctl({"read", "--port", "/dev/nonexistent"});
    EXPECT_EQ(r.code, 4);
    EXPECT_NE(r.err.find("/dev/nonexistent: no such port"), std::string::npos) << r.err;
    r = Ctl({"channel", "--port", "99"});  // the window's port 99
    EXPECT_EQ(r.code, 4);
    EXPECT_NE(r.err.find("/dev/ttyS98"), std::string::npos) << r.err;

    // Root opens any device: the refusals are met as an ordinary user.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
    const std::string device = ptsname(master);
    auto asNobody = [&](const QStringList& arguments) {
        if (geteuid() != 0)
            return Ctl(arguments);
        QProcess process;
        process.setProcessEnvironment(env_);
        process.start("setpriv", QStringList{"--reuid=65534", "--regid=65534", "--clear-groups",
                                             ORVELCTL_PATH} +
                                     arguments);
        process.waitForFinished(30000);
        return Result{process.exitCode(), process.readAllStandardOutput().toStdString(),
                      process.readAllStandardError().toStdString()};
    };
    struct Case {
        unsigned mode;
        gid_t group;
        std::string advice;
    } cases[] = {
        // A group that may use it is named, with the way to join it.
        {0660, 20, "; members of the group dialout may use it (sudo usermod -aG dialout $USER"},
        // Root's group, or a group that may not write, is no way in: only the owner is named.
        {0660, 0, "; it belongs to root\n"},
        {0640, 20, "; it belongs to root\n"},
    };
    for (const Case& c : cases) {
        if (geteuid() != 0 && c.group != getegid())
            continue;
        ASSERT_EQ(chown(device.c_str(), 0, c.group) | chmod(device.c_str(), c.mode), 0);
        r = asNobody({"channel", "--port", QString::fromStdString(device)});
        EXPECT_EQ(r.code, 4);
        EXPECT_NE(r.err.find(device + ": permission denied" + c.advice), std::string::npos)
            << r.err;
        // The finder's probe says the same, not "missing".
        r = asNobody({"ports", "--probe", "--port", QString::fromStdString(device)});
        EXPECT_NE(r.out.find(device + "\t-\tpermission denied\n"), std::string::npos) << r.out;
    }
    close(master);
}

TEST_F(Cli, PortsListsOneDevicePerLine) {
    const Result r = Ctl({"ports"});
    EXPECT_EQ(r.code, 0) << r.err;
    for (const QString& line : QString::fromStdString(r.out).split('\n', Qt::SkipEmptyParts)) {
        EXPECT_TRUE(line.startsWith('/')) << line.toStdString();
    }
}

TEST_F(Cli, AChannelReadOnAnEchoingLineIsAFormatError) {
    StartSim({"--silent", "--echo"});
    const Result r = Ctl({"channel", "--port", Radio()});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("格式出错\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("the line echoes"), std::string::npos) << r.err;
    EXPECT_EQ(StopSim(), std::vector<RadioFrame>{MakeFrame(CmdReadWord, 0x60)});
}

TEST_F(Cli, ASlowLoopBackPlugIsStillAnEcho) {
    // 30 to 40 ms between the bytes coming back: once taken for a radio on channel 1.
    sim::VirtualRadio plug(sim::VirtualRadio::DefaultImage(), {.silent = true, .echo = true});
    ASSERT_TRUE(plug.Start());
    testing::ByteProxy slow(plug.DevicePath(), {}, 35);
    const Result r = Ctl({"channel", "--port", QString::fromStdString(slow.DevicePath())});
    EXPECT_EQ(r.code, 2) << r.out;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("the line echoes"), std::string::npos) << r.err;
}

TEST_F(Cli, APortThatGoesAwayMidExchangeEndsWithOneLineAndExitTwo) {
    StartSim({"--silent"});
    QProcess ctl;
    ctl.setProcessEnvironment(env_);
    ctl.start(ORVELCTL_PATH, {"read", "--port", Radio()});
    // orvelsim prints each frame it receives: once the identify frame is in, the cable goes.
    for (QByteArray line; !line.startsWith("rx CC 0F");) {
        if (!sim_.canReadLine() && !sim_.waitForReadyRead(10000))
            FAIL() << "orvelctl sent no identify frame";
        line = sim_.readLine();
    }
    sim_.kill();
    sim_.waitForFinished(5000);
    ASSERT_TRUE(ctl.waitForFinished(30000));
    EXPECT_EQ(ctl.exitCode(), 2);
    const std::string err = ctl.readAllStandardError().toStdString();
    EXPECT_NE(err.find("通信错误\n"), std::string::npos) << err;
    const std::string expected =
        "orvelctl: " + Radio().toStdString() + ": the port went away: hung up";
    EXPECT_NE(err.find(expected), std::string::npos) << err;
    EXPECT_EQ(err.find("orvelctl:"), err.rfind("orvelctl:")) << err;
    std::remove(Radio().toStdString().c_str());
}

// Several virtual radios in this process, each behind its own terminal, and a held port.
class CliProbe : public Cli {
protected:
    void SetUp() override {
        Cli::SetUp();
        answering_ = Started({});
        silent_ = Started({.silent = true});
        held_ = Started({});
        ASSERT_EQ(holder_.OpenDevice(held_->DevicePath()), 1);
    }

    std::unique_ptr<sim::VirtualRadio> Started(sim::RadioBehaviour behaviour) {
        auto radio =
            std::make_unique<sim::VirtualRadio>(sim::VirtualRadio::DefaultImage(), behaviour);
        EXPECT_TRUE(radio->Start());
        return radio;
    }

    Result Probe(QStringList arguments) {
        std::ostringstream out;
        std::ostringstream err;
        const int code =
            cli::Run(QStringList{"orvelctl", "ports", "--probe"} + arguments, out, err);
        return Result{code, out.str(), err.str()};
    }

    QString Answering() const { return QString::fromStdString(answering_->DevicePath()); }
    QString Silent() const { return QString::fromStdString(silent_->DevicePath()); }
    QString Held() const { return QString::fromStdString(held_->DevicePath()); }

    std::unique_ptr<sim::VirtualRadio> answering_;
    std::unique_ptr<sim::VirtualRadio> silent_;
    std::unique_ptr<sim::VirtualRadio> held_;
    SerialPort holder_;
};

TEST_F(CliProbe, TextShowsOneRowPerPortAndExitsZeroWhenARadioAnswered) {
    const Result r = Probe({"--port", Answering(), "--port", Silent(), "--port", Held(), "--port",
                            "/dev/orvel-missing"});
    EXPECT_EQ(r.code, 0) << r.err;
    const std::string rows = answering_->DevicePath() + "\tORVEL-R1\n" + silent_->DevicePath() +
                             "\t-\tno answer\n" + held_->DevicePath() + "\t-\tbusy\n" +
                             "/dev/orvel-missing\t-\tmissing\n";
    // The ports the system lists come first; the ones given follow in their order.
    ASSERT_GE(r.out.size(), rows.size());
    EXPECT_EQ(r.out.substr(r.out.size() - rows.size()), rows) << r.out;
}

TEST_F(CliProbe, JsonNamesTheStatusAndTheIdentityOfARadio) {
    const Result r = Probe({"--format", "json", "--port", Answering(), "--port", Held()});
    EXPECT_EQ(r.code, 0) << r.err;
    const json rows = json::parse(r.out);
    ASSERT_TRUE(rows.is_array());
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[rows.size() - 2], json({{"port", answering_->DevicePath()},
                                           {"names", {answering_->DevicePath()}},
                                           {"status", "radio"},
                                           {"identity", "ORVEL-R1"}}));
    EXPECT_EQ(rows.back(), json({{"port", held_->DevicePath()},
                                 {"names", {held_->DevicePath()}},
                                 {"status", "busy"},
                                 {"identity", nullptr}}));
}

TEST_F(CliProbe, WhatIsNoSerialLineAShortAnswerAndADeviceNamedTwiceEachGetTheirRow) {
    QDir(dir_.path()).mkpath("folder");
    Write("plain", "not a port");
    ASSERT_EQ(mkfifo(Path("fifo").toLocal8Bit().constData(), 0600), 0);
    ASSERT_EQ(symlink("loop", Path("loop").toLocal8Bit().constData()), 0);
    ASSERT_TRUE(QFile::link(Answering(), Path("radio-link")));
    auto shortAnswer = Started({.identity = "ORVEL"});
    const QString shortDevice = QString::fromStdString(shortAnswer->DevicePath());
    const Result r =
        Probe({"--port", Path("plain"), "--port", Path("folder"), "--port", "/dev/null", "--port",
               Path("fifo"), "--port", Path("loop"), "--port", shortDevice, "--port",
               Path("radio-link"), "--port", Answering(), "--port", "/dev/orvel-missing\tx"});
    EXPECT_EQ(r.code, 0) << r.err;
    std::string rows;
    for (const char* name : {"plain", "folder"})
        rows += Path(name).toStdString() + "\t-\tnot a serial port\n";
    rows += "/dev/null\t-\tnot a serial port\n";
    for (const char* name : {"fifo", "loop"})
        rows += Path(name).toStdString() + "\t-\tnot a serial port\n";
    rows += shortAnswer->DevicePath() + "\t-\tbad format\n";
    rows += Path("radio-link").toStdString() + ", " + answering_->DevicePath() + "\tORVEL-R1\n";
    rows += "/dev/orvel-missing\\tx\t-\tmissing\n";
    ASSERT_GE(r.out.size(), rows.size()) << r.out;
    EXPECT_EQ(r.out.substr(r.out.size() - rows.size()), rows) << r.out;
}

TEST_F(CliProbe, NoRadioAnsweringExitsTwo) {
    const Result r = Probe({"--port", Silent(), "--port", Held()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("no radio answered"), std::string::npos) << r.err;
}

// orvelsim cannot ignore writes; the virtual radio in this process can.
TEST_F(Cli, VerifyCatchesARadioThatIgnoresWrites) {
    Write("sample.dat", ChannelFileBytes(SampleImage()));
    sim::RadioBehaviour deaf;
    deaf.ignoreWrites = true;
    sim::VirtualRadio radio(sim::VirtualRadio::DefaultImage(), deaf);
    ASSERT_TRUE(radio.Start());
    auto write = [&] {
        std::ostringstream out;
        std::ostringstream err;
        const int code =
            cli::Run({"orvelctl", "write", "--port", QString::fromStdString(radio.DevicePath()),
                      Path("sample.dat"), "--verify", "--config", Path("orvel.ini")},
                     out, err);
        return Result{code, out.str(), err.str()};
    };
    Result r = write();
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("verify: word 0x00 (channel 1) reads back 22 30, written 23 01"),
              std::string::npos)
        << r.err;
    radio.SetBehaviour({});
    r = write();
    EXPECT_EQ(r.code, 0) << r.err;
    // The read-back is one line, not the read's progress lines.
    EXPECT_NE(r.err.find("校验：读回数据…\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("接收数据[%"), std::string::npos) << r.err;
    EXPECT_EQ(radio.Image()[layout::ChannelOffset(0)], 0x23);
    EXPECT_NE(r.err.find("校验正确\n"), std::string::npos) << r.err;
    radio.Stop();
}

TEST_F(Cli, DiffComparesTwoFilesInTextAndJson) {
    const QString ini = Path("orvel.ini");
    MemoryImage a = SampleImage();
    MemoryImage b = a;
    b[2] = 0x82;                         // header
    b[layout::ChannelOffset(2)] = 0x22;  // channel 3 rx 226.500 (was empty)
    b[layout::ChannelOffset(2) + 1] = 0x65;
    b[layout::kModeByte2] ^= 0x10;   // baud rate
    b[layout::kSpareA] = 0x07;       // spare byte 131
    b[layout::kSpareB + 31] = 0xAB;  // spare byte 258
    b[layout::kChecksum] = ImageChecksum(b);
    Write("a.dat", ChannelFileBytes(a));
    Write("b.dat", ChannelFileBytes(b));
    ASSERT_EQ(Ctl({"convert", Path("a.dat"), Path("a.json"), "--config", ini}).code, 0);

    Result r = Ctl({"diff", Path("a.dat"), Path("a.dat"), "--config", ini});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    r = Ctl({"diff", Path("a.dat"), Path("a.dat"), "--format", "json"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(json::parse(r.out), json::parse(R"({"equal": true, "differences": []})"));

    // A .json compares as the .dat it was made from.
    r = Ctl({"diff", Path("a.json"), Path("a.dat"), "--config", ini});
    EXPECT_EQ(r.code, 0) << r.err << r.out;
    r = Ctl({"diff", Path("a.dat"), Path("b.dat"), "--config", ini});
    EXPECT_EQ(r.code, 5) << r.err;
    const QStringList lines = QString::fromStdString(r.out).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 5) << r.out;
    EXPECT_TRUE(lines.contains("settings baudRate: 2 -> 3")) << r.out;
    EXPECT_TRUE(lines.contains("header: 330681 -> 330682")) << r.out;
    EXPECT_TRUE(lines.contains("spareA: byte 131 00 -> 07")) << r.out;
    EXPECT_EQ(lines.back(), "spareB: byte 258 00 -> AB");
    EXPECT_EQ(lines.front(), "channel 3 rx: (empty) -> 226.500");

    r = Ctl({"diff", Path("b.dat"), Path("a.dat"), "--format", "json", "--config", ini});
    EXPECT_EQ(r.code, 5);
    const json doc = json::parse(r.out);
    EXPECT_EQ(doc["equal"], false);
    EXPECT_TRUE(doc["differences"].size() == static_cast<std::size_t>(lines.size()));
    EXPECT_TRUE(doc["differences"].back() ==
                (json{{"where", "spareB"}, {"field", "258"}, {"a", "AB"}, {"b", "00"}}));
}

TEST_F(Cli, DiffAgainstTheRadioAndItsFailures) {
    const QString ini = Path("orvel.ini");
    Write("radio.dat", ChannelFileBytes(sim::VirtualRadio::DefaultImage()));
    Write("sample.dat", ChannelFileBytes(SampleImage()));
    Result r = Ctl({"diff", Path("radio.dat"), "--simulate", "--config", ini});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Backups("*-read.dat").size(), 1);
    r = Ctl({"diff", Path("sample.dat"), "--simulate", "--format", "json", "--config", ini});
    EXPECT_EQ(r.code, 5) << r.err;
    EXPECT_EQ(json::parse(r.out)["differences"][0]["where"], "channel 1");

    StartSim({"--silent"});
    r = Ctl({"diff", Path("radio.dat"), "--port", Radio()});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    StopSim();
    StartSim({"--bad-checksum"});
    r = Ctl({"diff", Path("radio.dat"), "--port", Radio()});
    EXPECT_EQ(r.code, 3) << r.err;
    StopSim();
    EXPECT_EQ(Ctl({"diff", Path("radio.dat"), "--port", "/dev/nonexistent"}).code, 4);

    // Usage: one file without a radio, two with one, both radio options, a bad format.
    for (const QStringList& args :
         {QStringList{"diff", Path("radio.dat")},
          QStringList{"diff", Path("radio.dat"), Path("sample.dat"), "--simulate"},
          QStringList{"diff", Path("radio.dat"), "--simulate", "--port", Radio()},
          QStringList{"diff", Path("radio.dat"), Path("sample.dat"), "--format", "csv"},
          QStringList{"diff", Path("radio.txt"), Path("sample.dat")}}) {
        EXPECT_EQ(Ctl(args).code, 1) << args.join(' ').toStdString();
    }
    // Files that cannot be compared are data errors.
    Write("short.dat", std::string("abc"));
    EXPECT_EQ(Ctl({"diff", Path("short.dat"), Path("sample.dat")}).code, 3);
    EXPECT_EQ(Ctl({"diff", Path("sample.dat"), Path("missing.json")}).code, 3);
}

TEST_F(Cli, ConvertKeepsTheFileItReplaces) {
    const QString ini = Path("orvel.ini");
    Write("a.dat", ChannelFileBytes(SampleImage()));
    Write("old.json", std::string("{\"not\": \"a configuration\"}"));
    ASSERT_EQ(Ctl({"convert", Path("a.dat"), Path("old.json"), "--config", ini}).code, 0);
    const QStringList kept = Backups("*-file.json");
    ASSERT_EQ(kept.size(), 1);
    QFile copy(Path("data/OrvelTool/backups/" + kept.front()));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray("{\"not\": \"a configuration\"}"));
    // A new file replaces nothing and leaves no copy.
    ASSERT_EQ(Ctl({"convert", Path("a.dat"), Path("new.dat"), "--config", ini}).code, 0);
    EXPECT_TRUE(Backups("*-file.dat").isEmpty());

    // A save that fails after the copy was taken leaves no copy behind: the temporary file
    // beside a name this long cannot be made.
    const QString longName = QString(250, 'x') + ".dat";
    Write(longName, std::string("keep"));
    Result r = Ctl({"convert", Path("a.dat"), Path(longName), "--config", ini});
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(Read(longName), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(Backups("*-file.dat").isEmpty());

    // Without a place for the copy the file stays as it was, unless the user says otherwise.
    Write("blocked", std::string("a file where the backup folder should be"));
    env_.insert("XDG_DATA_HOME", Path("blocked"));
    Write("old.json", std::string("{}"));
    r = Ctl({"convert", Path("a.dat"), Path("old.json"), "--config", ini});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("not replaced"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--no-safety-copy"), std::string::npos) << r.err;
    EXPECT_EQ(Read("old.json").size(), 2u);
    r = Ctl({"convert", Path("a.dat"), Path("old.json"), "--config", ini, "--no-safety-copy"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Read("old.json").size(), JsonOf(SampleImage()).size());
}

// The channel file's eight bytes of channel n, and the bytes around the channels.
std::vector<std::uint8_t> Record(const std::vector<std::uint8_t>& file, int channel) {
    const auto start = file.begin() + 3 + 8 * (channel - 1);
    return {start, start + 8};
}
std::vector<std::uint8_t> OutsideChannels(const std::vector<std::uint8_t>& file) {
    std::vector<std::uint8_t> bytes(file.begin(), file.begin() + 3);
    bytes.insert(bytes.end(), file.begin() + 131, file.end() - 1);
    return bytes;
}

TEST_F(Cli, EditMovesChannelsAndKeepsEverythingElse) {
    const QString ini = Path("orvel.ini");
    const std::vector<std::uint8_t> sample = ChannelFileBytes(SampleImage());
    Write("a.dat", sample);
    Result r = Ctl({"edit", Path("a.dat"), "--move", "1:3", "--config", ini});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    std::vector<std::uint8_t> file = Read("a.dat");
    EXPECT_EQ(Record(file, 3), Record(sample, 1));
    EXPECT_EQ(Record(file, 1), Record(sample, 2));
    EXPECT_EQ(Record(file, 10), Record(sample, 10));
    EXPECT_EQ(OutsideChannels(file), OutsideChannels(sample));
    EXPECT_EQ(Backups("*-file.dat").size(), 1);
    r = Ctl({"show", Path("a.dat"), "--format", "csv"});
    EXPECT_NE(r.out.find("\n3,230.125,235.000,P3,2400,"), std::string::npos) << r.out;

    // Channel 10 to the end; an insert would then push it off, and is refused.
    ASSERT_EQ(Ctl({"edit", Path("a.dat"), "--move", "10:16", "--config", ini}).code, 0);
    const std::vector<std::uint8_t> full = Read("a.dat");
    EXPECT_EQ(Record(full, 16), Record(sample, 10));
    r = Ctl({"edit", Path("a.dat"), "--insert", "5", "--config", ini});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("channel 16 is not empty"), std::string::npos) << r.err;
    EXPECT_EQ(Read("a.dat"), full);

    ASSERT_EQ(Ctl({"edit", Path("a.dat"), "--delete", "1-2", "--config", ini}).code, 0);
    ASSERT_EQ(Ctl({"edit", Path("a.dat"), "--insert", "1", "--config", ini}).code, 0);
    r = Ctl({"show", Path("a.dat"), "--format", "csv"});
    EXPECT_NE(r.out.find("\n1,,,,,,\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n2,230.125,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n15,224.500,"), std::string::npos) << r.out;

    ASSERT_EQ(Ctl({"edit", Path("a.dat"), "--sort", "rx", "--config", ini}).code, 0);
    r = Ctl({"show", Path("a.dat"), "--format", "csv"});
    EXPECT_NE(r.out.find("\n1,224.500,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n2,230.125,"), std::string::npos) << r.out;
    ASSERT_EQ(Ctl({"edit", Path("a.dat"), "--sort", "dataVoice", "--config", ini}).code, 0);
    r = Ctl({"show", Path("a.dat"), "--format", "csv"});
    EXPECT_NE(r.out.find("\n1,224.500,224.500,P1,4800,关"), std::string::npos) << r.out;
    const std::vector<std::uint8_t> sorted = Read("a.dat");
    // Settings, header and spare bytes as they were; the same channels give the same sum.
    EXPECT_EQ(OutsideChannels(sorted), OutsideChannels(sample));
    EXPECT_EQ(sorted.back(), sample.back());

    for (const QStringList& bad : {QStringList{"--move", "0:3"},
                                   {"--move", "3"},
                                   {"--move", "3:17"},
                                   {"--insert", "17"},
                                   {"--delete", "4-2"},
                                   {"--delete", "x"},
                                   {"--sort", "channel"},
                                   {"--sort", "freq"},
                                   {"--delete", "1", "--insert", "2"},
                                   {"--insert", "2", "--descending"},
                                   {}}) {
        r = Ctl(QStringList{"edit", Path("a.dat")} + bad);
        EXPECT_EQ(r.code, 1) << bad.join(' ').toStdString();
        EXPECT_NE(r.err.find("usage: orvelctl edit"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Ctl({"edit", Path("a.txt"), "--insert", "1"}).code, 1);
    EXPECT_EQ(Ctl({"edit", Path("missing.dat"), "--insert", "1"}).code, 3);
    EXPECT_EQ(Read("a.dat"), sorted);
}

TEST_F(Cli, EditPutsChannelsWhereNamedOrNowhereAndSortsEitherWay) {
    const QString ini = Path("orvel.ini");
    MemoryImage image = StartupImage();
    ChannelTable table = EmptyChannelTable();
    table[2] = {ChannelLabel(3), "225.000", "225.000", "P1", "1200", "关", "L1"};
    table[6] = {ChannelLabel(7), "231.000", "231.000", "P2", "2400", "开", "L2"};
    table[11] = {ChannelLabel(12), "228.000", "228.000", "P3", "4800", "关", "L3"};
    EncodeImage(table, RadioSettings{1, 1, 0, 1, 2, 1, 1, 0, 1, 1, 3, 4}, image);
    const std::vector<std::uint8_t> sample = ChannelFileBytes(image);
    Write("a.dat", sample);

    // A block that cannot start at the place named once went, silently, where it fitted.
    for (const char* move : {"2-4:15", "14-16:15", "1-16:2"}) {
        const Result r = Ctl({"edit", Path("a.dat"), "--move", move, "--config", ini});
        EXPECT_EQ(r.code, 1) << move;
        EXPECT_NE(r.err.find("usage: orvelctl edit"), std::string::npos) << r.err;
        EXPECT_EQ(Read("a.dat"), sample) << move;
    }
    const Result refused = Ctl({"edit", Path("a.dat"), "--move", "2-4:15", "--config", ini});
    EXPECT_NE(refused.err.find("orvelctl: channels 2-4 cannot start at 15: the block would run "
                               "past channel 16 (it can start at 14 at the latest)\n"),
              std::string::npos)
        << refused.err;
    EXPECT_TRUE(Backups("*-file*").isEmpty());
    ASSERT_EQ(Ctl({"edit", Path("a.dat"), "--move", "2-4:14", "--config", ini}).code, 0);
    std::vector<std::uint8_t> file = Read("a.dat");
    EXPECT_EQ(Record(file, 15), Record(sample, 3));
    EXPECT_EQ(Record(file, 4), Record(sample, 7));

    // The highest first; the channels without a receive frequency stay after them, in order.
    Write("a.dat", sample);
    ASSERT_EQ(Ctl({"edit", Path("a.dat"), "--sort", "rx", "--descending", "--config", ini}).code,
              0);
    file = Read("a.dat");
    EXPECT_EQ(Record(file, 1), Record(sample, 7));
    EXPECT_EQ(Record(file, 2), Record(sample, 12));
    EXPECT_EQ(Record(file, 3), Record(sample, 3));
    for (int n = 4; n <= 16; ++n)
        EXPECT_EQ(Record(file, n), Record(sample, 1)) << n;
    EXPECT_EQ(OutsideChannels(file), OutsideChannels(sample));
    ASSERT_EQ(Ctl({"edit", Path("a.dat"), "--sort", "power", "--config", ini}).code, 0);
    file = Read("a.dat");
    EXPECT_EQ(Record(file, 1), Record(sample, 3));
    EXPECT_EQ(Record(file, 3), Record(sample, 12));
}

TEST_F(Cli, OnlyRegularFilesAreWrittenAndATraceIsNeverThePort) {
    Write("a.dat", ChannelFileBytes(SampleImage()));
    ASSERT_EQ(::mkfifo(Path("fifo.dat").toLocal8Bit().constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(Path("fifo.dat"), Path("link.dat")));
    StartSim();
    ASSERT_TRUE(QFile::link(Radio(), Path("terminal.dat")));  // a terminal device
    for (const QStringList& command :
         {QStringList{"convert", Path("a.dat"), Path("fifo.dat")},
          QStringList{"convert", Path("a.dat"), Path("link.dat")},
          QStringList{"convert", Path("a.dat"), Path("terminal.dat")},
          QStringList{"read", "--simulate", "--out", Path("link.dat")},
          QStringList{"read", "--simulate", "--trace", Path("fifo.dat")},
          QStringList{"write", "--port", Radio(), Path("a.dat"), "--trace", Radio()}}) {
        const Result r = Ctl(command);  // a FIFO without a reader once blocked for ever
        EXPECT_EQ(r.code, 3) << command.join(' ').toStdString() << r.err;
        EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
    }
    EXPECT_TRUE(StopSim().empty());  // nothing went down the line
    // The window's report goes into a regular file only.
    ASSERT_EQ(::mkfifo(Path("report.pdf").toLocal8Bit().constData(), 0600), 0);
    QProcess window;
    QProcessEnvironment offscreen = env_;
    offscreen.insert("QT_QPA_PLATFORM", "offscreen");
    window.setProcessEnvironment(offscreen);
    window.start(ORVELTOOL_PATH, {"--report-pdf", Path("report.pdf")});
    ASSERT_TRUE(window.waitForFinished(30000));
    EXPECT_EQ(window.exitCode(), 3);
    EXPECT_NE(window.readAllStandardError().indexOf("a named pipe, not a regular file"), -1);
    struct stat status {};
    ASSERT_EQ(::stat(Path("fifo.dat").toLocal8Bit().constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    // A link to a regular file still works, and replaces the file it names.
    Write("real.dat", std::string("old"));
    ASSERT_TRUE(QFile::link(Path("real.dat"), Path("real-link.dat")));
    EXPECT_EQ(Ctl({"convert", Path("a.dat"), Path("real-link.dat")}).code, 0);
    EXPECT_EQ(Read("real.dat"), ChannelFileBytes(SampleImage()));
    EXPECT_TRUE(QFileInfo(Path("real-link.dat")).isSymLink());
}

// ulimit -f once killed a write halfway (SIGXFSZ) and left a convert's temporary file behind.
TEST_F(Cli, AFileSizeLimitStopsTheTraceAndNeverTheWrite) {
    constexpr rlim_t kLimit = 2048;
    Write("a.dat", ChannelFileBytes(SampleImage()));
    StartSim();
    Result r = Ctl({"write", "--port", Radio(), Path("a.dat"), "--config", Path("orvel.ini"),
                    "--trace", Path("t.txt")},
                   kLimit);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("***正确写入数据***"), std::string::npos) << r.err;
    const std::string stopped = "orvelctl: the trace stopped: " + Path("t.txt").toStdString() +
                                ": " + std::strerror(EFBIG) + "\n";
    EXPECT_NE(r.err.find(stopped), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("the trace stopped"), r.err.rfind("the trace stopped")) << r.err;
    EXPECT_EQ(StopSim().size(), 67u);

    // A list of copies past the limit: the copy is kept, the write goes on.
    std::string list;
    for (int i = 2; i < 200; ++i) {
        const QString name = QString("20200101-000000-read-%1.dat").arg(i);
        Write("data/OrvelTool/backups/" + name, std::string("x"));
        const auto ticks =
            std::filesystem::last_write_time(Path("data/OrvelTool/backups/" + name).toStdString());
        list += name.toStdString() + "\t" + std::to_string(ticks.time_since_epoch().count()) + "\n";
    }
    ASSERT_GT(list.size(), 4 * kLimit);
    Write("data/OrvelTool/backups/.copies", list);
    StartSim();
    r = Ctl({"write", "--port", Radio(), Path("a.dat"), "--config", Path("orvel.ini")}, kLimit);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(StopSim().size(), 67u);
    EXPECT_EQ(Backups("*-write.dat").size(), 2);

    // A file that would grow past the limit is refused whole, with nothing left beside it.
    ASSERT_GT(JsonOf(SampleImage()).size(), kLimit);
    Write("keep.json", std::string("{}"));
    r = Ctl({"convert", Path("a.dat"), Path("keep.json"), "--config", Path("orvel.ini")}, kLimit);
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find(std::strerror(EFBIG)), std::string::npos) << r.err;
    EXPECT_EQ(Read("keep.json").size(), 2u);
    EXPECT_EQ(QDir(dir_.path()).entryList({".keep.json*"}, QDir::Hidden | QDir::Files),
              QStringList{});
}

// convert X.dat X.json, then X.json Y.dat gives X's bytes again, or the first convert writes
// nothing and names the cell: codes beyond the panel's items go through JSON and CSV; an erased
// image's channels are no frequencies.
TEST_F(Cli, AConvertedFileReadsBackAsItsBytesOrIsNotWritten) {
    MemoryImage odd = StartupImage();
    EncodeImage(EmptyChannelTable(), RadioSettings{}, odd);
    const ChannelRecord records[] = {{0x23, 0x01, 0x25, 0x0A, 0x23, 0x01, 0x25, 0x86 | 0x10},
                                     {0x23, 0x01, 0x25, 0x0F, 0x23, 0x01, 0x25, 0x87 | 0x70}};
    for (std::size_t i = 0; i < std::size(records); ++i)
        std::copy(records[i].begin(), records[i].end(),
                  odd.begin() + layout::ChannelOffset(int(i)));
    odd[layout::kChecksum] = ImageChecksum(odd);
    Write("odd.dat", ChannelFileBytes(odd));
    for (const QString kind : {"json", "csv"}) {
        const QString text = Path("odd." + kind);
        const QString back = Path("back-" + kind + ".dat");
        Result r = Ctl({"convert", Path("odd.dat"), text, "--config", Path("orvel.ini")});
        ASSERT_EQ(r.code, 0) << r.err;
        r = Ctl({"convert", text, back, "--config", Path("orvel.ini")});
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(Read("back-" + kind + ".dat"), Read("odd.dat")) << kind.toStdString();
    }

    MemoryImage erased;
    erased.fill(0xFF);
    erased[layout::kChecksum] = ImageChecksum(erased);
    Write("erased.dat", ChannelFileBytes(erased));
    Write("kept.csv", std::string("old"));
    for (const QString out : {"erased.json", "kept.csv"}) {
        const Result r =
            Ctl({"convert", Path("erased.dat"), Path(out), "--config", Path("orvel.ini")});
        EXPECT_EQ(r.code, 3);
        EXPECT_NE(r.err.find(Path(out).toStdString() +
                             ": not written, as it would not read back: channel 1, column rx: "
                             "bytes FF FF FF show as an empty cell"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_FALSE(QFile::exists(Path("erased.json")));
    EXPECT_EQ(Read("kept.csv"), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_TRUE(Backups("*-file*").isEmpty());
}

// A proxy between orvelctl and the radio doubles the 65th acknowledgement; the radio refuses
// frame 66. The write once took the stray bytes for frame 66's answer and said 正确写入数据.
TEST_F(Cli, AStrayAcknowledgementNeverAnswersALaterFrame) {
    Write("a.dat", ChannelFileBytes(SampleImage()));
    sim::VirtualRadio radio(sim::VirtualRadio::DefaultImage(), {.nakWriteFrame = 66});
    ASSERT_TRUE(radio.Start());
    testing::ByteProxy proxy(radio.DevicePath(),
                             testing::AddAfter(65 * 3, {kAck.begin(), kAck.end()}));
    const QString port = QString::fromStdString(proxy.DevicePath());
    const Result r = Ctl({"write", "--port", port, Path("a.dat"), "--config", Path("orvel.ini")});
    EXPECT_EQ(r.code, 2) << r.err;
    EXPECT_EQ(r.err.find("正确写入数据"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("the radio did not accept frame 66 of 67 (settings words)"),
              std::string::npos)
        << r.err;
}

// A trace once appended itself to the file the command read, or lost itself in --out.
TEST_F(Cli, ATraceIsNoneOfTheCommandsOwnFiles) {
    const std::vector<std::uint8_t> dat = ChannelFileBytes(SampleImage());
    Write("v.dat", dat);
    Write("v.json", JsonOf(SampleImage()));
    ASSERT_TRUE(QDir(dir_.path()).mkdir("sub"));
    ASSERT_TRUE(QFile::link(Path("v.dat"), Path("link.dat")));
    ASSERT_EQ(::link(QFile::encodeName(Path("v.dat")), QFile::encodeName(Path("hard.dat"))), 0);
    const QString ini = Path("orvel.ini");
    // The INI read without --config: the user's, as none stands beside the program.
    OwnProgramFolder();
    const QString userIni = Path("config/OrvelTool/OrvelTool.ini");
    ASSERT_TRUE(QDir(dir_.path()).mkpath("config/OrvelTool"));
    Write("config/OrvelTool/OrvelTool.ini", std::string("[Set]\nMin=223\n"));
    const std::vector<std::uint8_t> iniBytes = Read("orvel.ini");
    for (const QStringList& command : {
             QStringList{"write", "--simulate", Path("v.dat"), "--trace", Path("v.dat")},
             QStringList{"write", "--simulate", Path("v.dat"), "--trace", Path("sub/../v.dat")},
             QStringList{"write", "--simulate", Path("v.dat"), "--trace", Path("link.dat")},
             QStringList{"write", "--simulate", Path("v.dat"), "--trace", Path("hard.dat")},
             QStringList{"write", "--simulate", Path("v.dat"), "--trace", userIni},
             QStringList{"write", "--simulate", Path("v.dat"), "--config", ini, "--trace", ini},
             QStringList{"diff", Path("v.json"), "--simulate", "--trace", Path("v.json")},
             QStringList{"read", "--simulate", "--out", Path("x.dat"), "--trace", Path("x.dat")},
         }) {
        const Result r = Ctl(command);
        EXPECT_EQ(r.code, 3) << command.join(' ').toStdString() << r.err;
        EXPECT_NE(r.err.find("a file of the command itself"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Read("v.dat"), dat);
    EXPECT_EQ(Read("v.json").size(), JsonOf(SampleImage()).size());
    EXPECT_EQ(Read("orvel.ini"), iniBytes);
    EXPECT_EQ(Read("config/OrvelTool/OrvelTool.ini").size(), 14u);
    EXPECT_FALSE(QFile::exists(Path("x.dat")));
    // One beside the program is read first, and is as much the command's own.
    Write("bin/OrvelTool.ini", std::string("[Set]\nMin=223\n"));
    EXPECT_EQ(Ctl({"read", "--simulate", "--trace", Path("bin/OrvelTool.ini")}).code, 3);
    EXPECT_EQ(Ctl({"read", "--simulate", "--trace", userIni}).code, 0);
    EXPECT_EQ(Read("bin/OrvelTool.ini").size(), 14u);
    // A file of its own still takes the trace.
    EXPECT_EQ(Ctl({"write", "--simulate", Path("v.dat"), "--trace", Path("t.txt")}).code, 0);
    EXPECT_GT(Read("t.txt").size(), 66u * 8u);
}

// Names once went to stderr as they were: an escape sequence reached the terminal, a newline
// split a port's [DEV] prefix, and a name of any length was printed whole.
TEST_F(Cli, NamesOnStderrAreEscapedAndBounded) {
    Write("a.dat", ChannelFileBytes(SampleImage()));
    const std::string deep = dir_.path().toStdString() + "/" + std::string(200, 'd') + "/" +
                             std::string(200, 'e') + "/x.dat";
    for (const QStringList& command : {
             QStringList{"show", "nope\x1b]0;PWNED\x07.dat"},
             QStringList{"read", "--port", "/dev/x\x1b[2J"},
             QStringList{"convert", Path("a.dat"), "x\x1b[2J.txt"},
             QStringList{"write", Path("a.dat"), "--port", "/dev/a\nb", "--port", "/dev/c\x1b"},
             QStringList{"show", QString::fromStdString(deep)},
         }) {
        const Result r = Ctl(command);
        SCOPED_TRACE(command.join(' ').toStdString());
        EXPECT_NE(r.code, 0);
        EXPECT_EQ(r.err.find_first_of("\x1b\x07"), std::string::npos) << r.err;
        std::istringstream lines(r.err);
        for (std::string line; std::getline(lines, line);) {
            EXPECT_TRUE(line.starts_with("orvelctl: ") || line.starts_with("[/dev/") ||
                        line.starts_with("usage:") || line.starts_with(" "))
                << line;
            EXPECT_LT(line.size(), 4 * kMessageLength) << line;
        }
    }
    EXPECT_NE(Ctl({"show", "nope\x1b]0;PWNED\x07.dat"}).err.find("nope\\x1B]0;PWNED\\x07.dat"),
              std::string::npos);
}

// Limits that bite at random places of every file a run writes (its trace, a copy, the list of
// copies, its output): no run is ended by the limit, and none leaves a temporary file behind.
TEST_F(Cli, StressRandomFileSizeLimitsEndNoRunHalfway) {
    Write("a.dat", ChannelFileBytes(SampleImage()));
    std::mt19937 random(2);
    for (int run = 0; run < 6; ++run) {
        const rlim_t limit = 1 + random() % 7000;
        SCOPED_TRACE("limit " + std::to_string(limit));
        for (const QStringList& command : {
                 QStringList{"read", "--simulate", "--out", Path("x.dat"), "--trace",
                             Path("r.txt")},
                 QStringList{"convert", Path("a.dat"), Path("x.json"), "--config",
                             Path("orvel.ini")},
                 QStringList{"write", "--simulate", Path("a.dat"), "--trace", Path("w.txt")},
             }) {
            const Result r = Ctl(command, limit);
            ASSERT_TRUE(r.code == 0 || r.code == 3) << command.join(' ').toStdString() << r.err;
            if (command[0] == "write") {
                EXPECT_NE(r.err.find("***正确写入数据***"), std::string::npos) << r.err;
            }
            if (command[0] == "convert" && r.code == 0) {
                EXPECT_EQ(Read("x.json").size(), JsonOf(SampleImage()).size());
            }
        }
        for (const QString& folder : {dir_.path(), Path("data/OrvelTool/backups")}) {
            EXPECT_EQ(QDir(folder).entryList({".*tmp*"}, QDir::Hidden | QDir::Files), QStringList{})
                << folder.toStdString();
        }
    }
}

TEST_F(Cli, FileNamesAreTheBytesGiven) {
    // Latin-1 and invalid UTF-8 names, given through a shell as raw bytes.
    Write("a.dat", ChannelFileBytes(SampleImage()));
    Write("a.json", JsonOf(SampleImage()));
    QProcess shell;
    shell.setProcessEnvironment(env_);
    shell.setWorkingDirectory(dir_.path());
    const QString ctl = QStringLiteral(ORVELCTL_PATH);
    shell.start("/bin/sh", {"-c",
                            "\"$0\" convert a.json \"$(printf 'x\\351.dat')\" &&"
                            "\"$0\" convert a.dat \"$(printf 'bad\\377.dat')\" &&"
                            "\"$0\" diff a.dat \"$(printf 'bad\\377.dat')\" &&"
                            "\"$0\" diff \"$(printf 'x\\351.dat')\" a.json",
                            ctl});
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path().toStdString()))
        names.insert(entry.path().filename().string());
    EXPECT_TRUE(names.count("x\xe9.dat")) << "no file named x\\xe9.dat";
    EXPECT_TRUE(names.count("bad\xff.dat")) << "no file named bad\\xff.dat";

    // Each byte that is no part of UTF-8 comes back as it was given; UTF-8 stays text.
    const char* given[] = {"orvelctl", "x\xe9.dat",        "bad\xff\xfe.dat",
                           "信道.dat", "\xed\xa0\x80\xc3", "\xf0\x9f\x93\xbb.dat"};
    const QStringList arguments = cli::ProgramArguments(6, const_cast<char**>(given));
    ASSERT_EQ(arguments.size(), 6);
    EXPECT_EQ(arguments[3], QStringLiteral("信道.dat"));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(cli::PathArgument(arguments[i]), given[i]) << i;
}

TEST_F(Cli, ClassicTimingSendsTheSameFrames) {
    Write("sample.dat", ChannelFileBytes(SampleImage()));
    std::vector<std::vector<RadioFrame>> sent;
    for (const QStringList& extra : {QStringList{}, QStringList{"--classic-timing"}}) {
        StartSim();
        const Result r = Ctl(QStringList{"write", "--port", Radio(), Path("sample.dat"), "--config",
                                         Path("orvel.ini")} +
                             extra);
        EXPECT_EQ(r.code, 0) << r.err;
        sent.push_back(StopSim());
    }
    EXPECT_EQ(sent[0].size(), 67u);
    EXPECT_EQ(sent[0], sent[1]);
}

}  // namespace
}  // namespace orvel
