// orvelctl's programming records end to end: the programs run as a technician runs them, on
// the built-in virtual radio or orvelsim, and the records read back with `orvelctl record`.
#ifndef _WIN32
#include <pwd.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#else
// The network headers below need winsock2.h before windows.h.
#include <winsock2.h>

#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>
#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <thread>
#include <tuple>

#include "channel_file.h"
#include "codec.h"
#include "file_access.h"
#include "record_environment.h"
#include "record_store.h"
#include "scratch_home.h"
#include "virtual_radio.h"

namespace orvel {
namespace {

using nlohmann::json;
using testing::Server;

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

// A plan unlike the virtual radio's own configuration, so a write changes something.
MemoryImage Plan() {
    MemoryImage image = StartupImage();
    ChannelTable table = EmptyChannelTable();
    table[0] = {ChannelLabel(1), "230.125", "235.000", "P3", "2400", "开", "L5"};
    EncodeImage(table, RadioSettings{1, 1, 0, 1, 2, 1, 1, 0, 1, 1, 3, 4}, image);
    return image;
}

// orvelsim stands behind a pseudo-terminal, which Windows has not.
#ifdef ORVELSIM_PATH
#define REQUIRE_ORVELSIM()
#else
#define ORVELSIM_PATH ""
#define REQUIRE_ORVELSIM() GTEST_SKIP() << "orvelsim needs a pseudo-terminal; Windows has none"
#endif

// The server's table space for the records runs full, and is freed again. As root a tmpfs of
// its own is the table space, filled to its last byte; elsewhere (and under wine, where the
// server is a Linux one out of reach) only root could mount one, so a trigger raises the
// server's own "disk full" error (53100) in its place.
class FullTableSpace {
public:
    explicit FullTableSpace(std::string database) : database_(std::move(database)) {}
    ~FullTableSpace() {
#ifndef _WIN32
        std::string error;
        if (mounted_) {
            Free();
            Server()->Admin({"ALTER TABLE orvel_records SET TABLESPACE pg_default"}, error,
                            Database());
            Server()->Admin({QString::fromStdString("DROP TABLESPACE " + Name())}, error);
            ::umount2(QFile::encodeName(Space()).constData(), MNT_DETACH);
        }
#endif
    }

    // Once the records' table is there.
    bool Prepare(std::string& error) {
#ifndef _WIN32
        const passwd* server = ::getpwnam("nobody");
        if (::geteuid() == 0 && server != nullptr && dir_.isValid() &&
            ::chown(QFile::encodeName(dir_.path()).constData(), server->pw_uid, server->pw_gid) ==
                0 &&
            QDir().mkpath(Space())) {
            const std::string options = "size=1m,mode=0700,uid=" + std::to_string(server->pw_uid) +
                                        ",gid=" + std::to_string(server->pw_gid);
            mounted_ = ::mount("tmpfs", QFile::encodeName(Space()).constData(), "tmpfs", 0,
                               options.c_str()) == 0;
        }
        if (mounted_) {
            // A tenth of each page filled: the next record needs a page the disk has not.
            return Server()->Admin(
                       {QString::fromStdString("CREATE TABLESPACE " + Name() + " LOCATION '") +
                        Space() + "'"},
                       error) &&
                   Server()->Admin({QString::fromStdString("ALTER TABLE orvel_records SET "
                                                           "TABLESPACE " +
                                                           Name()),
                                    "ALTER TABLE orvel_records SET (fillfactor = 10)"},
                                   error, Database());
        }
#endif
        return Server()->Admin(
            {"CREATE FUNCTION disk_full() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN RAISE "
             "EXCEPTION 'could not extend file: No space left on device' USING ERRCODE = "
             "'53100'; END$$"},
            error, Database());
    }

    bool Fill() {
        std::string error;
        if (!mounted_) {
            return Server()->Admin({"CREATE TRIGGER disk_full BEFORE INSERT ON orvel_records FOR "
                                    "EACH ROW EXECUTE FUNCTION disk_full()"},
                                   error, Database());
        }
        QFile filler(Space() + "/filler");
        if (!filler.open(QIODevice::WriteOnly))
            return false;
        const QByteArray block(4096, '\0');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        return true;
    }

    void Free() {
        std::string error;
        if (mounted_)
            QFile::remove(Space() + "/filler");
        else
            Server()->Admin({"DROP TRIGGER IF EXISTS disk_full ON orvel_records"}, error,
                            Database());
    }

private:
    QString Space() const {
        return dir_.filePath(QStringLiteral("space"));
    }
    QString Database() const {
        return QString::fromStdString(database_);
    }
    std::string Name() const {
        return "full_" + database_;
    }

    std::string database_;
    QTemporaryDir dir_;
    bool mounted_ = false;
};

// A run still going: what it printed so far, and a wait for more.
struct Running {
    std::unique_ptr<QProcess> process;
    std::string out;
    std::string err;

    // True once the output (or the error output) holds `text` `times` times.
    bool Until(const std::string& text, bool onErr = false, std::size_t times = 1) {
        const std::string& stream = onErr ? err : out;
        auto seen = [&] {
            std::size_t found = 0;
            for (auto at = stream.find(text); at != std::string::npos;
                 at = stream.find(text, at + 1)) {
                ++found;
            }
            return found >= times;
        };
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!seen() && std::chrono::steady_clock::now() < deadline) {
            process->waitForReadyRead(100);
            out += process->readAllStandardOutput().toStdString();
            err += process->readAllStandardError().toStdString();
        }
        return seen();
    }
};

class RecordCli : public ScratchHome {
protected:
    void SetUp() override {
        ScratchHome::SetUp();
        SetAside(LocalData(), Path("set-aside"));
        Write("orvel.ini", "[Set]\nMin=223\nMax=235\nStation=bench-7\nOperator=wang\n");
        Write("plan.dat", ChannelFileBytes(Plan()));
    }
    void TearDown() override {
        for (auto& sim : sims_) {
            sim->kill();
            sim->waitForFinished();
        }
        SetAside(Path("set-aside"), LocalData());
    }

    // Where orvelctl keeps records and safety copies. On Windows no environment variable moves
    // that folder off the user's own, so the user's records are set aside for each test.
    QString LocalData() const {
#ifdef _WIN32
        return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
#else
        return Path("data/OrvelTool");
#endif
    }
    // Moves the records and safety copies in `from` to `to`; what `to` held of them goes.
    static void SetAside(const QString& from, const QString& to) {
#ifdef _WIN32
        QDir().mkpath(to);
        for (const char* name : {"records.sqlite", "records.sqlite-wal", "records.sqlite-shm",
                                 "records.sqlite-journal", "backups"}) {
            QDir(to + "/" + name).removeRecursively();
            QFile::remove(to + "/" + name);
            QDir().rename(from + "/" + name, to + "/" + name);
        }
#else
        Q_UNUSED(from);
        Q_UNUSED(to);
#endif
    }
    QStringList Backups(const QString& pattern) const {
        return QDir(LocalData() + "/backups").entryList({pattern});
    }

    std::unique_ptr<QProcess> Start(const QStringList& arguments) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(env_);
#ifdef _WIN32
        // Without a console of its own: wine gives a run that gets a hidden one a console host
        // that can outlive it holding this suite's output open, and the suite never ends.
        process->setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* call) {
            call->flags = (call->flags & ~DWORD(CREATE_NO_WINDOW)) | DETACHED_PROCESS;
        });
#endif
        process->start(ORVELCTL_PATH, arguments);
        return process;
    }
    static Result Finish(QProcess& process) {
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                Lines(process.readAllStandardOutput()), Lines(process.readAllStandardError())};
    }
    // Windows' console ends lines with CR LF; what the lines say is compared.
    static std::string Lines(QByteArray text) {
#ifdef _WIN32
        text.replace("\r\n", "\n");
#endif
        return text.toStdString();
    }
    Result Ctl(const QStringList& arguments, const QByteArray& input = {}) {
        auto process = Start(arguments);
        if (!input.isNull())
            process->write(input);
        process->closeWriteChannel();
        return Finish(*process);
    }
    Result Record(const QStringList& arguments) {
        return Ctl(QStringList{"record"} + arguments + QStringList{"--config", Path("orvel.ini")});
    }
    std::vector<json> Records(const QStringList& filter = {}) {
        const Result r = Record(QStringList{"list", "--format", "json"} + filter);
        EXPECT_EQ(r.code, 0) << r.err;
        const json list = json::parse(r.out.empty() ? "[]" : r.out);
        return {list.begin(), list.end()};
    }

    // An orvelsim behind Path(name), ready once it printed its link.
    QProcess& StartSim(const QString& name, const QStringList& faults = {}) {
        sims_.push_back(std::make_unique<QProcess>());
        QProcess& sim = *sims_.back();
        sim.setProcessEnvironment(env_);
        sim.start(ORVELSIM_PATH, QStringList{"--link", Path(name)} + faults);
        for (QByteArray line; line.trimmed() != Path(name).toUtf8();) {
            if (!sim.canReadLine() && !sim.waitForReadyRead(5000)) {
                ADD_FAILURE() << "no orvelsim";
                break;
            }
            line = sim.readLine();
        }
        return sim;
    }

    QString RecordFile() const {
        return LocalData() + "/records.sqlite";
    }

    // orvelsim takes its radio off the cable, or puts the next one on.
    static void TakeOff(QProcess& sim) {
#ifndef _WIN32
        ::kill(static_cast<pid_t>(sim.processId()), SIGUSR1);
#else
        Q_UNUSED(sim);
#endif
    }

    std::vector<std::unique_ptr<QProcess>> sims_;
};

// A spreadsheet would run it; the CSV keeps it text.
const std::string kFormulaUnit = "=HYPERLINK(\"http://x.example\",\"SN 7\")";

TEST_F(RecordCli, EveryReadAndWriteIsOneRecordThatListAndShowFind) {
    const QString ini = Path("orvel.ini");
    const Result read = Ctl({"read", "--simulate", "--config", ini, "--unit",
                             QString::fromStdString(kFormulaUnit), "--out", Path("old.dat")});
    ASSERT_EQ(read.code, 0) << read.err;
    const Result write = Ctl({"write", Path("plan.dat"), "--simulate", "--config", ini, "--verify",
                              "--read-first", "--unit", "SN-8", "--operator", "zhao"});
    ASSERT_EQ(write.code, 0) << write.err;
    EXPECT_EQ(Backups("*-before.dat").size(), 1);
    const Result refused =
        Ctl({"write", Path("plan.dat"), "--port", Path("absent"), "--config", ini});
    EXPECT_EQ(refused.code, 4);

    const std::vector<json> records = Records();
    ASSERT_EQ(records.size(), 3u);
    const json& failed = records[0];
    EXPECT_EQ(failed["exit_class"], "port");
    EXPECT_EQ(failed["outcome"], "no such port");
    EXPECT_EQ(failed["port"], Path("absent").toStdString());
    const json& written = records[1];
    EXPECT_EQ(written["action"], "write");
    EXPECT_EQ(written["station"], "bench-7");
    EXPECT_EQ(written["operator_name"], "zhao");
    EXPECT_EQ(written["port"], "virtual radio");
    EXPECT_EQ(written["radio_id"], "ORVEL-R1");
    EXPECT_EQ(written["plan_file"], "plan.dat");
    EXPECT_EQ(written["verified"], true);
    const MemoryImage plan = Plan();
    const std::string planSha =
        QCryptographicHash::hash(QByteArray(reinterpret_cast<const char*>(plan.data()), 260),
                                 QCryptographicHash::Sha256)
            .toHex()
            .toStdString();
    EXPECT_EQ(written["plan_sha256"], planSha);
    EXPECT_TRUE(written["before_image"].is_string());
    EXPECT_TRUE(written["after_image"].is_string());
    const json& first = records[2];
    EXPECT_EQ(first["action"], "read");
    EXPECT_EQ(first["unit"], kFormulaUnit) << "kept as given";
    EXPECT_EQ(first["operator_name"], "wang");
    EXPECT_EQ(first["plan_file"], "old.dat");
    EXPECT_EQ(first["before_image"], nullptr);
    // The SHA-256 is of the 260 bytes as read (a .dat file holds them masked).
    const QByteArray readBytes =
        QByteArray::fromHex(QByteArray::fromStdString(first["after_image"].get<std::string>()));
    EXPECT_EQ(readBytes.size(), 260);
    EXPECT_EQ(
        first["plan_sha256"],
        QCryptographicHash::hash(readBytes, QCryptographicHash::Sha256).toHex().toStdString());

    const Result list = Record({"list", "--unit", QString::fromStdString(kFormulaUnit)});
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(list.out, first["started_utc"].get<std::string>() + "\t" +
                            first["id"].get<std::string>() + "\tread\t" + kFormulaUnit +
                            "\tORVEL-R1\told.dat\tok\n");
    EXPECT_EQ(Records({"--limit", "1"})[0]["id"], failed["id"]) << "the newest";
    EXPECT_EQ(Records({"--plan", QString::fromStdString(planSha)}).size(), 1u);
    // A plan named by a file that exists is its content, as show prints it; one of no file is
    // the file name.
    const Result shown = Ctl({"show", Path("plan.dat")});
    EXPECT_NE(shown.out.find("\nplan sha256: " + planSha + "\n"), std::string::npos) << shown.out;
    EXPECT_EQ(Records({"--plan", Path("plan.dat")}).size(), 1u);
    EXPECT_EQ(Records({"--plan", Path("gone/plan.dat")}).size(), 2u);
    ASSERT_TRUE(QDir().mkpath(Path("old")));
    ASSERT_TRUE(QFile::copy(Path("old.dat"), Path("old/plan.dat")));
    const std::vector<json> sameName = Records({"--plan", Path("old/plan.dat")});
    ASSERT_EQ(sameName.size(), 1u);
    EXPECT_EQ(sameName[0]["id"], first["id"]);
    // A start of it, from 8 digits on; a shorter one is a name.
    EXPECT_EQ(Records({"--plan", QString::fromStdString(planSha.substr(0, 8)).toUpper()}).size(),
              1u);
    EXPECT_EQ(Records({"--plan", QString::fromStdString(planSha.substr(0, 7))}).size(), 0u);
    EXPECT_EQ(Records({"--station", "bench-7", "--since", "2999-01-01"}).size(), 0u);

    const Result show =
        Record({"show", QString::fromStdString(written["id"].get<std::string>().substr(0, 8))});
    ASSERT_EQ(show.code, 0) << show.err;
    EXPECT_NE(show.out.find("result: verified\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("changes (before -> after):\nchannel 1 rx: "), std::string::npos)
        << show.out;

    const Result exported = Record({"export", Path("records.csv"), "--unit", "SN-8"});
    ASSERT_EQ(exported.code, 0) << exported.err;
    const std::vector<std::uint8_t> csv = Read("records.csv");
    const std::string text(csv.begin(), csv.end());
    EXPECT_TRUE(text.starts_with("id,started_utc,ended_utc,station,operator_name,")) << text;
    EXPECT_NE(text.find(written["id"].get<std::string>()), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    ASSERT_EQ(Record({"export", Path("formula.csv")}).code, 0);
    const std::vector<std::uint8_t> formula = Read("formula.csv");
    EXPECT_NE(std::string(formula.begin(), formula.end())
                  .find(",\"'=HYPERLINK(\"\"http://x.example\"\",\"\"SN 7\"\")\","),
              std::string::npos);

    // A label with controls, as another program may have kept it: text shows each escaped.
    const std::string awkward = "SN \"7\"\n\x1B[31m\xC2\x9B[2J";
    auto store = RecordStore::OpenFile(RecordFile().toStdString(), false);
    ASSERT_TRUE(store) << store.error();
    ASSERT_TRUE(testing::Ok((*store)->Insert(testing::SampleRecord(awkward))));
    const Result escaped = Record({"list", "--unit", QString::fromStdString(awkward)});
    EXPECT_NE(escaped.out.find("\tSN \"7\"\\n\\x1B[31m\\u009B[2J\tORVEL-R1\t"), std::string::npos)
        << escaped.out;
    const Result awkwardShown =
        Record({"show", QString::fromStdString(Records({"--limit", "1"})[0]["id"])});
    EXPECT_NE(awkwardShown.out.find("unit: SN \"7\"\\n\\x1B[31m\\u009B[2J\n"), std::string::npos)
        << awkwardShown.out;
    EXPECT_EQ(Record({"list", "--format", "json"}).out.find_first_of("\x1B\xC2"),
              std::string::npos);
    // Two plans sharing a start: it names neither. A unit a spreadsheet would run stays text.
    for (const char last : {'0', '1'}) {
        ProgrammingRecord twin = testing::SampleRecord("@SUM(1+1)");
        twin.planSha256 = std::string(63, 'a') + last;
        ASSERT_TRUE(testing::Ok((*store)->Insert(twin)));
    }
    EXPECT_EQ(Record({"list", "--plan", "aaaaaaaa"}).code, 3);
    ASSERT_EQ(Record({"export", Path("twins.csv"), "--unit", "@SUM(1+1)"}).code, 0);
    const std::vector<std::uint8_t> twins = Read("twins.csv");
    EXPECT_NE(std::string(twins.begin(), twins.end()).find(",'@SUM(1+1),"), std::string::npos);

    // A label or name that is no label, and a page of no records, are usage errors: the radio
    // is not asked, and no record is kept.
    const std::size_t kept = Records().size();
    for (const QStringList& refused :
         {QStringList{"--unit", QString(201, 'x')}, QStringList{"--unit", "SN\t7"},
          QStringList{"--unit", "SN\x7F"},
          QStringList{"--operator", QString::fromUtf8("li\xC2\x9B")},
          QStringList{"--unit", QString::fromUtf8("单元") + QString(197, 'x')}}) {
        const Result r =
            Ctl(QStringList{"write", Path("plan.dat"), "--simulate", "--config", ini} + refused);
        EXPECT_EQ(r.code, 1) << refused.join(' ').toStdString();
        EXPECT_TRUE(r.err.starts_with("orvelctl: " + refused[0].toStdString() + " ")) << r.err;
        EXPECT_EQ(r.err.find("写入数据"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Records().size(), kept);
    EXPECT_EQ(Record({"list", "--limit", "0"}).code, 1);
    // A bad Station= or Operator= is left aside with a line and the record is kept all the
    // same; each key is checked on its own, so the good one is kept beside the bad.
    for (const auto& [ini, line, bad, good, kept] :
         {std::tuple{"Station=bench\t7\nOperator=zhao\n",
                     "Station= of the INI holds a control character (\\t); the host name",
                     "station", "operator_name", "zhao"},
          std::tuple{"Station=bench7\nOperator=li\x01\n",
                     "Operator= of the INI holds a control character (\\x01); the system user",
                     "operator_name", "station", "bench7"}}) {
        Write("tab.ini", std::string("[Set]\nMin=223\nMax=235\n") + ini);
        const Result tabbed = Ctl({"read", "--simulate", "--config", Path("tab.ini")});
        EXPECT_EQ(tabbed.code, 0);
        EXPECT_NE(tabbed.err.find(std::string("orvelctl: ") + line + " stands in\n"),
                  std::string::npos)
            << tabbed.err;
        const auto newest = Records({"--limit", "1"})[0];
        EXPECT_EQ(newest[good], kept) << ini;
        EXPECT_EQ(newest[bad].get<std::string>().find_first_of("\t\x01"), std::string::npos);
    }

    for (const QStringList& usage :
         {QStringList{"frobnicate"}, QStringList{"list", "--since", "yesterday"},
          QStringList{"list", "--format", "xml"}, QStringList{"export", Path("r.txt")},
          QStringList{"show"}, QStringList{"list", "--record", "postgresql://u:pw@h/db"}}) {
        const Result r = Record(usage);
        EXPECT_EQ(r.code, 1) << usage.join(' ').toStdString();
        EXPECT_EQ(r.err.find("pw@"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Record({"show", "ffffffff"}).code, 3);
}

TEST_F(RecordCli, EightRunsAtOnceKeepEveryRecord) {
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < 8; ++i) {
        runs.push_back(Start({"read", "--simulate", "--config", Path("orvel.ini"), "--unit",
                              "U" + QString::number(i)}));
    }
    for (auto& run : runs) {
        const Result r = Finish(*run);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err.find("programming record"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Records().size(), 8u);
}

TEST_F(RecordCli, ARunKilledAtAnyMomentLosesNoFinishedRecordAndNoPartOfACopy) {
    std::set<std::string> finished;
    for (int i = 0; i < 10; ++i) {
        const QString unit = "K" + QString::number(i);
        auto run = Start({"read", "--simulate", "--config", Path("orvel.ini"), "--unit", unit});
        if (i < 9 && !run->waitForFinished(50 * i + 1))
            run->kill();
        if (Finish(*run).code == 0)
            finished.insert(unit.toStdString());
    }
    std::set<std::string> listed;
    for (const json& record : Records())
        listed.insert(record["unit"].get<std::string>());
    EXPECT_TRUE(std::includes(listed.begin(), listed.end(), finished.begin(), finished.end()));
    EXPECT_TRUE(finished.contains("K9"));
    for (const QString& copy : Backups("*-read*.dat"))
        EXPECT_EQ(QFile(LocalData() + "/backups/" + copy).size(), QFile(Path("plan.dat")).size());
}

TEST_F(RecordCli, ARecordFileThatIsNoDatabaseChangesNoResultAndStaysAsItWas) {
    QDir().mkpath(LocalData());
    const std::string garbage(3000, '#');
    QFile file(Path("elsewhere"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(garbage.data(), static_cast<qint64>(garbage.size()));
    file.close();
    // The file itself, and (where the system has them) a link to a file outside the folder,
    // which once got the tables and the journal.
    std::vector<std::pair<QString, std::string>> cases{
        {RecordFile(), RecordFile().toStdString() + ": file is not a database"}};
#ifndef _WIN32
    cases.emplace_back(RecordFile() + "-wal", RecordFile().toStdString() +
                                                  "-wal: a symbolic link, which the records "
                                                  "never follow");
    cases.emplace_back(RecordFile(), RecordFile().toStdString() +
                                         ": a symbolic link, which the records never follow");
#endif
    for (const auto& [name, why] : cases) {
        QFile::remove(RecordFile());
        if (name == RecordFile() && why.ends_with("database"))
            ASSERT_TRUE(QFile::copy(Path("elsewhere"), name));
        else
            ASSERT_TRUE(QFile::link(Path("elsewhere"), name));
        const Result r = Ctl({"read", "--simulate", "--config", Path("orvel.ini")});
        EXPECT_EQ(r.code, 0);
        EXPECT_NE(r.err.find("orvelctl: the programming record "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(" is kept nowhere: " + why + "\n"), std::string::npos) << r.err;
        // Without the file there are no records to list yet.
        EXPECT_EQ(Record({"list"}).code, name == RecordFile() ? 3 : 0);
        QFile::remove(name);
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), garbage);
    EXPECT_EQ(QDir(dir_.path()).entryList({"elsewhere*"}), QStringList{"elsewhere"});
}

#ifndef _WIN32
TEST_F(RecordCli, WhatTheRunsMakeIsTheirOwnersAloneWhateverTheUmask) {
    Write("kept-trace.txt", std::string("an earlier trace\n"));
    QFile::setPermissions(Path("kept-trace.txt"), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ReadGroup | QFile::ReadOther);
    const mode_t umask = ::umask(0);
    const QString ini = Path("orvel.ini");
    const Result read = Ctl({"read", "--simulate", "--config", ini, "--trace", Path("trace.txt"),
                             "--out", Path("out.dat")});
    const Result write = Ctl({"write", Path("plan.dat"), "--simulate", "--config", ini,
                              "--read-first", "--trace", Path("kept-trace.txt")});
    const Result exported = Record({"export", Path("records.csv")});
    ::umask(umask);
    ASSERT_EQ(read.code + write.code + exported.code, 0) << read.err << write.err << exported.err;
    // The runs are over: SQLite's journal files are there again while a reader holds the file.
    QSqlDatabase reader = QSqlDatabase::addDatabase("QSQLITE", "reader");
    reader.setDatabaseName(RecordFile());
    ASSERT_TRUE(reader.open());
    EXPECT_TRUE(QSqlQuery("SELECT COUNT(*) FROM orvel_records", reader).next());
    const auto mode = [](const QString& path) {
        struct stat status {};
        return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 0777
                                                                         : 01000;
    };
    QStringList files{RecordFile(),      RecordFile() + "-wal", RecordFile() + "-shm",
                      Path("trace.txt"), Path("records.csv"),   LocalData() + "/backups/.copies"};
    for (const QString& copy : Backups("*.dat"))
        files << LocalData() + "/backups/" + copy;
    EXPECT_EQ(files.size(), 9);  // a read, a before and a write copy
    for (const QString& file : files)
        EXPECT_EQ(mode(file), 0600u) << file.toStdString();
    for (const QString& folder : {Path("data"), LocalData(), LocalData() + "/backups"})
        EXPECT_EQ(mode(folder), 0700u) << folder.toStdString();
    // A channel file is the user's document, and a trace that was there keeps its mode.
    EXPECT_EQ(mode(Path("out.dat")), 0666u);
    EXPECT_EQ(mode(Path("kept-trace.txt")), 0644u);
    reader.close();
    reader = QSqlDatabase();
    QSqlDatabase::removeDatabase("reader");
}
#endif

// Anyone who may open the folder of the safety copies can hold it: a write waits its turn
// a while, then stops before its first frame and says why.
TEST_F(RecordCli, AFolderHeldElsewhereStopsAWriteBeforeItsFirstFrame) {
    ASSERT_TRUE(QDir().mkpath(LocalData() + "/backups"));
    const FolderLock other(PathFromUtf8((LocalData() + "/backups").toStdString()));
    const auto started = std::chrono::steady_clock::now();
    const Result r = Ctl({"write", Path("plan.dat"), "--simulate", "--config", Path("orvel.ini"),
                          "--trace", Path("trace.txt"), "--unit", "SN-9"});
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(r.code, 3) << r.err;
    const std::string why = "the folder of the safety copies " +
                            (LocalData() + "/backups").toStdString() +
                            " is held by another program (waited 10 s); nothing is written to "
                            "the radio";
    EXPECT_TRUE(r.err.ends_with("orvelctl: " + why + "\n")) << r.err;
    EXPECT_GE(waited, std::chrono::seconds(10));
    EXPECT_LT(waited, std::chrono::seconds(20));
    const std::vector<std::uint8_t> trace = Read("trace.txt");
    EXPECT_EQ(std::string(trace.begin(), trace.end()).find("TX"), std::string::npos);
    const std::vector<json> records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]["exit_class"], "data");
    EXPECT_EQ(records[0]["outcome"], why);
}

TEST_F(RecordCli, EachRadioOfAFleetIsARecordOfItsOwn) {
    REQUIRE_ORVELSIM();
    StartSim("r1");
    StartSim("r2", {"--nak", "5"});
    const Result r = Ctl({"write", Path("plan.dat"), "--config", Path("orvel.ini"), "--port",
                          Path("r1"), "--port", Path("r2"), "--verify"});
    EXPECT_EQ(r.code, 2) << r.err;
    std::vector<json> records = Records();
    ASSERT_EQ(records.size(), 2u);
    std::sort(records.begin(), records.end(),
              [](const json& a, const json& b) { return a["port"] < b["port"]; });
    EXPECT_EQ(records[0]["port"], Path("r1").toStdString());
    EXPECT_EQ(records[0]["exit_class"], "ok");
    EXPECT_EQ(records[0]["verified"], true);
    EXPECT_EQ(records[0]["radio_id"], "ORVEL-R1");
    EXPECT_EQ(records[1]["exit_class"], "communication");
    EXPECT_EQ(records[1]["outcome"], "the radio did not accept frame 5 of 66 (channel words)");
    EXPECT_EQ(records[1]["verified"], false);
    EXPECT_EQ(records[1]["after_image"], nullptr);
}

TEST_F(RecordCli, TheProductionLineLabelsEachRadioAndLeavesOneHoldingThePlanAlone) {
    REQUIRE_ORVELSIM();
    // Radios put on the cable one after another; those with an odd number hold the plan.
    Write("other.dat", ChannelFileBytes(sim::VirtualRadio::DefaultImage()));
    QStringList radios;
    for (int n = 0; n < 6; ++n) {
        radios << "--image" << Path(n % 2 == 0 ? "plan.dat" : "other.dat") << "--id"
               << QStringLiteral("ORVEL-%1%2").arg(QChar('A' + n)).arg(n + 1);
    }
    QProcess& sim = StartSim("bench", radios);
    const QStringList line{"write",  Path("plan.dat"), "--config", Path("orvel.ini"),
                           "--port", Path("bench"),    "--verify", "--repeat"};
    // A label typed (or scanned) on stdin; without --skip-done a radio holding the plan is
    // written all the same.
    const Result asked = Ctl(line + QStringList{"--count", "1", "--unit", "ask"}, "SN-0\n");
    ASSERT_EQ(asked.code, 0) << asked.err;
    EXPECT_EQ(asked.out, "1\tORVEL-A1\tSN-0\tok\nradios: 1 ok, 0 failed\n");
    EXPECT_NE(asked.err.find("unit label of radio 1?"), std::string::npos) << asked.err;
    TakeOff(sim);

    // Each label belongs to the radio put on after it was taken: none is skipped before its
    // radio is on the cable, and each line names that radio.
    Write("units.txt", "SN-1\r\nSN-2\nSN-3\nSN-4\nSN-5\n");
    Running run{Start(line + QStringList{"--unit-list", Path("units.txt"), "--skip-done"}), {}, {}};
    for (std::size_t n = 1; n <= 5; ++n) {
        ASSERT_TRUE(run.Until("waiting for a radio", true, n)) << run.err;
        EXPECT_EQ(run.out.find("\tSN-" + std::to_string(n) + "\t"), std::string::npos) << n;
        TakeOff(sim);
        ASSERT_TRUE(run.Until("take it off the cable", true, n)) << run.err;
        TakeOff(sim);
    }
    const Result listed = Finish(*run.process);
    EXPECT_EQ(listed.code, 0) << run.err << listed.err;
    const std::string skipped = "skipped\talready holds this plan (read back)\n";
    EXPECT_EQ(run.out + listed.out,
              "1\tORVEL-B2\tSN-1\tok\n2\tORVEL-C3\tSN-2\t" + skipped +
                  "3\tORVEL-D4\tSN-3\tok\n4\tORVEL-E5\tSN-4\t" + skipped +
                  "5\tORVEL-F6\tSN-5\tok\nradios: 3 ok, 0 failed, 2 skipped\n");
    EXPECT_NE((run.err + listed.err).find("the unit list is used up"), std::string::npos);
    // The records name each unit's own radio: a write, or the read that found the plan there.
    for (int n = 1; n <= 5; ++n) {
        const std::vector<json> records = Records({"--unit", QStringLiteral("SN-%1").arg(n)});
        ASSERT_EQ(records.size(), 1u) << n;
        EXPECT_EQ(records[0]["radio_id"],
                  QStringLiteral("ORVEL-%1%2").arg(QChar('A' + n)).arg(n + 1).toStdString());
        EXPECT_EQ(records[0]["action"], n % 2 == 0 ? "read" : "write") << n;
        EXPECT_EQ(records[0]["before_image"].is_string(), n % 2 == 1) << n;  // the check's read
        EXPECT_EQ(records[0]["exit_class"], "ok") << n;
    }

    // One radio, one label: the same proof.
    TakeOff(sim);
    const Result single = Ctl({"write", Path("plan.dat"), "--config", Path("orvel.ini"), "--port",
                               Path("bench"), "--unit", "SN-5", "--skip-done"});
    EXPECT_EQ(single.code, 0) << single.err;
    EXPECT_EQ(single.out, Path("bench").toStdString() +
                              "\tskipped\tunit SN-5 already holds this plan (read back)\n");
    EXPECT_EQ(Records({"--unit", "SN-5"}).size(), 2u);
    // A read failing its checksum is no proof: that radio is written, its read the before
    // image; one whose read fails is not written.
    StartSim("odd", {"--image", Path("plan.dat"), "--bad-checksum"});
    StartSim("cut", {"--cut", "100"});
    for (const auto& [unit, code, action] :
         {std::tuple{"odd", 0, "write"}, std::tuple{"cut", 2, "read"}}) {
        const Result r = Ctl({"write", Path("plan.dat"), "--config", Path("orvel.ini"), "--port",
                              Path(unit), "--unit", unit, "--skip-done"});
        EXPECT_EQ(r.code, code) << r.err;
        const std::vector<json> records = Records({"--unit", unit});
        ASSERT_EQ(records.size(), 1u) << unit;
        EXPECT_EQ(records[0]["action"], action);
        EXPECT_EQ(records[0]["radio_id"], code == 0 ? json("ORVEL-R1") : json()) << unit;
        EXPECT_EQ(records[0]["before_image"].is_string(), code == 0) << unit;
    }

    for (const QStringList& usage : {QStringList{"--unit", "SN-1"}, QStringList{"--skip-done"},
                                     QStringList{"--unit-list", Path("none.txt")}}) {
        EXPECT_EQ(Ctl(line + usage).code, 1) << usage.join(' ').toStdString();
    }
}

#ifndef _WIN32  // under wine the server is started elsewhere, without a certificate of ours
TEST_F(RecordCli, ARecordToAnotherMachineIsEncryptedUnlessItsUrlSaysOtherwise) {
    REQUIRE_SERVER();
    if (Server()->Certificate().isEmpty())
        GTEST_SKIP() << "the server has no TLS here (openssl makes its certificate on Linux)";
    // The machine's own name stands for another machine: by name it is not the loopback.
    const std::string host = QSysInfo::machineHostName().toStdString();
    const std::string tls = testing::FreshDatabase();
    const std::string plain = testing::FreshDatabase();
    std::string error;
    ASSERT_TRUE(Server()->Allow({QString::fromStdString("hostnossl " + tls + " all all reject"),
                                 QString::fromStdString("hostssl " + plain + " all all reject")},
                                error))
        << error;
    env_.insert("PGPASSWORD", testing::kBenchPassword);
    auto url = [&](const std::string& database, const std::string& query) {
        return "postgresql://bench@" + host + ":" + std::to_string(Server()->port()) + "/" +
               database + query;
    };
    const struct {
        std::string url;
        bool rootCertificate;  // verify-full, which checks the server's name too
        std::string said;
    } cases[] = {
        {url(tls, ""), false, ""},
        {url(tls, ""), true, ""},
        {url(plain, ""), false, "waits in the outbox"},
        {url(plain, "?sslmode=disable"), false,
         "orvelctl: the records to " + host + " travel unencrypted (sslmode=disable in the URL)"},
    };
    QDir().mkpath(Path(".postgresql"));
    for (const auto& c : cases) {
        QFile::remove(Path(".postgresql/root.crt"));
        if (c.rootCertificate) {
            ASSERT_TRUE(QFile::copy(Server()->Certificate(), Path(".postgresql/root.crt")));
        }
        Write("shared.ini", "[Set]\nMin=223\nMax=235\nRecord=" + c.url + "\n");
        const Result r = Ctl({"read", "--simulate", "--config", Path("shared.ini")});
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err.find("programming record") != std::string::npos ||
                      r.err.find("unencrypted") != std::string::npos,
                  !c.said.empty())
            << c.url << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << c.url << r.err;
    }
    EXPECT_EQ(
        Server()->AdminValue("SELECT COUNT(*) FROM orvel_records", QString::fromStdString(tls)),
        "2");
    EXPECT_EQ(
        Server()->AdminValue("SELECT COUNT(*) FROM orvel_records", QString::fromStdString(plain)),
        "2");
}
#endif

TEST_F(RecordCli, TheSharedServerTakesRecordsAndTheOutboxSendsEachOnce) {
    REQUIRE_SERVER();
    const std::string database = testing::FreshDatabase();
    env_.insert("PGPASSWORD", testing::kBenchPassword);
    Write("orvel.ini", "[Set]\nMin=223\nMax=235\nRecord=" + Server()->Url("bench", database) +
                           "?sslmode=disable\n");
    const QStringList read{"read", "--simulate", "--config", Path("orvel.ini"), "--unit"};
    auto count = [&] {
        return Server()->AdminValue(
            "SELECT COUNT(DISTINCT id) || '/' || COUNT(*) FROM "
            "orvel_records",
            QString::fromStdString(database));
    };
    Result r = Ctl(read + QStringList{"A"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err.find("programming record"), std::string::npos) << r.err;
    EXPECT_EQ(count(), "1/1");

    // The server goes away between two radios: the second waits in the outbox.
    ASSERT_TRUE(Server()->Stop(true));
    r = Ctl(read + QStringList{"B"});
    std::string error;
    ASSERT_TRUE(Server()->Resume(error)) << error;
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.err.find("waits in the outbox " + RecordFile().toStdString()), std::string::npos)
        << r.err;
    EXPECT_EQ(Record({"sync"}).out, "sent 1, waiting 0\n");
    EXPECT_EQ(Record({"sync"}).out, "sent 0, waiting 0\n");
    EXPECT_EQ(count(), "2/2");

    // Once more, and the next record that reaches the server takes the outbox with it.
    ASSERT_TRUE(Server()->Stop(true));
    r = Ctl(read + QStringList{"C"});
    ASSERT_TRUE(Server()->Resume(error)) << error;
    r = Ctl(read + QStringList{"D"});
    EXPECT_NE(r.err.find("1 programming record from the outbox sent to "), std::string::npos)
        << r.err;
    EXPECT_EQ(count(), "4/4");
    EXPECT_EQ(Record({"sync"}).out, "sent 0, waiting 0\n");
    EXPECT_EQ(Records({"--unit", "C"}).size(), 1u);

#ifndef _WIN32  // under wine the server is out of a signal's reach
    // The server stops answering after login: the run ends within the bound all the same, and
    // the record waits in the outbox until the server is back.
    {
        testing::StalledBackend stalled(*Server(), QString::fromStdString(database));
        Running run{
            Start(read + QStringList{"S", "--record",
                                     QString::fromStdString(Server()->Url("bench", database)) +
                                         "?sslmode=disable&application_name=stalled"}),
            {},
            {}};
        ASSERT_TRUE(stalled.Stop("stalled"));
        const auto stopped = std::chrono::steady_clock::now();
        r = Finish(*run.process);
        EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(8));
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.err.find("waits in the outbox"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("the server stopped answering"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Record({"sync"}).out, "sent 1, waiting 0\n");
    EXPECT_EQ(count(), "5/5");
#endif

    // A wrong password is named, never the password.
    env_.insert("PGPASSWORD", "wrong-secret");
    r = Ctl(read + QStringList{"E"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.err.find("password authentication failed"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("wrong-secret"), std::string::npos);
    const Result list = Record({"list"});
    EXPECT_EQ(list.code, 2);
    EXPECT_EQ(list.err.find("wrong-secret"), std::string::npos);
}

TEST_F(RecordCli, AFullTableSpaceMidLineChangesNoResultAndItsRecordReachesTheServerOnce) {
    REQUIRE_ORVELSIM();
    REQUIRE_SERVER();
    const std::string database = testing::FreshDatabase();
    env_.insert("PGPASSWORD", testing::kBenchPassword);
    const QString url = QString::fromStdString(Server()->Url("bench", database));
    // The bench has kept records of its own before: the outbox's file is there.
    ASSERT_EQ(Ctl({"read", "--simulate", "--config", Path("orvel.ini")}).code, 0);
    QProcess& sim = StartSim("bench");
    Write("units.txt", "SN-1\nSN-2\nSN-3\n");
    Running line{
        Start({"write", Path("plan.dat"), "--config", Path("orvel.ini"), "--port", Path("bench"),
               "--verify", "--repeat", "--unit-list", Path("units.txt"), "--record", url}),
        {},
        {}};
    ASSERT_TRUE(line.Until("1\tORVEL-R1\tSN-1\tok\n")) << line.out << line.err;
    FullTableSpace space(database);
    std::string error;
    ASSERT_TRUE(space.Prepare(error)) << error;
    ASSERT_TRUE(space.Fill());
    // The next radio: off the cable, and the next one on.
    auto next = [&](std::size_t waits) {
        TakeOff(sim);
        EXPECT_TRUE(line.Until("waiting for a radio", true, waits)) << line.err;
        TakeOff(sim);
    };
    next(2);
    ASSERT_TRUE(line.Until("2\tORVEL-R1\tSN-2\tok\n")) << line.out << line.err;
    EXPECT_NE(line.err.find(" waits in the outbox " + RecordFile().toStdString()),
              std::string::npos)
        << line.err;
    EXPECT_NE(line.err.find("No space left on device"), std::string::npos) << line.err;
    space.Free();
    next(3);
    const Result rest = Finish(*line.process);
    EXPECT_EQ(rest.code, 0) << line.err << rest.err;
    EXPECT_TRUE((line.out + rest.out).ends_with("3\tORVEL-R1\tSN-3\tok\nradios: 3 ok, 0 failed\n"))
        << line.out << rest.out;
    EXPECT_NE((line.err + rest.err)
                  .find("1 programming record from the outbox sent to " + url.toStdString()),
              std::string::npos)
        << line.err << rest.err;
    EXPECT_EQ(Record({"sync", "--record", url}).out, "sent 0, waiting 0\n");
    EXPECT_EQ(Server()->AdminValue("SELECT COUNT(DISTINCT unit) || '/' || COUNT(*) FROM "
                                   "orvel_records",
                                   QString::fromStdString(database)),
              "3/3");
}

TEST_F(RecordCli, ThePasswordComesOnlyFromPostgresqlsOwnPlacesAndIsWrittenNowhere) {
    REQUIRE_SERVER();
    const std::string database = testing::FreshDatabase();
    const QString url = QString::fromStdString(Server()->Url("bench", database));
    const std::string password = testing::kBenchPassword;
    const std::string passLine =
        "127.0.0.1:" + std::to_string(Server()->port()) + ":*:bench:" + password + "\n";
    // libpq's own file: ~/.pgpass, %APPDATA%\postgresql\pgpass.conf on Windows.
#ifdef _WIN32
    const QString own = qEnvironmentVariable("APPDATA") + "/postgresql/pgpass.conf";
    const bool ownFree = !QFile::exists(own) && QDir().mkpath(QFileInfo(own).path());
#else
    const QString own = Path(".pgpass");
    const bool ownFree = true;
#endif
    std::vector<Result> results;
    auto write = [&](const QString& unit) {
        results.push_back(Ctl({"write", Path("plan.dat"), "--simulate", "--verify", "--read-first",
                               "--config", Path("orvel.ini"), "--trace",
                               Path("trace-" + unit + ".txt"), "--record", url, "--unit", unit}));
        return results.back();
    };
    // No password anywhere: the record waits in the outbox, and the file holds it.
    Result r = write("none");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("waits in the outbox"), std::string::npos) << r.err;

    // From the environment; the outbox goes with it, and sync then finds nothing owed.
    env_.insert("PGPASSWORD", QString::fromStdString(password));
    write("env");
    results.push_back(Record({"sync", "--record", url}));
    EXPECT_EQ(results.back().out, "sent 0, waiting 0\n");
    env_.remove("PGPASSWORD");
    Write("pgpass", passLine);
    QFile::setPermissions(Path("pgpass"), QFile::ReadOwner | QFile::WriteOwner);
    env_.insert("PGPASSFILE", Path("pgpass"));
    write("file");
    env_.remove("PGPASSFILE");
    if (ownFree) {
        QFile file(own);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(passLine.data(), static_cast<qint64>(passLine.size()));
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        write("own");
#ifdef _WIN32
        QFile::remove(own);
#endif
    }
    for (const Result& result : results) {
        EXPECT_EQ(result.code, 0) << result.err;
        EXPECT_EQ(result.out.find(password), std::string::npos) << result.out;
        EXPECT_EQ(result.err.find(password), std::string::npos) << result.err;
    }
    EXPECT_EQ(Server()->AdminValue("SELECT COUNT(DISTINCT unit) FROM orvel_records",
                                   QString::fromStdString(database)),
              ownFree ? "4" : "3");

    // A URL that carries one is refused before any radio is asked.
    const QString withPassword =
        QString::fromStdString("postgresql://bench:" + password +
                               "@127.0.0.1:" + std::to_string(Server()->port()) + "/" + database);
    const std::string refusal =
        "a password in the URL is not taken: give it in ~/.pgpass, "
        "PGPASSFILE or PGPASSWORD\n";
    r = Ctl({"write", Path("plan.dat"), "--simulate", "--config", Path("orvel.ini"), "--record",
             withPassword});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "orvelctl: --record: " + refusal);
    // In the INI it stops nothing: the bench's own file keeps the record, and a line says why.
    for (const auto& [url, why] : std::vector<std::pair<std::string, std::string>>{
             {withPassword.toStdString(), refusal},
             {"mysql://bench@db/orvel", "takes postgresql://USER@HOST"}}) {
        Write("shared.ini", "[Set]\nMin=223\nMax=235\nRecord=" + url + "\n");
        for (const QStringList& command : {QStringList{"read", "--simulate", "--unit", "SN-INI"},
                                           QStringList{"record", "list"}}) {
            r = Ctl(command + QStringList{"--config", Path("shared.ini")});
            EXPECT_EQ(r.code, 0) << url << r.err;
            EXPECT_TRUE(
                r.err.starts_with("orvelctl: Record= of the INI is not used (only this "
                                  "bench's own file is): "))
                << r.err;
            EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
            EXPECT_EQ(r.err.find("orvelctl:", 1), std::string::npos) << r.err;
        }
        EXPECT_NE(r.out.find("SN-INI"), std::string::npos) << r.out;
    }

    // Nothing the runs wrote holds it: records, safety copies, traces, the INI.
    QStringList folders{dir_.path()};
#ifdef _WIN32
    folders << LocalData();
#endif
    int files = 0;
    for (const QString& folder : folders) {
        for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString file = it.next();
            if (file == Path("pgpass") || file == own || file == Path("shared.ini"))
                continue;
            QFile content(file);
            ASSERT_TRUE(content.open(QIODevice::ReadOnly)) << file.toStdString();
            EXPECT_FALSE(content.readAll().contains(password.c_str())) << file.toStdString();
            ++files;
        }
    }
    EXPECT_TRUE(QFile::exists(RecordFile()));
    EXPECT_EQ(Backups("*-before.dat").size(), ownFree ? 4 : 3);
    EXPECT_GE(files, 10);
}

// The plan library end to end, the same on the bench's file and on the shared server: a plan
// added twice is two versions, a unit is written its newest one and recorded with its SHA-256,
// and any record's image goes back to a radio.
TEST_F(RecordCli, EachUnitIsWrittenItsPlanAndAnyEarlierImageGoesBack) {
    std::vector<QStringList> engines{{}};
    if (Server() != nullptr) {
        env_.insert("PGPASSWORD", testing::kBenchPassword);
        engines.push_back(
            {"--record", QString::fromStdString(Server()->Url("bench", testing::FreshDatabase())) +
                             "?sslmode=disable"});
    }
    MemoryImage changed = Plan();
    ChannelTable table = DecodeAsShown(changed, DecodeSource::FromFile, {223, 235}).table;
    table[1] = {ChannelLabel(2), "225.500", "226.000", "P1", "1200", "关", "L2"};
    EncodeImage(table, RadioSettings{1, 1, 0, 1, 2, 1, 1, 0, 1, 1, 3, 4}, changed);
    Write("changed.dat", ChannelFileBytes(changed));
    for (const QStringList& engine : engines) {
        const auto ctl = [&](const QStringList& arguments) {
            return Ctl(arguments + engine + QStringList{"--config", Path("orvel.ini")});
        };
        const auto records = [&](const QStringList& filter) { return Records(filter + engine); };
        ASSERT_EQ(
            ctl({"write", Path("plan.dat"), "--simulate", "--read-first", "--unit", "SN-OLD"}).code,
            0);
        for (const auto& [file, said] : {std::pair{"plan.dat", "Site12@1\tadded\t"},
                                         std::pair{"changed.dat", "Site12@2\tadded\t"},
                                         std::pair{"changed.dat", "Site12@2\tunchanged\t"}}) {
            const Result added = ctl({"plan", "add", Path(file), "--name", "Site12"});
            EXPECT_EQ(added.code, 0) << added.err;
            EXPECT_TRUE(added.out.starts_with(said)) << added.out << added.err;
        }
        EXPECT_EQ(ctl({"unit", "assign", "SN-7", "--plan", "Site12"}).out, "SN-7\tSite12@2\n");
        const Result shown = ctl({"plan", "show", "Site12"});
        const auto at = shown.out.find("sha256: ");
        ASSERT_NE(at, std::string::npos) << shown.out << shown.err;
        const std::string sha = shown.out.substr(at + 8, 64);
        EXPECT_NE(shown.out.find("changes from version 1:\nchannel 2 rx: "), std::string::npos)
            << shown.out;
        const Result written =
            ctl({"write", "--assigned", "--simulate", "--unit", "SN-7", "--verify"});
        ASSERT_EQ(written.code, 0) << written.err;
        const json record = records({"--unit", "SN-7"})[0];
        EXPECT_EQ(record["plan_file"], "Site12@2");
        EXPECT_EQ(record["plan_sha256"], sha);
        EXPECT_EQ(record["verified"], true);
        EXPECT_TRUE(ctl({"plan", "list"}).out.starts_with("Site12\t2\t1\t1\t"));
        EXPECT_NE(ctl({"unit", "show", "SN-7"}).out.find("state: holds\n"), std::string::npos);
        const Result none = ctl({"write", "--assigned", "--simulate", "--unit", "SN-9"});
        EXPECT_EQ(none.code, 3);
        EXPECT_EQ(none.err, "orvelctl: unit SN-9: no plan is assigned to it; nothing is written\n");

        const json old = records({"--unit", "SN-OLD"})[0];
        const std::string id = old["id"];
        const Result restored = ctl(
            {"record", "restore", QString::fromStdString(id).left(8), "--before", "--simulate"});
        ASSERT_EQ(restored.code, 0) << restored.err;
        const json restore = records({"--limit", "1"})[0];
        EXPECT_EQ(restore["plan_file"], "restore of " + id);
        EXPECT_EQ(restore["unit"], "SN-OLD");
        EXPECT_EQ(restore["verified"], true);
        EXPECT_EQ(restore["before_image"], old["before_image"]) << "read first";
        // Every write sets bit 2 of the first mode byte, which a factory image lacks; all else is
        // back as it was.
        const auto bytes = [](const json& hex) {
            return QByteArray::fromHex(QByteArray::fromStdString(hex.get<std::string>()));
        };
        QByteArray back = bytes(old["before_image"]);
        ASSERT_EQ(back.size(), 260);
        back[layout::kTxTimeLimitIndex + 2] =
            static_cast<char>(back[layout::kTxTimeLimitIndex + 2] | 4);
        MemoryImage image{};
        std::copy(back.begin(), back.end(), image.begin());
        back[layout::kChecksum] = static_cast<char>(ImageChecksum(image));
        EXPECT_EQ(bytes(restore["after_image"]).toHex(), back.toHex())
            << "the before image is back";
        EXPECT_EQ(records({}).size(), 3u) << "the old records still list";
        // The write to SN-7 read nothing before it: there is no image to put back.
        const Result refused =
            ctl({"record", "restore", QString::fromStdString(record["id"].get<std::string>()),
                 "--simulate", "--trace", Path("restore.txt")});
        EXPECT_EQ(refused.code, 3);
        EXPECT_NE(refused.err.find(" holds no image read before its write; nothing is written"),
                  std::string::npos)
            << refused.err;
        EXPECT_FALSE(QFile::exists(Path("restore.txt")));
    }
}

// A file of assignments is taken whole or not at all; a plan row changed behind the library's
// back never reaches a radio.
TEST_F(RecordCli, AUnitsFileWithOneBadRowTakesNoneAndATamperedPlanIsRefused) {
    const QString ini = Path("orvel.ini");
    const auto ctl = [&](QStringList arguments) { return Ctl(arguments << "--config" << ini); };
    ASSERT_EQ(ctl({"plan", "add", Path("plan.dat"), "--name", "Site12"}).code, 0);
    const std::string header = "unit,plan,port,site\n";
    for (const auto& [rows, why] : std::vector<std::pair<std::string, std::string>>{
             {header + "SN-1,Site12,,A\nSN-2,Nope,,A\n", "line 3: no plan is named Nope"},
             {"unit,plan,site,port\nSN-1,Site12,A,\n",
              "line 1: the first line must be unit,plan,port,site"},
             {header + "SN-1,Site12,,A\n\nSN-1,Site12,,B\n", "line 4: the unit SN-1 is on line 2"},
             {header + "SN-1,Site12,A\n", "line 2: 3 cells, not 4"},
             {header + "ask,Site12,,\n", "line 2: the unit \"ask\" is ask"},
         }) {
        Write("units.csv", rows);
        const Result r = ctl({"unit", "import", Path("units.csv")});
        EXPECT_EQ(r.code, 3) << rows;
        EXPECT_TRUE(r.err.starts_with("orvelctl: " + Path("units.csv").toStdString() + " " + why))
            << r.err;
        EXPECT_NE(r.err.find("; nothing of the file is taken\n"), std::string::npos) << r.err;
        EXPECT_EQ(ctl({"unit", "list"}).out, "") << rows;
    }
    // What export writes, import takes back: a formula stays text on the way.
    Write("units.csv", header + "SN-1,Site12,COM3,\"=HYPERLINK(\"\"x\"\")\"\r\nSN-2,Site12,,B\n");
    ASSERT_EQ(ctl({"unit", "import", Path("units.csv")}).out, "SN-1\tSite12@1\nSN-2\tSite12@1\n");
    const std::string exported = ctl({"unit", "export"}).out;
    EXPECT_EQ(exported,
              "unit,plan,port,site\r\nSN-1,Site12,COM3,\"'=HYPERLINK(\"\"x\"\")\"\r\n"
              "SN-2,Site12,,B\r\n");
    Write("again.csv", exported);
    ASSERT_EQ(ctl({"unit", "import", Path("again.csv")}).code, 0);
    EXPECT_EQ(ctl({"unit", "export"}).out, exported);
    EXPECT_EQ(ctl({"unit", "list", "--site", "B"}).out.substr(0, 11), "SN-2\tSite12");

    // Rows changed behind the library's back: bytes that a write cannot send as they are, with
    // their SHA-256 made to match; then bytes that do not match their SHA-256.
    MemoryImage odd = Plan();
    odd[layout::kModeByte1] |= 0x80;
    odd[layout::kChecksum] = ImageChecksum(odd);
    const QByteArray oddBytes(reinterpret_cast<const char*>(odd.data()), 260);
    for (const auto& [sql, bytes, why] :
         {std::tuple{"UPDATE orvel_plans SET image = ?, sha256 = ?", oddBytes,
                     ": a write here would not send the bytes of its SHA-256"},
          {"UPDATE orvel_plans SET image = zeroblob(260)", QByteArray(),
           "records.sqlite: plan Site12 version 1: its bytes do not match their SHA-256"}}) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "tamper");
            db.setDatabaseName(RecordFile());
            ASSERT_TRUE(db.open());
            QSqlQuery tamper(db);
            tamper.prepare(sql);
            if (!bytes.isEmpty()) {
                tamper.addBindValue(bytes);
                tamper.addBindValue(
                    QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
            }
            EXPECT_TRUE(tamper.exec());
            db.close();
        }
        QSqlDatabase::removeDatabase("tamper");
        const Result r = ctl(
            {"write", "--assigned", "--simulate", "--unit", "SN-1", "--trace", Path("trace.txt")});
        EXPECT_EQ(r.code, 3);
        EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
        EXPECT_FALSE(QFile::exists(Path("trace.txt"))) << "no frame";
    }
    EXPECT_EQ(ctl({"plan", "get", "Site12", "--out", Path("out.dat")}).code, 3);
    EXPECT_FALSE(QFile::exists(Path("out.dat")));
}

TEST_F(RecordCli, PlansAndUnitsListInEachFormatAndAPlanChecksOutAsItsFile) {
    const QStringList ini{"--config", Path("orvel.ini")};
    const auto ctl = [&](const QStringList& arguments) { return Ctl(arguments + ini); };
    ASSERT_EQ(ctl({"plan", "add", Path("plan.dat"), "--note", "first"}).code, 0);
    ASSERT_EQ(ctl({"unit", "assign", "SN-1", "SN-2", "--plan", "plan", "--site", "north", "--port",
                   "COM3"})
                  .code,
              0);
    const Result got = ctl({"plan", "get", "plan@1", "--out", Path("got.dat")});
    EXPECT_EQ(got.code, 0) << got.err;
    EXPECT_TRUE(got.out.starts_with("plan@1\t")) << got.out;
    EXPECT_EQ(Read("got.dat"), Read("plan.dat"));

    const json plans = json::parse(ctl({"plan", "list", "--format", "json"}).out);
    ASSERT_EQ(plans.size(), 1u);
    EXPECT_EQ(plans[0]["name"], "plan");
    EXPECT_EQ(plans[0]["newest"], 1);
    EXPECT_EQ(plans[0]["assigned"], 2);
    EXPECT_EQ(plans[0]["holding"], 0);
    EXPECT_TRUE(
        ctl({"plan", "list", "--format", "csv"})
            .out.starts_with("name,newest,assigned,holding,added_utc,sha256\r\nplan,1,2,0,"));
    const json shown = json::parse(ctl({"plan", "show", "plan", "--format", "json"}).out);
    EXPECT_EQ(shown["note"], "first");
    EXPECT_EQ(shown["station"], "bench-7");
    EXPECT_EQ(shown["operator_name"], "wang");
    EXPECT_EQ(shown["differences"], nullptr);
    EXPECT_EQ(shown["configuration"]["channels"][0]["rx"], "230.125");
    const std::string text = ctl({"plan", "show", "plan"}).out;
    EXPECT_TRUE(text.starts_with("name: plan\nversion: 1\nsha256: ")) << text;
    EXPECT_NE(text.find("\nnote: first\n"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("\nchanges: none, the first version\n")) << text;

    const json units =
        json::parse(ctl({"unit", "list", "--site", "north", "--format", "json"}).out);
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[1]["unit"], "SN-2");
    EXPECT_EQ(units[1]["port"], "COM3");
    EXPECT_EQ(units[1]["operator_name"], "wang");
    EXPECT_EQ(ctl({"unit", "list", "--plan", "other"}).out, "");
    const json unit = json::parse(ctl({"unit", "show", "SN-1", "--format", "json"}).out);
    EXPECT_EQ(unit["state"], "not written");
    EXPECT_EQ(unit["plan_version"], "1");
    EXPECT_TRUE(unit["records"].empty());

    for (const auto& [arguments, said] : std::vector<std::pair<QStringList, std::string>>{
             {{"plan", "show", "nope"}, "no plan is named nope"},
             {{"plan", "get", "plan@2", "--out", Path("x.dat")}, "plan plan has no version 2"},
             {{"unit", "assign", "SN-3", "--plan", "nope"}, "no plan is named nope"},
         }) {
        const Result r = ctl(arguments);
        EXPECT_EQ(r.code, 3) << said;
        EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
    }
    EXPECT_FALSE(QFile::exists(Path("x.dat")));
    EXPECT_EQ(ctl({"unit", "list"}).out.find("SN-3"), std::string::npos);
}

// By unit on a production line: a unit without a plan is its line and the next label is asked;
// a radio that reads back as its unit's plan is left alone.
TEST_F(RecordCli, TheLineByUnitSaysAUnitWithoutAPlanAndLeavesOneHoldingItsPlan) {
    REQUIRE_ORVELSIM();
    const QStringList ini{"--config", Path("orvel.ini")};
    ASSERT_EQ(Ctl(QStringList{"plan", "add", Path("plan.dat"), "--name", "P"} + ini).code, 0);
    ASSERT_EQ(Ctl(QStringList{"unit", "assign", "SN-1", "--plan", "P"} + ini).code, 0);
    QProcess& sim = StartSim("bench", {"--image", Path("plan.dat")});
    Running line{Start(QStringList{"write", "--assigned", "--port", Path("bench"), "--repeat",
                                   "--unit", "ask", "--skip-done", "--verify"} +
                       ini),
                 {},
                 {}};
    line.process->write("SN-9\nSN-1\n");
    line.process->closeWriteChannel();
    EXPECT_TRUE(
        line.Until("1\t-\tSN-9\tfailed\tunit SN-9: no plan is assigned to it; nothing is "
                   "written\n2\tORVEL-R1\tSN-1\tskipped\talready holds this plan (read "
                   "back)\n"))
        << line.out << line.err;
    TakeOff(sim);
    const Result rest = Finish(*line.process);
    EXPECT_EQ(rest.code, 3) << rest.err;
    EXPECT_TRUE((line.out + rest.out).ends_with("radios: 0 ok, 1 failed, 1 skipped\n"))
        << line.out << rest.out;
    const std::vector<json> records = Records({"--unit", "SN-1"});
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]["action"], "read");
    EXPECT_TRUE(Records({"--unit", "SN-9"}).empty());
}

// The server goes away mid-line: the units whose plans were fetched at the start are written,
// their records wait in the outbox; another unit cannot get its plan and nothing is written.
TEST_F(RecordCli, AServerGoneMidLineKeepsWritingThePlansItFetched) {
    REQUIRE_ORVELSIM();
    REQUIRE_SERVER();
    env_.insert("PGPASSWORD", testing::kBenchPassword);
    const QString url = QString::fromStdString(Server()->Url("bench", testing::FreshDatabase()) +
                                               "?sslmode=disable");
    const QStringList shared{"--config", Path("orvel.ini"), "--record", url};
    ASSERT_EQ(Ctl(QStringList{"plan", "add", Path("plan.dat"), "--name", "P"} + shared).code, 0);
    ASSERT_EQ(Ctl(QStringList{"unit", "assign", "SN-1", "SN-2", "--plan", "P"} + shared).code, 0);
    QProcess& sim = StartSim("bench");
    Write("units.txt", "SN-1\nSN-2\nSN-3\n");
    Running line{Start(QStringList{"write", "--assigned", "--port", Path("bench"), "--verify",
                                   "--repeat", "--unit-list", Path("units.txt")} +
                       shared),
                 {},
                 {}};
    ASSERT_TRUE(line.Until("1\tORVEL-R1\tSN-1\tok\n")) << line.out << line.err;
    ASSERT_TRUE(Server()->Stop(true));
    TakeOff(sim);
    EXPECT_TRUE(line.Until("waiting for a radio", true, 2)) << line.err;
    TakeOff(sim);
    EXPECT_TRUE(line.Until("2\tORVEL-R1\tSN-2\tok\n")) << line.out << line.err;
    TakeOff(sim);
    const Result rest = Finish(*line.process);
    std::string error;
    ASSERT_TRUE(Server()->Resume(error)) << error;
    EXPECT_EQ(rest.code, 2) << line.err << rest.err;
    const std::string out = line.out + rest.out;
    EXPECT_NE(
        out.find("2\tORVEL-R1\tSN-2\tok\n3\t-\tSN-3\tfailed\tunit SN-3: cannot get the plan: "),
        std::string::npos)
        << out;
    EXPECT_TRUE(out.ends_with("radios: 2 ok, 1 failed\n")) << out;
    EXPECT_NE((line.err + rest.err).find("waits in the outbox"), std::string::npos);
    EXPECT_EQ(Record({"sync", "--record", url}).out, "sent 1, waiting 0\n");
    const std::vector<json> records = Records({"--record", url});
    ASSERT_EQ(records.size(), 2u);
    for (const json& record : records)
        EXPECT_EQ(record["plan_file"], "P@1");
}

// The fleet at a glance: three units of one plan, one radio holding it, one with a channel
// changed, one port that is not there; each read is its unit's record, apply writes only the
// second, and a new version makes both out of date.
TEST_F(RecordCli, TheFleetIsCheckedWhereItStandsAndOnlyTheUnitThatDiffersIsWritten) {
    REQUIRE_ORVELSIM();
    const auto ctl = [&](const QStringList& arguments) {
        return Ctl(arguments + QStringList{"--config", Path("orvel.ini")});
    };
    MemoryImage changed = Plan();
    ChannelTable table = DecodeAsShown(changed, DecodeSource::FromFile, {223, 235}).table;
    table[0][1] = "231.000";
    EncodeImage(table, RadioSettings{1, 1, 0, 1, 2, 1, 1, 0, 1, 1, 3, 4}, changed);
    Write("changed.dat", ChannelFileBytes(changed));
    ASSERT_EQ(ctl({"plan", "add", Path("plan.dat"), "--name", "P"}).code, 0);
    StartSim("held", {"--image", Path("plan.dat")});
    StartSim("changed", {"--image", Path("changed.dat")});
    const char* const ports[] = {"held", "changed", "gone"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(ctl({"unit", "assign", QString("SN-%1").arg(i + 1), "--plan", "P", "--port",
                       Path(ports[i])})
                      .code,
                  0);
    }
    const Result r = ctl({"fleet", "status", "--all", "--format", "json"});
    EXPECT_EQ(r.code, 5) << r.err;
    const json units = json::parse(r.out);
    const std::vector<std::vector<std::string>> expected{
        {"in plan", "P@1", ""},
        {"differs", "", "channel 1 rx: 231.000 -> 230.125"},
        {"unreachable", "", "no such port"},
    };
    ASSERT_EQ(units.size(), 3u) << r.out;
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(units[i]["unit"], "SN-" + std::to_string(i + 1));
        EXPECT_EQ(units[i]["plan"], "P@1");
        EXPECT_EQ(units[i]["port"], Path(ports[i]).toStdString());
        EXPECT_EQ(
            (std::vector<std::string>{units[i]["state"], units[i]["holds"], units[i]["detail"]}),
            expected[i]);
        const std::vector<json> records = Records({"--unit", QString("SN-%1").arg(i + 1)});
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0]["action"], "read");
        EXPECT_EQ(records[0]["port"], units[i]["port"]);
    }
    EXPECT_EQ(units[1]["differences"],
              json::parse(R"([{"where": "channel 1", "field": "rx", "radio": "231.000",
                               "plan": "230.125"}])"));
    EXPECT_NE(r.err.find("orvelctl: 3 of 3 units checked\n"), std::string::npos) << r.err;
    EXPECT_TRUE(r.err.ends_with("\n3 units: 1 in plan, 1 differs, 1 unreachable\n")) << r.err;
    EXPECT_EQ(Backups("*.dat"), QStringList()) << "the record alone holds the bytes";

    // Only the second is written, and then holds its plan; a dry run writes nothing.
    const std::string lines = "SN-1\tP@1\t" + Path("held").toStdString() + "\tin plan\tP@1\t-\n" +
                              "SN-2\tP@1\t" + Path("changed").toStdString() + "\t%s\t-\t" +
                              "channel 1 rx: 231.000 -> 230.125\n" + "SN-3\tP@1\t" +
                              Path("gone").toStdString() + "\tunreachable\t-\tno such port\n" +
                              "3 units: 1 in plan, 1 %s, 1 unreachable\n";
    for (const auto& [dryRun, result, code] :
         {std::tuple{true, "would write", 5}, std::tuple{false, "written", 4}}) {
        const Result applied = ctl(QStringList{"fleet", "apply", "--all"} +
                                   (dryRun ? QStringList{"--dry-run"} : QStringList{}));
        EXPECT_EQ(applied.code, code) << applied.err;
        EXPECT_EQ(applied.out, QString::fromStdString(lines).replace("%s", result).toStdString());
    }
    const std::vector<json> written = Records({"--unit", "SN-2"});
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[0]["action"], "write");
    EXPECT_EQ(written[0]["verified"], true);
    EXPECT_EQ(written[0]["plan_file"], "P@1");
    // Asked for, a copy of each read besides those the write and its verify keep.
    const QStringList kept = Backups("*-read*.dat");
    EXPECT_EQ(ctl({"fleet", "status", "--unit", "SN-2", "--unit", "SN-1", "--safety-copy"}).code,
              0);
    const QStringList copies = Backups("*-read*.dat");
    EXPECT_EQ(copies.size(), kept.size() + 2) << copies.join(' ').toStdString();
    for (const QString& copy : copies)
        EXPECT_EQ(QFile(LocalData() + "/backups/" + copy).size(), QFile(Path("plan.dat")).size());
    ASSERT_EQ(ctl({"plan", "add", Path("changed.dat"), "--name", "P"}).code, 0);
    const Result text = ctl({"fleet", "status", "--unit", "SN-2", "--unit", "SN-1"});
    EXPECT_EQ(text.code, 5);
    EXPECT_EQ(text.out, "SN-2\tP@2\t" + Path("changed").toStdString() + "\tout of date\tP@1\t-\n" +
                            "SN-1\tP@2\t" + Path("held").toStdString() +
                            "\tout of date\tP@1\t-\n2 units: 2 out of date\n");
    // Two units behind one port are read there one after the other, never at once.
    ASSERT_EQ(ctl({"unit", "assign", "SN-4", "--plan", "P", "--port", Path("held")}).code, 0);
    const Result shared =
        ctl({"fleet", "status", "--unit", "SN-1", "--unit", "SN-4", "--jobs", "2"});
    EXPECT_EQ(shared.out, "SN-1\tP@2\t" + Path("held").toStdString() + "\tout of date\tP@1\t-\n" +
                              "SN-4\tP@2\t" + Path("held").toStdString() +
                              "\tout of date\tP@1\t-\n2 units: 2 out of date\n")
        << shared.err;
    for (const auto& [arguments, code, said] :
         std::vector<std::tuple<QStringList, int, std::string>>{
             {{}, 1, "orvelctl: choose the units: "},
             {{"--all", "--unit", "SN-1"}, 1, "orvelctl: choose the units: "},
             {{"--all", "--jobs", "0"}, 1, "orvelctl: --jobs takes a number of ports at once "},
             {{"--site", "nowhere"}, 3, ": no unit is selected\n"},
             {{"--unit", "SN-9"}, 3, "orvelctl: 1 of 1 units checked\n"},
         }) {
        const Result refused = ctl(QStringList{"fleet", "status"} + arguments);
        EXPECT_EQ(refused.code, code) << said;
        EXPECT_NE(refused.err.find(said), std::string::npos) << refused.err;
    }
}

// Radios that are silent, cut short or refuse a frame end their units in bound and hold up no
// other; apply writes what differs and names why a write failed.
TEST_F(RecordCli, FaultyRadiosEndTheirUnitsInBoundAndApplyNamesAFailedWrite) {
    REQUIRE_ORVELSIM();
    const auto ctl = [&](const QStringList& arguments) {
        return Ctl(arguments + QStringList{"--config", Path("orvel.ini")});
    };
    ASSERT_EQ(ctl({"plan", "add", Path("plan.dat"), "--name", "P"}).code, 0);
    const struct {
        const char* unit;
        QStringList faults;
        std::string row;  // its CSV row after unit,plan,port,
    } units[] = {
        {"A", {"--silent"}, "unreachable,,no answer to the identify command"},
        {"B", {"--cut", "100"}, "unreachable,,received 100 of 260 bytes"},
        {"C", {"--nak", "5"}, "failed,,the radio did not accept frame 5 of 66 (channel words)"},
        {"D",
         {"--image", Path("plan.dat"), "--bad-checksum"},
         "failed,,verify: the image read back fails its checksum"},
        {"E", {}, "no port,,"},
    };
    for (const auto& u : units) {
        QStringList assign{"unit", "assign", u.unit, "--plan", "P"};
        if (!u.faults.isEmpty()) {
            StartSim(u.unit, u.faults);
            assign << "--port" << Path(u.unit);
        }
        ASSERT_EQ(ctl(assign).code, 0);
    }
    const Result r = ctl({"fleet", "apply", "--all", "--jobs", "2", "--format", "csv"});
    EXPECT_EQ(r.code, 3) << r.err;
    std::istringstream rows(r.out);
    std::string row;
    std::getline(rows, row);
    EXPECT_EQ(row, "unit,plan,port,result,holds,detail\r");
    for (const auto& u : units) {
        std::getline(rows, row);
        const std::string port = u.faults.isEmpty() ? "" : Path(u.unit).toStdString();
        EXPECT_EQ(row, std::string(u.unit) + ",P@1," + port + "," + u.row + "\r");
    }
    EXPECT_TRUE(r.err.ends_with("\n5 units: 2 failed, 2 unreachable, 1 no port\n")) << r.err;
    const std::vector<json> silent = Records({"--unit", "A"});
    ASSERT_EQ(silent.size(), 1u);
    EXPECT_EQ(silent[0]["exit_class"], "communication");
    EXPECT_EQ(Records({"--unit", "C"})[0]["action"], "write");
}

// Ctrl-C starts no further read: the one in progress ends, and what was checked is printed.
TEST_F(RecordCli, ACtrlCEndsAFleetStatusAfterTheReadInProgressAndPrintsWhatItHas) {
    REQUIRE_ORVELSIM();
#ifndef _WIN32
    const QStringList ini{"--config", Path("orvel.ini")};
    ASSERT_EQ(Ctl(QStringList{"plan", "add", Path("plan.dat"), "--name", "P"} + ini).code, 0);
    ASSERT_EQ(Ctl(QStringList{"unit", "assign", "SN-1", "SN-2", "SN-3", "SN-4", "SN-5", "--plan",
                              "P", "--port", Path("slow")} +
                  ini)
                  .code,
              0);
    StartSim("slow", {"--pace"});
    Running status{Start(QStringList{"fleet", "status", "--all", "--jobs", "1"} + ini), {}, {}};
    ASSERT_TRUE(status.Until("orvelctl: 1 of 5 units checked\n", true)) << status.err;
    ::kill(static_cast<pid_t>(status.process->processId()), SIGINT);
    const Result rest = Finish(*status.process);
    EXPECT_EQ(rest.code, 130) << rest.err;
    const std::string out = status.out + rest.out;
    const auto rows = std::count(out.begin(), out.end(), '\n') - 1;
    EXPECT_LT(rows, 5) << out;
    EXPECT_TRUE(out.ends_with("\n" + std::to_string(rows) +
                              " of 5 units, stopped: " + std::to_string(rows) + " differs\n"))
        << out;
    EXPECT_EQ(Records({"--unit", "SN-5"}).size(), 0u);
#endif
}

// fleet status on several benches at once against one server (and two runs on one bench's
// file): they split the units, each read once between them and "claimed elsewhere" in the
// others; a dead bench's expired claim is taken over, a live one's left to it; a store that
// refuses claims is said once and the run reads its units regardless.
TEST_F(RecordCli, RunsAtOnceSplitTheFleetAndReadEachUnitOnce) {
    REQUIRE_SERVER();
    const QString database = QString::fromStdString(testing::FreshDatabase());
    env_.insert("PGPASSWORD", testing::kBenchPassword);
    const QStringList local{"--config", Path("orvel.ini")};
    const QStringList shared =
        local + QStringList{"--record",
                            QString::fromStdString(Server()->Url("bench", database.toStdString())) +
                                "?sslmode=disable"};
#ifdef _WIN32
    // 64 virtual radios need pseudo-terminals: here one run takes its claim on the server, from
    // the claims' own connection in a thread of their own, for a unit whose port is missing.
    ASSERT_EQ(Ctl(QStringList{"plan", "add", Path("plan.dat"), "--name", "P"} + shared).code, 0);
    ASSERT_EQ(
        Ctl(QStringList{"unit", "assign", "U-1", "--plan", "P", "--port", "COM99"} + shared).code,
        0);
    const Result r = Ctl(QStringList{"fleet", "status", "--all", "--format", "json"} + shared);
    EXPECT_EQ(json::parse(r.out.empty() ? "[{}]" : r.out)[0]["state"], "unreachable") << r.err;
    EXPECT_EQ(r.err.find("no unit is claimed"), std::string::npos) << r.err;
    EXPECT_EQ(Server()->AdminValue("SELECT COUNT(*) FROM orvel_claims", database), "1");
#else
    constexpr std::size_t kUnits = 64;
    sim::RadioBehaviour paced;
    paced.pace = true;
    std::vector<std::unique_ptr<sim::VirtualRadio>> radios;
    std::string csv = "unit,plan,port,site\n";
    for (std::size_t i = 0; i < kUnits; ++i) {
        radios.push_back(std::make_unique<sim::VirtualRadio>(Plan(), paced));
        ASSERT_TRUE(radios.back()->Start());
        csv += "U-" + std::to_string(100 + i) + ",P," + radios.back()->DevicePath() + ",east\n";
    }
    Write("units.csv", csv);
    for (const QStringList& where : {shared, local}) {
        ASSERT_EQ(Ctl(QStringList{"plan", "add", Path("plan.dat"), "--name", "P"} + where).code, 0);
        ASSERT_EQ(Ctl(QStringList{"unit", "import", Path("units.csv")} + where).code, 0);
    }
    std::string error;
    ASSERT_TRUE(Server()->Admin({"INSERT INTO orvel_claims VALUES ('U-100', 'dead', 0, NULL), "
                                 "('U-101', 'live', 4102444800000, NULL)"},
                                error, database))
        << error;
    // How many of `runs` runs at once read each unit.
    const auto atOnce = [&](int runs, const QStringList& where) {
        std::vector<std::unique_ptr<QProcess>> started;
        for (int r = 0; r < runs; ++r) {
            started.push_back(
                Start(QStringList{"fleet", "status", "--all", "--jobs", "4", "--format", "json"} +
                      where));
        }
        std::map<std::string, int> reads;
        for (auto& process : started) {
            const Result r = Finish(*process);
            EXPECT_EQ(r.code, 0) << r.err;
            EXPECT_EQ(r.err.find("claimed ("), std::string::npos) << r.err;
            const json units = json::parse(r.out.empty() ? "[]" : r.out);
            EXPECT_EQ(units.size(), kUnits);
            for (const json& unit : units) {
                if (unit["state"] == "in plan")
                    ++reads[unit["unit"]];
                else
                    EXPECT_EQ(unit["state"], "claimed elsewhere") << unit;
            }
        }
        return reads;
    };
    for (const auto& [runs, where, live] :
         {std::tuple{2, shared, true}, {3, shared, true}, {2, local, false}}) {
        SCOPED_TRACE(std::to_string(runs) + (live ? " on the server" : " on the file"));
        const std::map<std::string, int> reads = atOnce(runs, where);
        EXPECT_EQ(reads.size(), kUnits - (live ? 1 : 0));
        EXPECT_EQ(reads.count("U-101"), live ? 0u : 1u);
        for (const auto& [unit, times] : reads)
            EXPECT_EQ(times, 1) << unit;
    }
    EXPECT_EQ(Records().size(), kUnits);
    EXPECT_EQ(Server()->AdminValue("SELECT COUNT(*) || ' ' || COUNT(DISTINCT unit) FROM "
                                   "orvel_records WHERE action = 'read'",
                                   database),
              "126 63");
    // A unit read stays claimed, ended: a run begun before the end does not read it again.
    EXPECT_EQ(Server()->AdminValue("SELECT COUNT(*) || ' ' || string_agg(run, ' ') FILTER (WHERE "
                                   "ended_ms IS NULL) FROM orvel_claims",
                                   database),
              "64 live");

    const Result held = Ctl(QStringList{"fleet", "status", "--unit", "U-101"} + shared);
    EXPECT_TRUE(held.out.ends_with("\n1 unit: 1 claimed elsewhere\n")) << held.out;

    // The rows' lock refused to the bench, then the table gone.
    for (const char* refusal :
         {"REVOKE UPDATE ON orvel_claims FROM bench", "ALTER TABLE orvel_claims RENAME TO gone"}) {
        ASSERT_TRUE(Server()->Admin({refusal}, error, database)) << error;
        const Result r =
            Ctl(QStringList{"fleet", "status", "--unit", "U-101", "--unit", "U-102"} + shared);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out.find("claimed elsewhere"), std::string::npos) << r.out;
        const std::string said = "orvelctl: no unit is claimed (";
        EXPECT_EQ(r.err.find(said), r.err.rfind(said)) << "said once: " << r.err;
        EXPECT_NE(r.err.find("orvel_claims"), std::string::npos) << r.err;
    }
    for (auto& radio : radios)
        radio->Stop();
#endif
}

}  // namespace
}  // namespace orvel
